#pragma once
// The worksheet's store, private to the host: the cells (column_store.h), the formulas in a
// pool of slots with the codes they use, the dependency index (dependency_index.h), and the
// recalculation, whose walks are in recalculation.cpp. What each part does and why is told in
// worksheet.cpp.
#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "column_store.h"
#include "dependency_index.h"
#include "formula/evaluator.h"
#include "formula/intern.h"
#include "host/worksheet.h"

namespace host {

using namespace sheet_store;

constexpr ErrorCode kCircularError = ErrorCode::Ref;

struct Worksheet::Store final : ColumnStore {
    std::vector<FormulaCell> formulas = std::vector<FormulaCell>(1);  // slot 0 means "none"
    std::vector<std::uint32_t> freeSlots;
    DependencyIndex index{formulas, cols};
    // Per-slot marks for recompute(): a slot belongs to the current walk when its mark equals
    // the generation, so nothing is cleared between changes.
    std::vector<std::uint32_t> marks;
    std::vector<std::uint32_t> nodeOfSlot;
    std::uint32_t generation = 0;
    // Every code a formula of this sheet uses (and some no longer used, until the next sweep),
    // each interned: the cells point at them without a reference count of their own.
    std::unordered_map<const FormulaCode*, FormulaPtr> heldCodes;
    // Volatile formulas (TODAY): the held codes that call a volatile function, and the slots
    // holding one of them, computed with every change. Few, so a list.
    std::unordered_set<const FormulaCode*> volatileCodes;
    std::vector<std::uint32_t> volatileSlots;
    std::size_t sweepAt = 64;
    std::size_t expectedFormulas = 0;  // while loading, see reserveForLoad
    std::uint64_t computations = 0;

    std::uint32_t slotAt(CellAddress at) const {
        const Column* c = columnIf(at.col);
        if (!c || !c->formulaCount || at.row < 0 || at.row >= c->size()) return 0;
        return c->slot[static_cast<std::size_t>(at.row)];
    }

    // ---- formulas --------------------------------------------------------------------------
    // The interned code for `code`, held by the sheet. A code the sheet already holds is
    // interned already: a loaded sheet hands the same few shared codes over and over.
    const FormulaCode* holdCode(const FormulaPtr& code) {
        if (heldCodes.contains(code.get())) return code.get();
        if (heldCodes.size() >= sweepAt) sweepCodes();
        FormulaPtr interned = formula::intern(code);
        const FormulaCode* raw = interned.get();
        if (heldCodes.try_emplace(raw, std::move(interned)).second && callsVolatile(*raw)) volatileCodes.insert(raw);
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
        std::erase_if(volatileCodes, [&](const FormulaCode* c) { return !heldCodes.contains(c); });
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
        if (index.indexed) index.add(s);
        if (!volatileCodes.empty() && volatileCodes.contains(code)) volatileSlots.push_back(s);
        return s;
    }

    void dropFormula(CellAddress at) {
        const std::uint32_t s = slotAt(at);
        if (!s) return;
        if (index.indexed) index.remove(s);
        if (!volatileSlots.empty() && volatileCodes.contains(formulas[s].code)) std::erase(volatileSlots, s);
        formulas[s] = FormulaCell{};
        freeSlots.push_back(s);
        Column& c = cols[static_cast<std::size_t>(at.col)];
        c.slot[static_cast<std::size_t>(at.row)] = 0;
        --c.formulaCount;
    }

    // Array formulas computed in the current recalculation, by code. Every cell of one reads
    // the same cells, so when the first of them is computed all it reads is computed already,
    // and its values serve the other cells too.
    std::unordered_map<const FormulaCode*, formula::ValueArray> arrayResults;

    void computeFormula(std::uint32_t slot) {
        const FormulaCell& fc = formulas[slot];
        if (fc.code->opaque) return;  // keeps its cached value
        ++computations;
        const CellAddress at = fc.at();
        if (fc.code->array) {
            auto it = arrayResults.find(fc.code);
            if (it == arrayResults.end()) {
                it = arrayResults.emplace(fc.code, formula::evaluateArray(*fc.code, fc.origin(), *this)).first;
            }
            const CellAddress first = fc.code->arrayRange.first;
            writeValue(at, formula::arrayElementForCell(it->second, at.row - first.row, at.col - first.col));
            return;
        }
        writeValue(at, formula::evaluate(*fc.code, at, *this));
    }

    // Recomputes the formulas among `seeds`, the volatile ones, and every formula depending on
    // one of them, directly or through other formulas, in dependency order.
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
