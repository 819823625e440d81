#pragma once
// The defined names of a workbook written into an .xlsx package. libxlsxwriter writes any name
// it is given, and a name Excel does not accept makes it repair the file: only names Excel
// could have written go out.
#include <string_view>

#include "host/workbook.h"

struct lxw_workbook;

namespace host::xlsx {

// Whether Excel takes `name` as a defined name: a letter, "_" or "\" first, then letters,
// digits, "_", "." or "\"; no cell reference ("AB12", "R1C1") and at most 255 characters.
// Of the built-in names ("_xlnm." and Excel's name) only the print area.
bool isDefinedNameExcelTakes(std::string_view name);

// Writes the names that Excel takes and whose formula XML can carry and names no other
// workbook; the others are left out (a formula naming one shows #NAME? there).
void writeDefinedNames(lxw_workbook* book, const Workbook& workbook);

}  // namespace host::xlsx
