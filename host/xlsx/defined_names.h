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
// Built-in names are "_xlnm." and Print_Area or Print_Titles.
bool isDefinedNameExcelTakes(std::string_view name);

// Writes the names that Excel takes and whose formula XML can carry; the others are left out
// (a formula naming one of them shows #NAME? there, as it would have without it).
void writeDefinedNames(lxw_workbook* book, const Workbook& workbook);

}  // namespace host::xlsx
