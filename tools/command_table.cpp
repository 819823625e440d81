#include "command_table.h"

#include "commands.h"

namespace cli {

namespace {
// Add a command's row here; keep them in the order --help should list them.
const CommandRow kCommands[] = {
    {"dump", "FILE",
     "Prints every non-empty cell of the first sheet of FILE, one line each: the cell's address, "
     "its value and its formula, separated by tabs.",
     dump},
    {"copy", "FILE NEWFILE",
     "Opens FILE and saves it as NEWFILE, as the program's Save As does. An existing NEWFILE is "
     "replaced only once the new file is complete.",
     copy},
    {"show", "FILE",
     "Prints what the main window shows after opening FILE: each display box with its label and "
     "text, or \"File does not contain any records.\"",
     show},
    {"add", "[--new] FILE DATE ORDERS VALUE REFUNDS REFUND_VALUE VISITORS",
     "Adds one day to FILE exactly as Submit would with those six figures typed (DATE day first, "
     "dd/mm/yyyy), saves FILE in its own format and prints the new last record. --new makes a new "
     "statistics workbook when FILE does not exist. A refused entry, or a FILE another program "
     "changed meanwhile, leaves FILE untouched and exits with status 2.",
     add},
    {"import", "[--new] [--map FIELD=HEADER,...] [--dates dmy|mdy|ymd] [--skip-bad] [--allow-repeats] FILE CSV",
     "Adds every row of CSV to FILE as Submit would, then saves FILE. Columns are found by their "
     "headers (--map names them: date, orders, order_value, refunds, refund_value, visitors). When "
     "any row is bad nothing is imported and the bad rows are listed; --skip-bad imports the good "
     "rows. Dates already in FILE or repeated in CSV are bad rows unless --allow-repeats is given.",
     import},
    {"export", "FILE CSV",
     "Writes the entries of FILE to CSV (- for standard output): a header line with the sheet's "
     "column headers, then the eleven columns' values of each data row, dates as yyyy-mm-dd.",
     exportCsv},
    {"summary", "FILE [--by week|month|year]",
     "Prints the statistics sheet's entries summed by week (Monday to Sunday), month (the default) "
     "or year: a header line, then one tab-separated line per period in date order, then the rows "
     "left out as \"undated\" or \"not numbers\".",
     summary},
    {"chart", "FILE --out PICTURE [--series NAME] [--from yyyy-mm-dd] [--to yyyy-mm-dd]",
     "Draws the Trends chart into PICTURE, SVG or PNG by its extension: one point per day with 7-day "
     "and 30-day moving averages. NAME is net_value (the default), net_orders, visitors, orders, "
     "net_orders_per_visitor or net_value_per_visitor.",
     chart},
};
}  // namespace

std::span<const CommandRow> commandTable() { return kCommands; }

const CommandRow* findCommand(const std::string& name) {
    for (const CommandRow& row : kCommands) {
        if (name == row.name) return &row;
    }
    return nullptr;
}

}  // namespace cli
