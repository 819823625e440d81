#pragma once
#include <string>

#include "host/workbook.h"

namespace host::xlsx {

// Writes the workbook as an .xlsx package through libxlsxwriter: every sheet, constants,
// formulas in A1 form with their results, formats, column widths, the active sheet and cell.
// Atomic like the .xls save: a failure leaves any existing file as it was. HostError says why.
void saveXlsxFile(const Workbook& workbook, const std::string& path);

}  // namespace host::xlsx
