#include "column_store.h"

namespace host::sheet_store {

formula::AreaStats ColumnStore::areaStats(const CellRange& area, bool /*wantMinMax*/) const {
    formula::AreaStats s;
    const int lastCol = std::min(area.last.col, static_cast<int>(cols.size()) - 1);
    for (int col = area.first.col; col <= lastCol; ++col) {
        const Column& c = cols[static_cast<std::size_t>(col)];
        const int r1 = std::min(area.last.row, c.size() - 1);
        for (int r = area.first.row; r <= r1;) {
            const int block = r / kBlockRows;
            const int blockEnd = block * kBlockRows + kBlockRows - 1;
            const int end = std::min(blockEnd, r1);
            BlockSummary part;
            const BlockSummary* b = &part;
            if (r == block * kBlockRows && end == std::min(blockEnd, c.size() - 1)) {
                b = &c.summary(block);
            } else {
                part.min = std::numeric_limits<double>::infinity();
                part.max = -std::numeric_limits<double>::infinity();
                c.scan(r, end, part);
            }
            s.sum += b->sum;
            s.numbers += b->numbers;
            s.nonEmpty += b->nonEmpty;
            if (b->numbers) {
                s.min = std::min(s.min, b->min);
                s.max = std::max(s.max, b->max);
            }
            if (b->errors && !s.hasError) {
                s.hasError = true;
                s.firstError = c.firstError(r, end);
            }
            r = end + 1;
        }
    }
    return s;
}

void ColumnStore::forEachValue(const CellRange& area, const std::function<bool(const Value&)>& visit) const {
    const int lastCol = std::min(area.last.col, static_cast<int>(cols.size()) - 1);
    for (int col = area.first.col; col <= lastCol; ++col) {
        const Column& c = cols[static_cast<std::size_t>(col)];
        const int r1 = std::min(area.last.row, c.size() - 1);
        for (int r = area.first.row; r <= r1; ++r) {
            if (c.kind[static_cast<std::size_t>(r)] == 0) continue;
            if (!visit(valueAt(r, c))) return;
        }
    }
}

}  // namespace host::sheet_store
