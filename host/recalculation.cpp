// Recalculation: after a change, the formulas that depend on it in dependency order; after
// loading, every formula once. (See worksheet.cpp for the whole design.)
#include <algorithm>
#include <vector>

#include "worksheet_store.h"

namespace host {

void Worksheet::Store::recompute(const std::vector<CellAddress>& seeds) {
    if (loading) return;
    arrayResults.clear();
    index.ensure();
    if (marks.size() < formulas.size()) {
        marks.resize(formulas.size(), 0);
        nodeOfSlot.resize(formulas.size(), 0);
    }
    if (++generation == 0) {
        std::fill(marks.begin(), marks.end(), 0);
        generation = 1;
    }
    std::vector<std::uint32_t> nodes;  // node -> formula slot
    std::vector<std::vector<std::uint32_t>> out;  // node -> dependent nodes
    std::vector<std::uint32_t> work;  // nodes still to walk
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
            index.forEachDependent(s, [&](std::uint32_t d) { nodeOf(d); });
        }
    }
    for (const std::uint32_t slot : volatileSlots) nodeOf(slot);  // the moment has moved on
    while (!work.empty()) {
        const std::uint32_t xs = work.back();
        work.pop_back();
        index.forEachDependent(formulas[nodes[xs]].at(), [&](std::uint32_t d) {
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
    struct Frame {
        std::uint32_t node;
        std::size_t edge;
    };
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

std::uint32_t Worksheet::Store::nextPrecedent(PrecedentCursor& cur, const std::uint8_t* state,
                                              std::uint8_t done) const {
    const FormulaCell& fc = formulas[cur.slot];
    const std::vector<Token>& rpn = fc.code->rpn;
    const CellAddress owner = fc.origin();
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

bool Worksheet::Store::readsOnlyComputedCells(std::uint32_t slot, const std::uint8_t* state, std::uint8_t done) const {
    const FormulaCell& fc = formulas[slot];
    const CellAddress owner = fc.origin();
    for (const Token& t : fc.code->rpn) {
        if (t.kind == TokenKind::Area) return false;
        if (t.kind != TokenKind::Ref) continue;
        const CellAddress a = t.a.resolve(owner);
        if (!validCell(a)) continue;
        if (const std::uint32_t s = slotAt(a); s && state[s] != done) return false;
    }
    return true;
}

void Worksheet::Store::recomputeAll() {
    if (loading) return;
    arrayResults.clear();
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

}  // namespace host
