#pragma once
// The sheets a workbook file lists that the host does not keep (chart, macro and VB module
// sheets) drop out of the sheet numbering: what counts sheets in the file's numbering (the
// EXTERNSHEET entries that 3-D references go through, the workbook's own SUPBOOK, names local to
// a sheet) is renumbered to the kept sheets', so that after a save each reference still names
// the sheet it named.
#include <cstdint>
#include <vector>

#include "xls/formula_tokens.h"

namespace host::xls {

class SheetNumbering {
public:
    // `kept[i]`: whether the file's sheet i is kept.
    explicit SheetNumbering(const std::vector<bool>& kept);

    bool changesAnything() const { return changes_; }
    // The kept numbering of the file's sheets first..last, narrowed to the kept sheets among
    // them; false when none of them is kept.
    bool range(int& first, int& last) const;

    // Sheet names and EXTERNSHEET entries, as the formulas of the kept sheets read them.
    void renumber(FormulaNames& names) const;
    // The link records kept for the writer (each a whole record, header included).
    void renumber(std::vector<std::vector<std::uint8_t>>& linkRecords) const;

private:
    std::vector<int> newIndex_;  // by file index: the kept index, or -1
    int keptCount_ = 0;
    bool changes_ = false;
};

}  // namespace host::xls
