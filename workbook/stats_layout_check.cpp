#include "workbook/stats_layout_check.h"

#include "host/worksheet.h"
#include "workbook/entries_count.h"
#include "workbook/sheet_failure.h"

namespace tallomer {

namespace {
using Kind = host::CellView::Kind;

std::optional<int> entriesCount(const host::Worksheet& sheet) {
    try {
        const int n = EntriesCount(sheet.read({0, 1}));
        if (n < 0 || n + 3 > 32767) return std::nullopt;
        return n;
    } catch (const SheetFailure&) {
        return std::nullopt;
    }
}

bool filled(const host::Worksheet& sheet, int row, int col) {
    const host::CellView cell = sheet.cell({row, col});
    return cell.kind != Kind::Blank && !(cell.kind == Kind::Constant && cell.value.isEmpty());
}
bool formula(const host::Worksheet& sheet, int row, int col) { return sheet.formulaAt({row, col}) != nullptr; }
}  // namespace

std::optional<std::string> StatsLayoutFault(const host::Worksheet& sheet) {
    const std::optional<int> count = entriesCount(sheet);
    if (!count) return std::string("B1 does not hold an entries count");
    const int n = *count;
    if (n == 0) return std::nullopt;
    for (int row = 2; row < n + 2; ++row) {  // zero-based rows of the data
        bool ok = true;
        for (int col : {0, 1, 2, 3, 4, 7}) ok = ok && filled(sheet, row, col);
        for (int col : {5, 6, 8, 9, 10}) ok = ok && formula(sheet, row, col);
        if (!ok) return "row " + std::to_string(row + 1) + " is not a data row";
    }
    const int totals = n + 2;
    const host::Value label = sheet.value({totals, 0});
    bool ok = label.isText() && label.text == "Total";
    for (int col = 1; col <= 10; ++col) ok = ok && formula(sheet, totals, col);
    if (!ok) return "row " + std::to_string(totals + 1) + " is not the totals row under the entries";
    return std::nullopt;
}

std::vector<double> EntryDates(const host::Worksheet& sheet) {
    std::vector<double> dates;
    const std::optional<int> count = entriesCount(sheet);
    if (!count) return dates;
    dates.reserve(*count);
    for (int row = 2; row < *count + 2; ++row) {
        const host::CellValue cell = sheet.read({row, 0});
        if (cell.isDate && cell.value.isNumber()) dates.push_back(cell.value.number);
    }
    return dates;
}

}  // namespace tallomer
