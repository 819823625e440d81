#include "xls/opaque_formulas.h"

namespace host::xls {

void OpaqueFormulas::keep(int sheet, CellAddress at, FormulaPtr code, OpaqueBytes bytes) {
    entries_[key(sheet, at)] = Entry{std::move(code), std::move(bytes)};
}

const OpaqueBytes* OpaqueFormulas::find(int sheet, CellAddress at, const FormulaCode& current) const {
    const auto it = entries_.find(key(sheet, at));
    if (it == entries_.end()) return nullptr;
    // A cell that got a new formula or value since the file was read has dropped its bytes:
    // only the very formula read from the file (by content: the sheet may hold an equal copy)
    // is written back with them.
    const FormulaCode& kept = *it->second.code;
    if (&kept != &current && !(current.opaque && kept == current)) return nullptr;
    return &it->second.bytes;
}

const OpaqueFormulas* OpaqueFormulas::of(const Workbook& workbook) {
    return dynamic_cast<const OpaqueFormulas*>(workbook.xlsFilterData.get());
}

}  // namespace host::xls
