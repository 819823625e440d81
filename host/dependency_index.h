#pragma once
// Which formulas read which cells: for each cell the formulas that name it alone, and for
// areas a grid of row blocks (an area over very many blocks is simply checked against each
// change). A change to a cell then finds the formulas to recompute without looking at the
// others. Private to the host.
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "column_store.h"
#include "host/formula_code.h"

namespace host::sheet_store {

constexpr int kAreaBlockRows = 2048;  // rows per cell of the area-listener grid
constexpr std::size_t kBigAreaBlocks = 512;

// A formula in the sheet's pool. Its references are not kept here: they follow again from
// the shared code and the cell's position whenever the dependency index needs them. The
// code is kept alive by the sheet (Store::heldCodes), so a cell costs no reference count.
struct FormulaCell {
    const FormulaCode* code = nullptr;  // null: a free slot
    std::uint32_t place = 0;  // row << 8 | column
    std::uint32_t firstArea = 0;  // its area listeners, 1-based, chained by nextOfOwner
    CellAddress at() const { return {static_cast<int>(place >> 8), static_cast<int>(place & 0xFF)}; }
    // Where its relative references count from (an array formula's first cell).
    CellAddress origin() const { return code->origin(at()); }
};

struct AreaListener {
    CellRange area;
    std::uint32_t owner = 0;  // formula slot
    std::uint32_t nextOfOwner = 0;  // the owner's next listener, 1-based
    bool big = false;
};

// One entry of a cell's list of readers: the formula slot and the next entry.
struct ReaderLink {
    std::uint32_t slot = 0;
    std::uint32_t next = 0;
};

class DependencyIndex {
public:
    DependencyIndex(std::vector<FormulaCell>& formulas, const std::vector<Column>& cols)
        : formulas(formulas), cols(cols) {}

    // Whether the index is up to date. Loading does not keep it so: it is dropped, and built
    // again in one pass over the formulas when a change first needs it.
    bool indexed = true;
    void add(std::uint32_t slot);  // the formula in `slot` reads what its code says
    void remove(std::uint32_t slot);  // ... and no longer does
    void drop();
    void ensure();

    // The formulas that read cell `at` (with repeats when one reads it through several areas).
    template <class F>
    void forEachDependent(CellAddress at, F&& f) const {
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

private:
    static std::uint32_t blockKey(int col, int block) {
        return (static_cast<std::uint32_t>(col) << 16) | static_cast<std::uint32_t>(block);
    }
    static std::uint32_t cellKey(CellAddress a) {
        return (static_cast<std::uint32_t>(a.col) << 16) | static_cast<std::uint32_t>(a.row);
    }
    // The distinct cells a formula reads one by one, as cellKey()s, into scratchRefs.
    void collectSingles(const FormulaCell& fc);
    std::uint32_t& readerHead(std::uint32_t key);

    std::vector<FormulaCell>& formulas;
    const std::vector<Column>& cols;
    std::vector<std::vector<std::uint32_t>> readerHeads;  // by column, row: first link, 0 none
    std::vector<ReaderLink> links = std::vector<ReaderLink>(1);
    std::uint32_t freeLinks = 0;
    std::vector<AreaListener> areas;
    std::vector<std::uint32_t> freeAreas;
    std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> areaBlocks;
    std::vector<std::uint32_t> bigAreas;
    std::vector<std::uint32_t> scratchRefs;
};

}  // namespace host::sheet_store
