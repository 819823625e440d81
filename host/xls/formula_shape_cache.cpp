#include "xls/formula_shape_cache.h"

#include <cstring>

#include "xls/biff_constants.h"
#include "xls/byte_reader.h"
#include "xls/formula_render.h"

namespace host::xls {

namespace {
// Token runs are a few bytes long: a loop beats a call to memcmp.
bool sameBytes(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        if (a[i] != b[i]) return false;
    }
    return true;
}
}  // namespace

const FormulaPtr* FormulaShapeCache::find(std::span<const std::uint8_t> tokens, CellAddress at) const {
    const Entry& e = lastInColumn_[static_cast<std::size_t>(at.col)];
    if (!e.code || e.tokens.size() != tokens.size()) return nullptr;
    // Every byte the same but the relative rows, and those moved by as many rows as the cell.
    // Token sizes and reference flags lie outside the row fields, so the same bytes elsewhere
    // mean the same tokens.
    const int delta = at.row - e.at.row;
    std::size_t from = 0;
    for (const std::uint16_t field : e.relativeRows) {
        if (!sameBytes(tokens.data() + from, e.tokens.data() + from, field - from)) return nullptr;
        if (loadU16(tokens.data() + field) - loadU16(e.tokens.data() + field) != delta) return nullptr;
        from = field + 2u;
    }
    if (!sameBytes(tokens.data() + from, e.tokens.data() + from, tokens.size() - from)) return nullptr;
    return &e.code;
}

void FormulaShapeCache::remember(std::span<const std::uint8_t> tokens, CellAddress at, FormulaPtr code) {
    Entry& e = lastInColumn_[static_cast<std::size_t>(at.col)];
    e.code.reset();
    e.tokens.assign(tokens.begin(), tokens.end());
    e.relativeRows.clear();
    std::size_t pos = 0;
    while (pos < tokens.size()) {
        const std::size_t size = tokenSize(tokens.subspan(pos));
        if (size == 0 || pos > 0xFFF0) return;  // not a shape worth keeping
        const std::uint8_t ptg = tokens[pos];
        const std::uint8_t base = ptg & 0x1F;
        const auto rowRelative = [&](std::size_t colField) { return (loadU16(&tokens[pos + colField]) & 0x8000) != 0; };
        if (ptg >= 0x20 && ptg < 0x80 && base == kPtgRef) {
            if (rowRelative(3)) e.relativeRows.push_back(static_cast<std::uint16_t>(pos + 1));
        } else if (ptg >= 0x20 && ptg < 0x80 && base == kPtgArea) {
            if (rowRelative(5)) e.relativeRows.push_back(static_cast<std::uint16_t>(pos + 1));
            if (rowRelative(7)) e.relativeRows.push_back(static_cast<std::uint16_t>(pos + 3));
        }
        pos += size;
    }
    e.at = at;
    e.code = std::move(code);
}

void FormulaShapeCache::clear() {
    for (Entry& e : lastInColumn_) e.code.reset();
}

}  // namespace host::xls
