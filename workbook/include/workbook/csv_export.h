#pragma once
#include <string>

namespace host {
class Worksheet;
}

namespace tallomer {

// A statistics sheet's data rows as CSV (csv_writer.h): a header line with the sheet's own
// column headers (row 2), then one line per entry with the eleven columns' values as the host
// computes them: a date as yyyy-mm-dd, a number in the general form (250, 0.08), an error as
// its text (#DIV/0!), a text as it is. `date1904` is the workbook's date system. The caller
// checks the sheet's layout first (stats_layout_check.h).
std::string ExportCsv(const host::Worksheet& sheet, bool date1904);

}  // namespace tallomer
