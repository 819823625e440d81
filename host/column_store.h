#pragma once
// The worksheet's cells, column by column: kinds, numbers, styles and formula slots in arrays
// by row, texts in blocks, and per block of rows the summary an aggregate reads instead of
// the cells. It is what the evaluator reads cells from. Private to the host.
#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "formula/evaluator.h"
#include "host/worksheet.h"

namespace host::sheet_store {

constexpr int kBlockRows = 256;  // rows per cached aggregate summary
enum Content : std::uint8_t { None = 0, Constant = 1, Formula = 2 };

inline bool validCell(CellAddress a) { return a.row >= 0 && a.row < kMaxRows && a.col >= 0 && a.col < kMaxColumns; }

// What an aggregate needs of 256 rows of one column, kept until one of them changes, so
// SUM over tens of thousands of rows reads a few hundred summaries.
struct BlockSummary {
    double sum = 0;
    double min = 0;
    double max = 0;
    std::int32_t numbers = 0;
    std::int32_t nonEmpty = 0;
    std::int32_t errors = 0;
    bool valid = false;
};

struct Column {
    std::vector<std::uint8_t> kind;  // Value::Kind of the current value
    std::vector<std::uint8_t> content;  // Content
    std::vector<double> num;  // number; boolean 0/1; error code
    std::vector<std::uint16_t> style;
    // Formula slot by row, 0 for none; empty until the column holds a formula, so a column
    // of constants keeps no slots at all.
    std::vector<std::uint32_t> slot;
    // Text values, in blocks of kBlockRows rows made when the first text of a block
    // arrives: a column of numbers under a heading, with "Total" at its foot, holds two
    // small blocks rather than a string per row. (A loaded column of texts fills block
    // after block; a hash keyed by row made that a rehash-bound crawl.)
    std::vector<std::unique_ptr<std::array<std::string, kBlockRows>>> textBlocks;
    const std::string* textAt(std::size_t r) const {
        const std::size_t b = r / kBlockRows;
        if (b >= textBlocks.size() || !textBlocks[b]) return nullptr;
        return &(*textBlocks[b])[r % kBlockRows];
    }
    std::string& textSlot(std::size_t r) {
        const std::size_t b = r / kBlockRows;
        if (b >= textBlocks.size()) textBlocks.resize(b + 1);
        if (!textBlocks[b]) textBlocks[b] = std::make_unique<std::array<std::string, kBlockRows>>();
        return (*textBlocks[b])[r % kBlockRows];
    }
    void dropText(std::size_t r) {
        const std::size_t b = r / kBlockRows;
        if (b < textBlocks.size() && textBlocks[b]) std::string().swap((*textBlocks[b])[r % kBlockRows]);
    }
    mutable std::vector<BlockSummary> blocks;  // by row / kBlockRows
    // Formulas in the column: the slots of a column of constants need not be looked at.
    std::uint32_t formulaCount = 0;
    int size() const { return static_cast<int>(kind.size()); }
    void ensure(int row) {
        if (row >= size()) [[unlikely]]
            grow(row);
    }
    // Rows a loaded column is expected to reach (see reserveForLoad).
    int expectedRows = 0;
    [[gnu::noinline]] void grow(int row) {
        // Whole blocks at a time: a loaded column grows row by row, and rows past the
        // last cell read as empty anyway.
        const std::size_t n = (static_cast<std::size_t>(row) / kBlockRows + 1) * kBlockRows;
        if (kind.capacity() < n && expectedRows > row) {
            const std::size_t room = (static_cast<std::size_t>(expectedRows) / kBlockRows + 1) * kBlockRows;
            kind.reserve(room);
            content.reserve(room);
            num.reserve(room);
            style.reserve(room);
            if (!slot.empty()) slot.reserve(room);
            blocks.reserve(room / kBlockRows);
        }
        kind.resize(n, 0);
        content.resize(n, None);
        num.resize(n, 0);
        style.resize(n, 0);
        if (!slot.empty()) slot.resize(n, 0);
        blocks.resize((n + kBlockRows - 1) / kBlockRows);
    }
    void changed(int row) { blocks[static_cast<std::size_t>(row / kBlockRows)].valid = false; }

    const BlockSummary& summary(int block) const {
        BlockSummary& b = blocks[static_cast<std::size_t>(block)];
        if (b.valid) return b;
        const int r0 = block * kBlockRows;
        const int r1 = std::min(size(), r0 + kBlockRows) - 1;
        b = BlockSummary{};
        b.min = std::numeric_limits<double>::infinity();
        b.max = -std::numeric_limits<double>::infinity();
        scan(r0, r1, b);
        b.valid = true;
        return b;
    }

    void scan(int r0, int r1, BlockSummary& b) const {
        constexpr auto kNumber = static_cast<std::uint8_t>(Value::Kind::Number);
        constexpr auto kError = static_cast<std::uint8_t>(Value::Kind::Error);
        const std::uint8_t* k = kind.data();
        const double* n = num.data();
        double sum = 0;
        double lo = b.min, hi = b.max;
        std::int32_t numbers = 0, nonEmpty = 0, errors = 0;
        // One pass without branches on the cell kinds.
        for (int r = r0; r <= r1; ++r) {
            const bool isNum = k[r] == kNumber;
            const double v = n[r];
            sum += isNum ? v : 0.0;
            lo = isNum && v < lo ? v : lo;
            hi = isNum && v > hi ? v : hi;
            numbers += isNum;
            nonEmpty += k[r] != 0;
            errors += k[r] == kError;
        }
        b.min = lo;
        b.max = hi;
        b.sum += sum;
        b.numbers += numbers;
        b.nonEmpty += nonEmpty;
        b.errors += errors;
    }

