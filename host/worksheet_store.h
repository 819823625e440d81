#pragma once
// The worksheet's store, private to the host: the column and text store with its block
// summaries, the dependency index, formula code held per shape, and recalculation (whose
// walks are in recalculation.cpp). What each part does and why is told in worksheet.cpp.
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
#include "host/worksheet.h"

namespace host {

// Shared by the store's files; private to the host.
namespace sheet_store {

constexpr int kBlockRows = 256;       // rows per cached aggregate summary
constexpr int kAreaBlockRows = 2048;  // rows per cell of the area-listener grid
constexpr std::size_t kBigAreaBlocks = 512;
constexpr ErrorCode kCircularError = ErrorCode::Ref;
enum Content : std::uint8_t { None = 0, Constant = 1, Formula = 2 };

inline bool validCell(CellAddress a) { return a.row >= 0 && a.row < kMaxRows && a.col >= 0 && a.col < kMaxColumns; }

}  // namespace sheet_store
using namespace sheet_store;

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
        writeValue(at, formula::evaluate(*fc.code, at, *this));
    }

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

    // Recomputes the formulas among `seeds` and every formula depending on a seed, directly
    // or through other formulas, in dependency order.
    void recompute(const std::vector<CellAddress>& seeds);

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
    std::uint32_t nextPrecedent(PrecedentCursor& cur, const std::uint8_t* state, std::uint8_t done) const;

    // True when a formula of single-cell references reads only constants and computed
    // formulas: most formulas of a sheet loaded row by row, which then need no walk.
    bool readsOnlyComputedCells(std::uint32_t slot, const std::uint8_t* state, std::uint8_t done) const;

    // Computes every formula once, each after the formulas it reads: a depth-first walk over
    // what each formula reads, with its own stack so long chains need no recursion. Meeting a
    // formula still on the stack closes a cycle: every formula on the stack from it up gets
    // #REF!, and the formulas reading them compute with that error.
    void recomputeAll();
};

}  // namespace host
