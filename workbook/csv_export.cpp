#include "workbook/csv_export.h"

#include <cstdio>
#include <vector>

#include "host/locale.h"
#include "host/worksheet.h"
#include "workbook/csv_writer.h"
#include "workbook/display_forms.h"
#include "workbook/entries_count.h"

namespace tallomer {

namespace {
constexpr int kColumns = 11;  // A to K
constexpr double kDays1904 = 1462;  // serial of 1 January 1904 in the 1900 system

std::string exportForm(const host::CellValue& cell, bool date1904) {
    if (cell.isDate && cell.value.isNumber()) {
        if (const auto date = host::dateFromSerial(cell.value.number + (date1904 ? kDays1904 : 0))) {
            char text[16];
            std::snprintf(text, sizeof text, "%04d-%02d-%02d", date->year, date->month, date->day);
            return text;
        }
    }
    if (cell.value.isNumber()) return host::generalNumber(cell.value.number);
    return ValueForm(cell);
}
}  // namespace

std::string ExportCsv(const host::Worksheet& sheet, bool date1904) {
    const int entries = EntriesCount(sheet.read({0, 1}));
    std::string out;
    out.reserve(static_cast<std::size_t>(entries + 1) * 96);
    std::vector<std::string> fields(kColumns);
    for (int row = 1; row < entries + 2; ++row) {  // the header row, then the data rows
        for (int col = 0; col < kColumns; ++col) {
            const host::CellValue cell = sheet.read({row, col});
            fields[col] = row == 1 ? ValueForm(cell) : exportForm(cell, date1904);
        }
        AppendCsvRecord(out, fields);
    }
    return out;
}

}  // namespace tallomer
