// The worksheet: a column-major cell store, the dependency index and recalculation.
//
// Cells are stored column by column in contiguous arrays (value kind, number, style, formula
// slot), so an aggregate over B3:B32002 is a tight loop over two arrays. Texts live beside the
// arrays; formulas in a pool of slots, each holding its shared code and its cell, with a free
// list for slots given up.
//
// Dependencies: a formula's single-cell references are indexed by the referenced cell, whose
// entry in a per-column array heads a pooled linked list of the formulas that read it; its
// area references are listeners kept apart, found through a coarse grid of blocks of 2048
// rows of one column (very large areas go to a short list checked on every change). A change
// looks up only its own cell and block. Loading keeps no index: it is built in one pass on
// the first change after.
//
// Computing everything (after loading, or on request): a depth-first walk over what each
// formula reads, with an explicit stack; a formula met again while still on the stack closes a
// cycle, and the formulas of that cycle get the error #REF!.
//
// Recalculation after a change: the formulas reachable from the changed cell through the
// index are collected (iteratively, no recursion), then computed in dependency order (Kahn's
// algorithm). Formulas left over form cycles or hang below one: the strongly connected
// components among them (Tarjan's algorithm, iterative) that are cycles get the error #REF!
// (a circular reference, the error Google Sheets gives it), and the formulas below them are
// then computed in order with that error as their input.
#include "host/worksheet.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "formula/evaluator.h"
#include "formula/intern.h"
#include "host/host_error.h"
#include "host/locale.h"

