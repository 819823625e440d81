#pragma once
#include <string>

#include "host/value.h"

namespace tallomer {

// How a display box shows a cell's value.

// "value": the general text form. A number without group separators or trailing zeros (10,
// 10.5, 0.333333333333333), a date-formatted number as a short date, a text unchanged, an empty
// cell as the empty text, an error as its error text (#DIV/0!), a boolean as TRUE or FALSE.
std::string ValueForm(const host::CellValue& cell);

// "rounded": rounded to 2 decimals with ties to even, then the general form (2, 0.5, 0.33).
// An empty cell counts as 0 and a numeric text as its number; anything else cannot be rounded
// and is a SheetFailure.
std::string RoundedForm(const host::CellValue& cell);

// The date box: day/month/four-digit year taken from a date value (1/2/2001). A text that
// holds a month/day/year the host did not take as a date (13/31/2001) shows its first two
// pieces swapped back to day first (31/13/2001); other texts show unchanged. `date1904` is the
// workbook's date system.
std::string DateDisplay(const host::CellValue& cell, bool date1904);

}  // namespace tallomer