    ErrorCode firstError(int r0, int r1) const {
        for (int r = r0; r <= r1; ++r) {
            if (kind[static_cast<std::size_t>(r)] == static_cast<std::uint8_t>(Value::Kind::Error)) {
                return static_cast<ErrorCode>(static_cast<int>(num[static_cast<std::size_t>(r)]));
            }
        }
        return ErrorCode::Value;
    }
};

struct ColumnStore : formula::EvalContext {
    std::vector<Column> cols;
    std::vector<double> widths = std::vector<double>(kMaxColumns, kDefaultColumnWidth);
    bool loading = false;

    Column& column(int col) {
        if (col >= static_cast<int>(cols.size())) [[unlikely]]
            addColumns(col);
        return cols[static_cast<std::size_t>(col)];
    }
    [[gnu::noinline]] void addColumns(int upTo) {
        const std::size_t from = cols.size();
        cols.resize(static_cast<std::size_t>(upTo) + 1);
        if (loading) {
            for (std::size_t c = from; c < cols.size(); ++c) cols[c].expectedRows = expectedRows;
        }
    }
    int expectedRows = 0;  // while loading, see reserveForLoad
    const Column* columnIf(int col) const {
        return col < static_cast<int>(cols.size()) ? &cols[static_cast<std::size_t>(col)] : nullptr;
    }
    Value valueAt(int row, const Column& c) const {
        switch (static_cast<Value::Kind>(c.kind[static_cast<std::size_t>(row)])) {
            case Value::Kind::Empty: return Value::empty();
            case Value::Kind::Number: return Value::fromNumber(c.num[static_cast<std::size_t>(row)]);
            case Value::Kind::Boolean: return Value::fromBoolean(c.num[static_cast<std::size_t>(row)] != 0);
            case Value::Kind::Error:
                return Value::fromError(static_cast<ErrorCode>(static_cast<int>(c.num[static_cast<std::size_t>(row)])));
            case Value::Kind::Text: {
                const auto r = static_cast<std::size_t>(row);
                const std::string* t = c.textAt(r);
                return Value::fromText(t ? *t : std::string());
            }
        }
        return Value::empty();
    }

    Value cellValue(CellAddress at) const override {
        const Column* c = columnIf(at.col);
        if (!c || at.row >= c->size() || at.row < 0) return Value::empty();
        return valueAt(at.row, *c);
    }

    void writeValue(CellAddress at, const Value& v) {
        Column& c = column(at.col);
        c.ensure(at.row);
        const auto r = static_cast<std::size_t>(at.row);
        c.changed(at.row);
        if (static_cast<Value::Kind>(c.kind[r]) == Value::Kind::Text && v.kind != Value::Kind::Text) {
            c.dropText(r);
        }
        c.kind[r] = static_cast<std::uint8_t>(v.kind);
        switch (v.kind) {
            case Value::Kind::Empty: c.num[r] = 0; break;
            case Value::Kind::Number: c.num[r] = v.number; break;
            case Value::Kind::Boolean: c.num[r] = v.boolean ? 1 : 0; break;
            case Value::Kind::Error: c.num[r] = static_cast<double>(static_cast<int>(v.error)); break;
            case Value::Kind::Text:
                c.num[r] = 0;
                c.textSlot(r) = v.text;
                break;
        }
    }

    std::uint8_t contentAt(CellAddress at) const {
        const Column* c = columnIf(at.col);
        if (!c || at.row >= c->size()) return None;
        return c->content[static_cast<std::size_t>(at.row)];
    }

    // ---- what the evaluator reads ----------------------------------------------------------
    formula::AreaStats areaStats(const CellRange& area, bool wantMinMax) const override;
    void forEachValue(const CellRange& area, const std::function<bool(const Value&)>& visit) const override;

    // The evaluator's fast path reads numbers here, without making a Value.
    bool numberAt(CellAddress a, double& out) const override {
        if (!validCell(a)) return false;
        const Column* c = columnIf(a.col);
        if (!c || a.row >= c->size()) {
            out = 0;
            return true;
        }
        const auto r = static_cast<std::size_t>(a.row);
        switch (static_cast<Value::Kind>(c->kind[r])) {
            case Value::Kind::Number: out = c->num[r]; return true;
            case Value::Kind::Empty: out = 0; return true;
            default: return false;
        }
    }

    // ---- loading ----------------------------------------------------------------------------
    // While loading, the column of `at` when the cell is still empty, so that a loaded value
    // goes into it in one step; null for a cell that goes the general way.
    Column* emptyCellToLoad(CellAddress at) {
        if (!loading || !validCell(at)) return nullptr;
        Column& c = column(at.col);
        c.ensure(at.row);
        return c.content[static_cast<std::size_t>(at.row)] == None ? &c : nullptr;
    }

    // Without `markChanged` the caller sees to the column's block summaries itself.
    void writeNumber(CellAddress at, double n, bool markChanged = true) {
        Column& c = cols[static_cast<std::size_t>(at.col)];
        const auto r = static_cast<std::size_t>(at.row);
        if (markChanged) c.changed(at.row);
        if (static_cast<Value::Kind>(c.kind[r]) == Value::Kind::Text) c.dropText(r);
        c.kind[r] = static_cast<std::uint8_t>(Value::Kind::Number);
        c.num[r] = n;
    }
};

}  // namespace host::sheet_store