namespace host {

namespace {


constexpr int kBlockRows = 256;       // rows per cached aggregate summary
constexpr int kAreaBlockRows = 2048;  // rows per cell of the area-listener grid
constexpr std::size_t kBigAreaBlocks = 512;
constexpr ErrorCode kCircularError = ErrorCode::Ref;
constexpr const char* kDateFormat = "m/d/yy";
// What a cell of an .xls workbook can hold, and the longest formula other spreadsheet
// programs of that format accept as typed.
constexpr std::size_t kMaxCellText = 32767;
constexpr std::size_t kMaxFormulaText = 1024;

enum Content : std::uint8_t { None = 0, Constant = 1, Formula = 2 };

std::size_t characterCount(std::string_view utf8) {
    std::size_t n = 0;
    for (unsigned char c : utf8) n += (c & 0xC0) != 0x80;
    return n;
}

bool validCell(CellAddress a) { return a.row >= 0 && a.row < kMaxRows && a.col >= 0 && a.col < kMaxColumns; }

[[noreturn, gnu::cold, gnu::noinline]] void outsideSheet(CellAddress a) {
    throw HostError("Row " + std::to_string(a.row + 1) + ", column " + std::to_string(a.col + 1) +
                    " is outside the sheet.");
}

inline void requireCell(CellAddress a) {
    if (!validCell(a)) [[unlikely]] outsideSheet(a);
}

void requireRange(const CellRange& r) {
    requireCell(r.first);
    requireCell(r.last);
    if (r.first.row > r.last.row || r.first.col > r.last.col) throw HostError("The range's corners are out of order.");
}

}  // namespace

struct Worksheet::Store final : formula::EvalContext {
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
        std::vector<std::uint8_t> kind;      // Value::Kind of the current value
        std::vector<std::uint8_t> content;   // Content
        std::vector<double> num;             // number; boolean 0/1; error code
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
        mutable std::vector<BlockSummary> blocks;    // by row / kBlockRows
        // Formulas in the column: the slots of a column of constants need not be looked at.
        std::uint32_t formulaCount = 0;
        int size() const { return static_cast<int>(kind.size()); }
        void ensure(int row) {
            if (row >= size()) [[unlikely]] grow(row);
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

    // A formula in the pool. Its references are not kept here: they follow again from the
    // shared code and the cell's position whenever the dependency index needs them. The code
    // is kept alive by heldCodes, so a cell costs no reference count.
    struct FormulaCell {
        const FormulaCode* code = nullptr;  // null: a free slot
        std::uint32_t place = 0;            // row << 8 | column
        std::uint32_t firstArea = 0;        // its area listeners, 1-based, chained by nextOfOwner
        CellAddress at() const { return {static_cast<int>(place >> 8), static_cast<int>(place & 0xFF)}; }
    };

    struct AreaListener {
        CellRange area;
        std::uint32_t owner = 0;        // formula slot
        std::uint32_t nextOfOwner = 0;  // the owner's next listener, 1-based
        bool big = false;
    };

    // One entry of a cell's list of readers: the formula slot and the next entry.
    struct ReaderLink {
        std::uint32_t slot = 0;
        std::uint32_t next = 0;
    };

    std::vector<Column> cols;
    std::vector<double> widths = std::vector<double>(kMaxColumns, kDefaultColumnWidth);
    std::vector<FormulaCell> formulas = std::vector<FormulaCell>(1);  // slot 0 means "none"
    std::vector<std::uint32_t> freeSlots;
    // The dependency index; not kept while loading, built on the first change after it.
    bool indexed = true;
    std::vector<std::vector<std::uint32_t>> readerHeads;  // by column, row: first link, 0 none
    std::vector<ReaderLink> links = std::vector<ReaderLink>(1);
    std::uint32_t freeLinks = 0;
    std::vector<AreaListener> areas;
    std::vector<std::uint32_t> freeAreas;
    std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> areaBlocks;
    std::vector<std::uint32_t> bigAreas;
    // Per-slot marks for recompute(): a slot belongs to the current walk when its mark equals
    // the generation, so nothing is cleared between changes.
    std::vector<std::uint32_t> marks;
    std::vector<std::uint32_t> nodeOfSlot;
    std::uint32_t generation = 0;
    std::vector<std::uint32_t> scratchRefs;
    // The last codes interned: a loaded sheet hands the same few shared codes over and over.
    std::array<std::pair<FormulaPtr, const FormulaCode*>, 8> recentCodes;
    std::size_t nextRecent = 0;
    // Every code a formula of this sheet uses (and some no longer used, until the next sweep).
    std::unordered_map<const FormulaCode*, FormulaPtr> heldCodes;
    std::size_t sweepAt = 64;
    bool loading = false;
    std::uint64_t computations = 0;

    // ---- raw cell access ------------------------------------------------------------------
    Column& column(int col) {
        if (col >= static_cast<int>(cols.size())) [[unlikely]] addColumns(col);
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
    std::size_t expectedFormulas = 0;
    const Column* columnIf(int col) const {
        return col < static_cast<int>(cols.size()) ? &cols[static_cast<std::size_t>(col)] : nullptr;
    }
    std::uint32_t slotAt(CellAddress at) const {
        const Column* c = columnIf(at.col);
        if (!c || !c->formulaCount || at.row < 0 || at.row >= c->size()) return 0;
        return c->slot[static_cast<std::size_t>(at.row)];
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

    // ---- aggregates -----------------------------------------------------------------------
    formula::AreaStats areaStats(const CellRange& area, bool /*wantMinMax*/) const override {
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

    void forEachValue(const CellRange& area, const std::function<bool(const Value&)>& visit) const override {
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

    // ---- dependency index -----------------------------------------------------------------
    static std::uint32_t blockKey(int col, int block) {
        return (static_cast<std::uint32_t>(col) << 16) | static_cast<std::uint32_t>(block);
    }
    static std::uint32_t cellKey(CellAddress a) {
        return (static_cast<std::uint32_t>(a.col) << 16) | static_cast<std::uint32_t>(a.row);
    }

    // The distinct cells a formula reads one by one, as cellKey()s, into scratchRefs.
    void collectSingles(const FormulaCell& fc) {
        scratchRefs.clear();
        for (const Token& t : fc.code->rpn) {
            if (t.kind != TokenKind::Ref) continue;
            const CellAddress a = t.a.resolve(fc.at());
            if (validCell(a)) scratchRefs.push_back(cellKey(a));
        }
        std::sort(scratchRefs.begin(), scratchRefs.end());
        scratchRefs.erase(std::unique(scratchRefs.begin(), scratchRefs.end()), scratchRefs.end());
    }

    std::uint32_t& readerHead(std::uint32_t key) {
        const std::size_t col = key >> 16, row = key & 0xFFFF;
        if (col >= readerHeads.size()) readerHeads.resize(col + 1);
        auto& heads = readerHeads[col];
        if (row >= heads.size()) heads.resize(std::max(row + 1, heads.size() * 2), 0);
        return heads[row];
    }

    void registerFormula(std::uint32_t slot) {
        collectSingles(formulas[slot]);
        for (std::uint32_t key : scratchRefs) {
            std::uint32_t link = freeLinks;
            if (link) {
                freeLinks = links[link].next;
            } else {
                link = static_cast<std::uint32_t>(links.size());
                links.emplace_back();
            }
            std::uint32_t& head = readerHead(key);
            links[link] = {slot, head};
            head = link;
        }
        const CellAddress owner = formulas[slot].at();
        for (const Token& t : formulas[slot].code->rpn) {
            if (t.kind != TokenKind::Area) continue;
            const CellAddress a = t.a.resolve(owner);
            const CellAddress b = t.b.resolve(owner);
            if (!validCell(a) || !validCell(b)) continue;
            AreaListener l;
            l.area = {{std::min(a.row, b.row), std::min(a.col, b.col)}, {std::max(a.row, b.row), std::max(a.col, b.col)}};
            l.owner = slot;
            l.nextOfOwner = formulas[slot].firstArea;
            std::uint32_t id;
            if (!freeAreas.empty()) {
                id = freeAreas.back();
                freeAreas.pop_back();
            } else {
                id = static_cast<std::uint32_t>(areas.size());
                areas.emplace_back();
            }
            const std::size_t blocks = static_cast<std::size_t>(l.area.last.col - l.area.first.col + 1) *
                                       static_cast<std::size_t>(l.area.last.row / kAreaBlockRows - l.area.first.row / kAreaBlockRows + 1);
            l.big = blocks > kBigAreaBlocks;
            areas[id] = l;
            formulas[slot].firstArea = id + 1;
            if (l.big) {
                bigAreas.push_back(id);
            } else {
                for (int col = l.area.first.col; col <= l.area.last.col; ++col) {
                    for (int b2 = l.area.first.row / kAreaBlockRows; b2 <= l.area.last.row / kAreaBlockRows; ++b2) {
                        areaBlocks[blockKey(col, b2)].push_back(id);
                    }
                }
            }
        }
    }

    void unregisterFormula(std::uint32_t slot) {
        collectSingles(formulas[slot]);
        for (std::uint32_t key : scratchRefs) {
            std::uint32_t* at = &readerHead(key);
            while (*at && links[*at].slot != slot) at = &links[*at].next;
            if (!*at) continue;
            const std::uint32_t link = *at;
            *at = links[link].next;
            links[link].next = freeLinks;
            freeLinks = link;
        }
        for (std::uint32_t next = formulas[slot].firstArea; next;) {
            const std::uint32_t id = next - 1;
            const AreaListener& l = areas[id];
            next = l.nextOfOwner;
            auto drop = [id](std::vector<std::uint32_t>& v) {
                auto pos = std::find(v.begin(), v.end(), id);
                if (pos != v.end()) {
                    *pos = v.back();
                    v.pop_back();
                }
            };
            if (l.big) {
                drop(bigAreas);
            } else {
                for (int col = l.area.first.col; col <= l.area.last.col; ++col) {
                    for (int b2 = l.area.first.row / kAreaBlockRows; b2 <= l.area.last.row / kAreaBlockRows; ++b2) {
                        auto it = areaBlocks.find(blockKey(col, b2));
                        if (it == areaBlocks.end()) continue;
                        drop(it->second);
                        if (it->second.empty()) areaBlocks.erase(it);
                    }
                }
            }
            freeAreas.push_back(id);
        }
        formulas[slot].firstArea = 0;
    }

    // Loading does not keep the index up to date: it is dropped, and built again in one pass
    // over the formulas when a change first needs it.
    void dropIndex() {
        indexed = false;
        readerHeads.clear();
        links.assign(1, ReaderLink{});
        freeLinks = 0;
        areas.clear();
        freeAreas.clear();
        areaBlocks.clear();
        bigAreas.clear();
        for (FormulaCell& fc : formulas) fc.firstArea = 0;
    }

    void ensureIndex() {
        if (indexed) return;
        indexed = true;
        // Room for every link and every column's heads at once: grown entry by entry, the
        // index of a large sheet was copied over and over.
        std::size_t refs = 0;
        for (const FormulaCell& fc : formulas) {
            if (!fc.code) continue;
            for (const Token& t : fc.code->rpn) refs += t.kind == TokenKind::Ref;
        }
        links.reserve(links.size() + refs);
        readerHeads.resize(std::max(readerHeads.size(), cols.size()));
        for (std::size_t c = 0; c < cols.size(); ++c) {
            auto& heads = readerHeads[c];
            heads.resize(std::max(heads.size(), static_cast<std::size_t>(cols[c].size())), 0);
        }
        for (std::uint32_t s = 1; s < formulas.size(); ++s) {
            if (formulas[s].code) registerFormula(s);
        }
    }

    // The formulas that read cell `at` (with repeats when one reads it through several areas).
    template <class F>
    void forEachDependent(CellAddress at, F&& f) {
        const std::uint32_t key = cellKey(at);
        if ((key >> 16) < readerHeads.size()) {
            const auto& heads = readerHeads[key >> 16];
            if ((key & 0xFFFF) < heads.size()) {
                for (std::uint32_t l = heads[key & 0xFFFF]; l; l = links[l].next) f(links[l].slot);
            }
        }
        if (auto it = areaBlocks.find(blockKey(at.col, at.row / kAreaBlockRows)); it != areaBlocks.end()) {
            for (std::uint32_t id : it->second) {
                if (areas[id].area.contains(at)) f(areas[id].owner);
            }
        }
        for (std::uint32_t id : bigAreas) {
            if (areas[id].area.contains(at)) f(areas[id].owner);
        }
    }

    // ---- contents -------------------------------------------------------------------------
    // The interned code for `code`, held by the sheet.
    const FormulaCode* holdCode(const FormulaPtr& code) {
        for (const auto& [given, interned] : recentCodes) {
            if (given == code) return interned;
        }
        if (heldCodes.size() >= sweepAt) sweepCodes();
        FormulaPtr interned = formula::intern(code);
        const FormulaCode* raw = interned.get();
        heldCodes.try_emplace(raw, std::move(interned));
        recentCodes[nextRecent] = {code, raw};
        nextRecent = (nextRecent + 1) % recentCodes.size();
        return raw;
    }

    // Lets go of the codes no formula uses any more.
    void sweepCodes() {
        std::unordered_map<const FormulaCode*, FormulaPtr> kept;
        for (const FormulaCell& fc : formulas) {
            if (!fc.code || kept.contains(fc.code)) continue;
            auto it = heldCodes.find(fc.code);
            if (it != heldCodes.end()) kept.emplace(fc.code, std::move(it->second));
        }
        heldCodes = std::move(kept);
        recentCodes = {};
        sweepAt = std::max({std::size_t{64}, heldCodes.size() * 2, formulas.size() / 4});
    }

    std::uint32_t placeFormula(CellAddress at, const FormulaCode* code) {
        std::uint32_t s;
        if (!freeSlots.empty()) {
            s = freeSlots.back();
            freeSlots.pop_back();
        } else {
            if (formulas.size() == formulas.capacity() && expectedFormulas > formulas.size()) {
                formulas.reserve(expectedFormulas);
            }
            s = static_cast<std::uint32_t>(formulas.size());
            formulas.emplace_back();
        }
        formulas[s] = {code, (static_cast<std::uint32_t>(at.row) << 8) | static_cast<std::uint32_t>(at.col), 0};
        Column& c = column(at.col);
        c.ensure(at.row);
        if (c.slot.size() < c.kind.size()) {
            c.slot.reserve(c.kind.capacity());
            c.slot.resize(c.kind.size(), 0);
        }
        c.slot[static_cast<std::size_t>(at.row)] = s;
        ++c.formulaCount;
        if (indexed) registerFormula(s);
        return s;
    }

    void dropFormula(CellAddress at) {
        const std::uint32_t s = slotAt(at);
        if (!s) return;
        if (indexed) unregisterFormula(s);
        formulas[s] = FormulaCell{};
        freeSlots.push_back(s);
        Column& c = cols[static_cast<std::size_t>(at.col)];
        c.slot[static_cast<std::size_t>(at.row)] = 0;
        --c.formulaCount;
    }

    void computeFormula(std::uint32_t slot) {
        const FormulaCell& fc = formulas[slot];
        if (fc.code->opaque) return;  // keeps its cached value
        ++computations;
        const CellAddress at = fc.at();
        if (computeOnNumbers(*fc.code, at)) return;
        writeValue(at, formula::evaluate(*fc.code, at, *this));
    }

    // ---- the common shapes, computed on the number arrays ---------------------------------
    // A statistics sheet is tens of thousands of =C3-E3, =F3/H3 and =I3: when the cells they
    // read hold numbers (or nothing, which counts as 0), they are computed here without the
    // evaluator's operand stack. Anything else (texts, booleans, errors, a division by zero, a
    // result that is not finite) goes to the evaluator.
    bool numberForFormula(CellAddress a, double& out) const {
        return numberAt(a, out, [](std::uint32_t) { return true; });
    }
    // The same, taking a formula's cell only when `formulaReady(slot)` says so.
    template <class FormulaReady>
    bool numberAt(CellAddress a, double& out, FormulaReady formulaReady) const {
        if (!validCell(a)) return false;
        const Column* c = columnIf(a.col);
        if (!c || a.row >= c->size()) {
            out = 0;
            return true;
        }
        const auto r = static_cast<std::size_t>(a.row);
        if (c->formulaCount && c->slot[r] && !formulaReady(c->slot[r])) return false;
        switch (static_cast<Value::Kind>(c->kind[r])) {
            case Value::Kind::Number: out = c->num[r]; return true;
            case Value::Kind::Empty: out = 0; return true;
            default: return false;
        }
    }

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

    bool computeOnNumbers(const FormulaCode& code, CellAddress at, bool markChanged = true) {
        const std::vector<Token>& rpn = code.rpn;
        double a = 0, b = 0;
        if (rpn.size() == 1 && rpn[0].kind == TokenKind::Ref) {
            if (!numberForFormula(rpn[0].a.resolve(at), a)) return false;
            writeNumber(at, a, markChanged);
            return true;
        }
        if (rpn.size() != 3 || rpn[0].kind != TokenKind::Ref || rpn[1].kind != TokenKind::Ref) return false;
        if (!numberForFormula(rpn[0].a.resolve(at), a) || !numberForFormula(rpn[1].a.resolve(at), b)) return false;
        double r = 0;
        if (!operateOnNumbers(rpn[2].kind, a, b, r)) return false;
        writeNumber(at, r, markChanged);
        return true;
    }

    // a op b for the four arithmetic operators, when the result is a finite number (a zero
    // without its sign); the evaluator answers the rest (#DIV/0!, overflow, other operators).
    static bool operateOnNumbers(TokenKind op, double a, double b, double& r) {
        switch (op) {
            case TokenKind::Add: r = a + b; break;
            case TokenKind::Sub: r = a - b; break;
            case TokenKind::Mul: r = a * b; break;
            case TokenKind::Div:
                if (b == 0) return false;
                r = a / b;
                break;
            default: return false;
        }
        if (!std::isfinite(r)) return false;
        if (r == 0) r = 0.0;
        return true;
    }

    // Recomputes the formulas among `seeds` and every formula depending on a seed, directly
    // or through other formulas, in dependency order.
    void recompute(const std::vector<CellAddress>& seeds) {
        if (loading) return;
        ensureIndex();
        if (marks.size() < formulas.size()) {
            marks.resize(formulas.size(), 0);
            nodeOfSlot.resize(formulas.size(), 0);
        }
        if (++generation == 0) {
            std::fill(marks.begin(), marks.end(), 0);
            generation = 1;
        }
        std::vector<std::uint32_t> nodes;              // node -> formula slot
        std::vector<std::vector<std::uint32_t>> out;   // node -> dependent nodes
        std::vector<std::uint32_t> work;               // nodes still to walk
        auto nodeOf = [&](std::uint32_t slot) -> std::uint32_t {
            if (marks[slot] != generation) {
                marks[slot] = generation;
                nodeOfSlot[slot] = static_cast<std::uint32_t>(nodes.size());
                nodes.push_back(slot);
                out.emplace_back();
                work.push_back(nodeOfSlot[slot]);
            }
            return nodeOfSlot[slot];
        };
        // Reachability: every formula among the seeds and every formula reading a seed, then
        // each new node's own readers, walked once per node.
        for (CellAddress s : seeds) {
            if (const std::uint32_t slot = slotAt(s)) {
                nodeOf(slot);
            } else {
                forEachDependent(s, [&](std::uint32_t d) { nodeOf(d); });
            }
        }
        while (!work.empty()) {
            const std::uint32_t xs = work.back();
            work.pop_back();
            forEachDependent(formulas[nodes[xs]].at(), [&](std::uint32_t d) {
                const std::uint32_t ds = nodeOf(d);
                out[xs].push_back(ds);
            });
        }
        std::vector<std::uint32_t> indeg(nodes.size(), 0);
        for (const auto& o : out) {
            for (std::uint32_t d : o) ++indeg[d];
        }
        std::vector<std::uint32_t> ready;
        for (std::uint32_t i = 0; i < nodes.size(); ++i) {
            if (indeg[i] == 0) ready.push_back(i);
        }
        std::vector<bool> done(nodes.size(), false);
        std::size_t computed = 0;
        auto drain = [&] {
            while (!ready.empty()) {
                const std::uint32_t i = ready.back();
                ready.pop_back();
                done[i] = true;
                ++computed;
                computeFormula(nodes[i]);
                for (std::uint32_t d : out[i]) {
                    if (--indeg[d] == 0) ready.push_back(d);
                }
            }
        };
        drain();
        if (computed == nodes.size()) return;
        // Cycles: Tarjan's strongly connected components over the nodes not yet computed.
        std::vector<int> low(nodes.size(), -1), num(nodes.size(), -1);
        std::vector<bool> onStack(nodes.size(), false), cyclic(nodes.size(), false);
        std::vector<std::uint32_t> sccStack;
        struct Frame { std::uint32_t node; std::size_t edge; };
        std::vector<Frame> frames;
        int counter = 0;
        for (std::uint32_t root = 0; root < nodes.size(); ++root) {
            if (done[root] || num[root] >= 0) continue;
            frames.push_back({root, 0});
            num[root] = low[root] = counter++;
            sccStack.push_back(root);
            onStack[root] = true;
            while (!frames.empty()) {
                Frame& f = frames.back();
                const std::uint32_t v = f.node;
                if (f.edge < out[v].size()) {
                    const std::uint32_t w = out[v][f.edge++];
                    if (done[w]) continue;
                    if (num[w] < 0) {
                        num[w] = low[w] = counter++;
                        sccStack.push_back(w);
                        onStack[w] = true;
                        frames.push_back({w, 0});
                    } else if (onStack[w]) {
                        low[v] = std::min(low[v], num[w]);
                    }
                    continue;
                }
                if (low[v] == num[v]) {
                    std::vector<std::uint32_t> comp;
                    std::uint32_t w;
                    do {
                        w = sccStack.back();
                        sccStack.pop_back();
                        onStack[w] = false;
                        comp.push_back(w);
                    } while (w != v);
                    bool isCycle = comp.size() > 1;
                    if (!isCycle) {
                        for (std::uint32_t d : out[v]) isCycle = isCycle || d == v;
                    }
                    if (isCycle) {
                        for (std::uint32_t c : comp) cyclic[c] = true;
                    }
                }
                frames.pop_back();
                if (!frames.empty()) {
                    const std::uint32_t parent = frames.back().node;
                    low[parent] = std::min(low[parent], low[v]);
                }
            }
        }
        for (std::uint32_t i = 0; i < nodes.size(); ++i) {
            if (!cyclic[i]) continue;
            done[i] = true;
            ++computed;
            writeValue(formulas[nodes[i]].at(), Value::fromError(kCircularError));
        }
        for (std::uint32_t i = 0; i < nodes.size(); ++i) {
            if (!cyclic[i]) continue;
            for (std::uint32_t d : out[i]) {
                if (!cyclic[d] && --indeg[d] == 0) ready.push_back(d);
            }
        }
        drain();
    }

    // A formula being walked by computeAll(): which of its references comes next, and inside
    // an area, the cell reached so far.
    struct PrecedentCursor {
        std::uint32_t slot;
        std::uint32_t token = 0;
        int col = -1;  // -1: not inside an area
        int row = 0;
    };

    // The next formula the cursor's formula reads that is not yet computed (its `state` is
    // not `done`), or 0 when there is none left. Skipping computed ones here keeps a SUM over
    // a column of computed formulas a tight loop.
    std::uint32_t nextPrecedent(PrecedentCursor& cur, const std::uint8_t* state, std::uint8_t done) const {
        const FormulaCell& fc = formulas[cur.slot];
        const std::vector<Token>& rpn = fc.code->rpn;
        const CellAddress owner = fc.at();
        while (cur.token < rpn.size()) {
            const Token& t = rpn[cur.token];
            if (t.kind == TokenKind::Ref) {
                ++cur.token;
                const CellAddress a = t.a.resolve(owner);
                if (!validCell(a)) continue;
                if (const std::uint32_t s = slotAt(a); s && state[s] != done) return s;
                continue;
            }
            if (t.kind != TokenKind::Area) {
                ++cur.token;
                continue;
            }
            const CellAddress a = t.a.resolve(owner);
            const CellAddress b = t.b.resolve(owner);
            if (!validCell(a) || !validCell(b)) {
                ++cur.token;
                continue;
            }
            const int firstRow = std::min(a.row, b.row), lastRow = std::max(a.row, b.row);
            const int lastCol = std::min(std::max(a.col, b.col), static_cast<int>(cols.size()) - 1);
            if (cur.col < 0) {
                cur.col = std::min(a.col, b.col);
                cur.row = firstRow;
            }
            for (; cur.col <= lastCol; ++cur.col, cur.row = firstRow) {
                const Column& c = cols[static_cast<std::size_t>(cur.col)];
                if (!c.formulaCount) continue;
                const int r1 = std::min(lastRow, c.size() - 1);
                const std::uint32_t* slots = c.slot.data();
                while (cur.row <= r1) {
                    if (const std::uint32_t s = slots[cur.row++]; s && state[s] != done) return s;
                }
            }
            cur.col = -1;
            ++cur.token;
        }
        return 0;
    }

    // True when a formula of single-cell references reads only constants and computed
    // formulas: most formulas of a sheet loaded row by row, which then need no walk.
    bool readsOnlyComputedCells(std::uint32_t slot, const std::uint8_t* state, std::uint8_t done) const {
        const FormulaCell& fc = formulas[slot];
        const CellAddress owner = fc.at();
        for (const Token& t : fc.code->rpn) {
            if (t.kind == TokenKind::Area) return false;
            if (t.kind != TokenKind::Ref) continue;
            const CellAddress a = t.a.resolve(owner);
            if (!validCell(a)) continue;
            if (const std::uint32_t s = slotAt(a); s && state[s] != done) return false;
        }
        return true;
    }

    // Computes every formula once, each after the formulas it reads: a depth-first walk over
    // what each formula reads, with its own stack so long chains need no recursion. Meeting a
    // formula still on the stack closes a cycle: every formula on the stack from it up gets
    // #REF!, and the formulas reading them compute with that error.
    void recomputeAll() {
        if (loading) return;
        enum : std::uint8_t { Waiting, OnStack, Done };
        std::vector<std::uint8_t> state(formulas.size(), Waiting);
        std::vector<PrecedentCursor> stack;
        for (std::uint32_t root = 1; root < formulas.size(); ++root) {
            if (!formulas[root].code || state[root] != Waiting) continue;
            if (readsOnlyComputedCells(root, state.data(), Done)) {
                computeFormula(root);
                state[root] = Done;
                continue;
            }
            state[root] = OnStack;
            stack.push_back({root});
            while (!stack.empty()) {
                PrecedentCursor& top = stack.back();
                if (state[top.slot] == Done) {  // closed a cycle
                    stack.pop_back();
                    continue;
                }
                const std::uint32_t p = nextPrecedent(top, state.data(), Done);
                if (!p) {
                    computeFormula(top.slot);
                    state[top.slot] = Done;
                    stack.pop_back();
                } else if (state[p] == Waiting) {
                    state[p] = OnStack;
                    stack.push_back({p});
                } else if (state[p] == OnStack) {
                    std::size_t from = stack.size();
                    while (stack[--from].slot != p) {}
                    for (std::size_t i = from; i < stack.size(); ++i) {
                        const std::uint32_t s = stack[i].slot;
                        state[s] = Done;
                        writeValue(formulas[s].at(), Value::fromError(kCircularError));
                    }
                }
            }
        }
    }
};

// ---- Worksheet ----------------------------------------------------------------------------

Worksheet::Worksheet(std::string name, StyleTable& styles)
    : name_(std::move(name)), styles_(&styles), store_(std::make_unique<Store>()) {}

Worksheet::~Worksheet() = default;

void Worksheet::setTyped(CellAddress at, std::string_view text) {
    requireCell(at);
    if (text.empty()) {
        clearContents(at);
        return;
    }
    if (const std::size_t chars = characterCount(text); chars > kMaxCellText) {
        throw HostError("A cell holds at most " + std::to_string(kMaxCellText) + " characters; this text has " +
                        std::to_string(chars) + ".");
    }
    if (text.front() == '=') {
        if (text.size() > kMaxFormulaText) {
            throw HostError("A formula may be at most " + std::to_string(kMaxFormulaText) + " characters long.");
        }
        FormulaPtr code = parseFormula(text, at);  // throws before anything changes
        setFormula(at, std::move(code));
        return;
    }
    if (text.front() == '\'') {  // a leading apostrophe keeps the rest as text
        setValue(at, Value::fromText(std::string(text.substr(1))));
        return;
    }
    if (auto n = parseNumber(text)) {
        setValue(at, Value::fromNumber(*n));
        return;
    }
    if (auto d = parseTypedDate(text)) {
        if (!isDateFormat(style(at).numberFormat)) {
            Style s = style(at);
            s.numberFormat = kDateFormat;
            setStyleIndex(at, styles_->intern(s));
        }
        setValue(at, Value::fromNumber(*d));
        return;
    }
    setValue(at, Value::fromText(std::string(text)));
}

void Worksheet::setValue(CellAddress at, const Value& value) {
    requireCell(at);
    store_->dropFormula(at);
    store_->writeValue(at, value);
    Store::Column& c = store_->column(at.col);
    c.content[static_cast<std::size_t>(at.row)] = value.isEmpty() ? None : Constant;
    if (!store_->loading) store_->recompute({at});
}

void Worksheet::setNumber(CellAddress at, double number) {
    requireCell(at);
    store_->dropFormula(at);
    Store::Column& c = store_->column(at.col);
    c.ensure(at.row);
    store_->writeNumber(at, number);
    c.content[static_cast<std::size_t>(at.row)] = Constant;
    if (!store_->loading) store_->recompute({at});
}

void Worksheet::setFormula(CellAddress at, const FormulaPtr& code, const Value& cached) {
    requireCell(at);
    if (!code) throw HostError("No formula given.");
    const FormulaCode* held = store_->holdCode(code);
    store_->dropFormula(at);
    store_->placeFormula(at, held);
    // While loading, a formula the engine computes gets its value when loading ends: the
    // cached one would only be overwritten.
    store_->writeValue(at, store_->loading && !held->opaque ? Value::empty() : cached);
    store_->column(at.col).content[static_cast<std::size_t>(at.row)] = Formula;
    if (!store_->loading) store_->recompute({at});
}

void Worksheet::clearContents(CellAddress at) {
    requireCell(at);
    if (store_->contentAt(at) == None) return;
    store_->dropFormula(at);
    store_->writeValue(at, Value::empty());
    store_->column(at.col).content[static_cast<std::size_t>(at.row)] = None;
    store_->recompute({at});
}

const FormulaCode* Worksheet::formulaAt(CellAddress at) const {
    if (!validCell(at)) return nullptr;
    const Store::Column* c = store_->columnIf(at.col);
    if (!c || at.row >= c->size()) return nullptr;
    const auto r = static_cast<std::size_t>(at.row);
    return c->content[r] == Formula ? store_->formulas[c->slot[r]].code : nullptr;
}

CellView Worksheet::cell(CellAddress at) const {
    CellView v;
    v.at = at;
    if (!validCell(at)) return v;
    const Store::Column* c = store_->columnIf(at.col);
    if (!c || at.row >= c->size()) return v;
    const auto r = static_cast<std::size_t>(at.row);
    v.style = c->style[r];
    switch (c->content[r]) {
        case Formula: {
            v.kind = CellView::Kind::Formula;
            v.formula = store_->formulas[c->slot[r]].code;
            v.value = store_->valueAt(at.row, *c);
            break;
        }
        case Constant:
            v.kind = CellView::Kind::Constant;
            v.value = store_->valueAt(at.row, *c);
            break;
        default: break;
    }
    return v;
}

Value Worksheet::value(CellAddress at) const {
    if (!validCell(at)) return Value::empty();
    return store_->cellValue(at);
}

CellValue Worksheet::read(CellAddress at) const {
    CellValue cv;
    cv.value = value(at);
    cv.isDate = cv.value.isNumber() && isDateFormat(style(at).numberFormat);
    return cv;
}

std::string Worksheet::formulaText(CellAddress at) const {
    if (store_->contentAt(at) != Formula) return "";
    return host::formulaText(*store_->formulas[store_->slotAt(at)].code, at);
}

void Worksheet::forEachCell(const std::function<void(const CellView&)>& visit) const {
    int rows = 0;
    for (const auto& c : store_->cols) rows = std::max(rows, c.size());
    const int ncols = static_cast<int>(store_->cols.size());
    for (int r = 0; r < rows; ++r) {
        for (int col = 0; col < ncols; ++col) {
            const Store::Column& c = store_->cols[static_cast<std::size_t>(col)];
            if (r >= c.size()) continue;
            const auto rr = static_cast<std::size_t>(r);
            const std::uint8_t content = c.content[rr];
            if (content == None && c.style[rr] == 0) continue;
            CellView v;
            v.at = {r, col};
            v.style = c.style[rr];
            if (content == Formula) {
                v.kind = CellView::Kind::Formula;
                v.formula = store_->formulas[c.slot[rr]].code;
                v.value = store_->valueAt(r, c);
            } else if (content == Constant) {
                v.kind = CellView::Kind::Constant;
                v.value = store_->valueAt(r, c);
            }
            visit(v);
        }
    }
}

void Worksheet::walkRows(RowVisit visit, void* context, int firstRow, int endRow) const {
    // The columns' arrays at hand: the inner loop crosses every column once per row.
    struct ColumnArrays {
        const std::uint8_t* content;
        const std::uint16_t* style;
        const std::uint8_t* kind;
        const double* num;
        const std::uint32_t* slot;
        const Store::Column* column;
        int size;
    };
    std::vector<ColumnArrays> cols;
    cols.reserve(store_->cols.size());
    int rows = 0;
    for (const Store::Column& c : store_->cols) {
        cols.push_back({c.content.data(), c.style.data(), c.kind.data(), c.num.data(), c.slot.data(), &c, c.size()});
        rows = std::max(rows, c.size());
    }
    std::vector<CellFields> row;
    row.reserve(cols.size());
    rows = std::min(rows, endRow);
    for (int r = std::max(firstRow, 0); r < rows; ++r) {
        row.clear();
        const auto rr = static_cast<std::size_t>(r);
        for (std::size_t col = 0; col < cols.size(); ++col) {
            const ColumnArrays& c = cols[col];
            if (r >= c.size) continue;
            const std::uint8_t content = c.content[rr];
            if (content == None && c.style[rr] == 0) continue;
            CellFields& f = row.emplace_back();
            f.col = static_cast<int>(col);
            f.style = c.style[rr];
            if (content == Formula) {
                f.kind = CellView::Kind::Formula;
                f.formula = store_->formulas[c.slot[rr]].code;
            } else if (content == Constant) {
                f.kind = CellView::Kind::Constant;
            } else {
                continue;
            }
            f.valueKind = static_cast<Value::Kind>(c.kind[rr]);
            f.number = c.num[rr];
            if (f.valueKind == Value::Kind::Text) {
                if (const std::string* t = c.column->textAt(rr)) f.text = *t;
            }
        }
        if (!row.empty()) visit(context, r, row);
    }
}

int Worksheet::rowExtent() const {
    int rows = 0;
    for (const Store::Column& c : store_->cols) rows = std::max(rows, c.size());
    return rows;
}

std::optional<CellRange> Worksheet::usedRange() const {
    std::optional<CellRange> used;
    const int ncols = static_cast<int>(store_->cols.size());
    for (int col = 0; col < ncols; ++col) {
        const Store::Column& c = store_->cols[static_cast<std::size_t>(col)];
        int first = -1, last = -1;
        for (int r = 0; r < c.size(); ++r) {
            const auto rr = static_cast<std::size_t>(r);
            if (c.content[rr] == None && c.style[rr] == 0) continue;
            if (first < 0) first = r;
            last = r;
        }
        if (first < 0) continue;
        if (!used) {
            used = CellRange{{first, col}, {last, col}};
        } else {
            used->first.row = std::min(used->first.row, first);
            used->last.row = std::max(used->last.row, last);
            used->last.col = col;
        }
    }
    return used;
}

std::uint16_t Worksheet::styleIndex(CellAddress at) const {
    const Store::Column* c = store_->columnIf(at.col);
    if (!c || at.row < 0 || at.row >= c->size()) return 0;
    return c->style[static_cast<std::size_t>(at.row)];
}

void Worksheet::setStyleIndex(CellAddress at, std::uint16_t index) {
    requireCell(at);
    if (index >= styles_->size()) throw HostError("Style " + std::to_string(index) + " does not exist.");
    if (index == 0 && styleIndex(at) == 0) return;
    Store::Column& c = store_->column(at.col);
    c.ensure(at.row);
    c.style[static_cast<std::size_t>(at.row)] = index;
}

const Style& Worksheet::style(CellAddress at) const { return styles_->at(styleIndex(at)); }

namespace {
template <class Change>
void restyle(Worksheet& sheet, StyleTable& styles, const CellRange& range, Change change) {
    requireRange(range);
    std::vector<std::pair<std::uint16_t, std::uint16_t>> cache;  // old -> new style index
    for (int col = range.first.col; col <= range.last.col; ++col) {
        for (int row = range.first.row; row <= range.last.row; ++row) {
            const std::uint16_t old = sheet.styleIndex({row, col});
            std::uint16_t now = 0;
            auto hit = std::find_if(cache.begin(), cache.end(), [old](const auto& p) { return p.first == old; });
            if (hit != cache.end()) {
                now = hit->second;
            } else {
                Style s = styles.at(old);
                change(s);
                now = styles.intern(s);
                cache.emplace_back(old, now);
            }
            if (now != old) sheet.setStyleIndex({row, col}, now);
        }
    }
}
}  // namespace

void Worksheet::setBold(const CellRange& range, bool bold) {
    restyle(*this, *styles_, range, [bold](Style& s) { s.bold = bold; });
}

void Worksheet::setAlignment(const CellRange& range, HAlign align) {
    restyle(*this, *styles_, range, [align](Style& s) { s.align = align; });
}

void Worksheet::setNumberFormat(const CellRange& range, const std::string& format) {
    restyle(*this, *styles_, range, [&format](Style& s) { s.numberFormat = format; });
}

double Worksheet::columnWidth(int col) const {
    if (col < 0 || col >= kMaxColumns) return kDefaultColumnWidth;
    return store_->widths[static_cast<std::size_t>(col)];
}

void Worksheet::setColumnWidth(int col, double width) {
    if (col < 0 || col >= kMaxColumns) throw HostError("Column " + std::to_string(col + 1) + " is outside the sheet.");
    // Files store widths in 1/256 of a character, up to just under 256.
    if (!(width >= 0 && width < 256)) {
        throw HostError("A column width must be between 0 and 255 characters.");
    }
    store_->widths[static_cast<std::size_t>(col)] = width;
}

void Worksheet::beginLoad() {
    store_->loading = true;
    store_->dropIndex();
}

void Worksheet::loadNumber(CellAddress at, double number, std::uint16_t styleIndex) {
    Store::Column* c = styleIndex < styles_->size() ? store_->emptyCellToLoad(at) : nullptr;
    if (!c) {
        setNumber(at, number);
        if (styleIndex) setStyleIndex(at, styleIndex);
        return;
    }
    // An empty cell: no formula to drop, no text to let go.
    const auto r = static_cast<std::size_t>(at.row);
    c->changed(at.row);
    c->kind[r] = static_cast<std::uint8_t>(Value::Kind::Number);
    c->num[r] = number;
    c->content[r] = Constant;
    if (styleIndex) c->style[r] = styleIndex;
}

void Worksheet::loadFormula(CellAddress at, const FormulaPtr& code, const Value& cached, std::uint16_t styleIndex) {
    Store::Column* c = code && styleIndex < styles_->size() ? store_->emptyCellToLoad(at) : nullptr;
    if (!c) {
        setFormula(at, code, cached);
        if (styleIndex) setStyleIndex(at, styleIndex);
        return;
    }
    const auto r = static_cast<std::size_t>(at.row);
    const FormulaCode* held = store_->holdCode(code);
    store_->placeFormula(at, held);
    if (held->opaque) {
        store_->writeValue(at, cached);   // kept: the engine cannot compute it
    } else {
        c->changed(at.row);   // its value comes when loading ends
        c->kind[r] = static_cast<std::uint8_t>(Value::Kind::Empty);
        c->num[r] = 0;
    }
    c->content[r] = Formula;
    if (styleIndex) c->style[r] = styleIndex;
}

void Worksheet::reserveForLoad(int rows, int cols) {
    if (!store_->loading) return;
    rows = std::clamp(rows, 0, kMaxRows);
    cols = std::clamp(cols, 0, kMaxColumns);
    store_->expectedRows = rows;
    for (auto& c : store_->cols) c.expectedRows = rows;
    // Formula slots for every cell would be too many for a sheet of constants, but taking
    // address space costs nothing until it is used; the cap keeps a lying file in bounds. The
    // room is taken when the first formula arrives, after the columns have taken theirs: the
    // columns are filled whole, so they get the memory already in use, the slots what is left.
    constexpr std::size_t kMostSlotsAtOnce = std::size_t{1} << 20;
    store_->expectedFormulas = std::min(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols), kMostSlotsAtOnce);
}

void Worksheet::endLoad() {
    store_->loading = false;
    store_->expectedRows = 0;
    store_->expectedFormulas = 0;
    for (auto& c : store_->cols) c.expectedRows = 0;
    store_->recomputeAll();
}

void Worksheet::recalculateAll() { store_->recomputeAll(); }

std::uint64_t Worksheet::formulasComputed() const { return store_->computations; }

}  // namespace host
