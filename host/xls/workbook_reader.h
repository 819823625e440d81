#pragma once
// Reads a BIFF8 workbook stream record by record and hands what it finds to a WorkbookImport.
#include <cstdint>
#include <span>
#include <vector>

#include "host/workbook_import.h"
#include "xls/opaque_formulas.h"

namespace host::xls {

// Reads the globals (fonts, formats, XFs, the sheet list, the shared strings, names) and then
// every worksheet; chart and macro sheets are skipped. Throws HostError for a file it cannot
// read: an older BIFF version, an encrypted workbook, damaged records.
// `linkRecords`, when given, gets the link tables (SUPBOOK, EXTERNSHEET, NAME and EXTERNNAME
// records), each whole with its header and CONTINUE records, in file order: the tokens of the
// opaque formulas' 3-D references and names point into them, so a workbook that keeps such
// formulas keeps these too, for the writer. `opaque`, when given, gets those formulas' own
// bytes, by sheet (counted among the worksheets passed) and cell.
void readWorkbook(std::span<const std::uint8_t> stream, WorkbookImport& sink,
                  std::vector<std::vector<std::uint8_t>>* linkRecords = nullptr, OpaqueFormulas* opaque = nullptr);

}  // namespace host::xls
