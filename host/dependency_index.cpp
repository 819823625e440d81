#include "dependency_index.h"

#include <algorithm>

namespace host::sheet_store {

void DependencyIndex::collectSingles(const FormulaCell& fc) {
    scratchRefs.clear();
    for (const Token& t : fc.code->rpn) {
        if (t.kind != TokenKind::Ref) continue;
        const CellAddress a = t.a.resolve(fc.origin());
        if (validCell(a)) scratchRefs.push_back(cellKey(a));
    }
    std::sort(scratchRefs.begin(), scratchRefs.end());
    scratchRefs.erase(std::unique(scratchRefs.begin(), scratchRefs.end()), scratchRefs.end());
}

std::uint32_t& DependencyIndex::readerHead(std::uint32_t key) {
    const std::size_t col = key >> 16, row = key & 0xFFFF;
    if (col >= readerHeads.size()) readerHeads.resize(col + 1);
    auto& heads = readerHeads[col];
    if (row >= heads.size()) heads.resize(std::max(row + 1, heads.size() * 2), 0);
    return heads[row];
}

void DependencyIndex::add(std::uint32_t slot) {
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
    const CellAddress owner = formulas[slot].origin();
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
        const std::size_t blocks =
            static_cast<std::size_t>(l.area.last.col - l.area.first.col + 1) *
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

void DependencyIndex::remove(std::uint32_t slot) {
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

void DependencyIndex::drop() {
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

void DependencyIndex::ensure() {
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
        if (formulas[s].code) add(s);
    }
}

}  // namespace host::sheet_store
