#pragma once
#include <optional>
#include <string>
#include <vector>

namespace host {
class Worksheet;
}

namespace tallomer {

// Whether a sheet is a statistics sheet that Submit can go on adding to: B1 an entries count
// n, rows 3 to n + 2 data rows (A to E and H filled, F, G, I, J and K formulas) and row n + 3
// the totals row ("Total", then formulas in B to K). nullopt when it is; otherwise why not,
// naming the row ("row 7 is not a data row").
std::optional<std::string> StatsLayoutFault(const host::Worksheet& sheet);

// The dates of the data rows (column A of rows 3 to n + 2) that hold a date, as serial days.
std::vector<double> EntryDates(const host::Worksheet& sheet);

}  // namespace tallomer
