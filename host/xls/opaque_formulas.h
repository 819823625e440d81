#pragma once
// The formulas of an .xls file that the engine does not compute (3-D references, names,
// functions it lacks, array constants in a formula that keeps its result), kept as the file's token bytes by sheet and cell, so
// that saving puts them back unchanged. The model holds only that such a formula is not
// computed, its text and its cached value; this table rides along with the workbook as the
// filter's own data.
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "host/address.h"
#include "host/formula_code.h"
#include "host/workbook.h"

namespace host::xls {

struct OpaqueBytes {
    std::vector<std::uint8_t> tokens;  // the rgce, valid in its own cell
    std::vector<std::uint8_t> extra;  // the rgcb after them: array constants' data; usually empty
};

class OpaqueFormulas final : public FilterData {
public:
    void keep(int sheet, CellAddress at, FormulaPtr code, OpaqueBytes bytes);
    // The bytes of the cell's formula, while the cell still holds the formula they were read
    // with; nullptr once it holds another formula or a value (its entry no longer counts).
    const OpaqueBytes* find(int sheet, CellAddress at, const FormulaCode& current) const;
    bool empty() const { return entries_.empty(); }

    // The table attached to `workbook`, or nullptr when it keeps none.
    static const OpaqueFormulas* of(const Workbook& workbook);

private:
    struct Entry {
        FormulaPtr code;
        OpaqueBytes bytes;
    };
    static std::uint64_t key(int sheet, CellAddress at) {
        return std::uint64_t(std::uint32_t(sheet)) << 32 | std::uint64_t(std::uint32_t(at.row)) << 8 |
               std::uint32_t(at.col);
    }
    std::unordered_map<std::uint64_t, Entry> entries_;
};

}  // namespace host::xls
