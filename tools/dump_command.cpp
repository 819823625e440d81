// tallomer-cli dump FILE: every non-empty cell of the first sheet, one line each:
// ADDRESS, TAB, VALUE, TAB, FORMULA.
#include <iostream>
#include <string>

#include "commands.h"
#include "host/host_error.h"
#include "host/locale.h"
#include "host/workbook_files.h"

namespace cli {

namespace {

// Days from 1900-01-00 to 1904-01-01: serials of the 1904 system count from there.
constexpr double k1904Offset = 1462;

std::string dateText(double serial) {
    const auto d = host::dateFromSerial(serial);
    if (!d) return host::generalNumber(serial);
    return std::to_string(d->month) + "/" + std::to_string(d->day) + "/" + std::to_string(d->year);
}

std::string valueText(const host::CellValue& cell, bool date1904) {
    const host::Value& v = cell.value;
    switch (v.kind) {
        case host::Value::Kind::Number:
            return cell.isDate ? dateText(date1904 ? v.number + k1904Offset : v.number) : host::generalNumber(v.number);
        case host::Value::Kind::Text: return v.text;
        case host::Value::Kind::Boolean: return v.boolean ? "TRUE" : "FALSE";
        case host::Value::Kind::Error: return std::string(host::errorText(v.error));
        case host::Value::Kind::Empty: return "";
    }
    return "";
}

}  // namespace

int dump(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::cerr << "usage: tallomer-cli dump FILE\n";
        return 1;
    }
    std::unique_ptr<host::Workbook> workbook;
    try {
        workbook = host::loadWorkbookFile(args[0]);
    } catch (const host::HostError& e) {
        std::cerr << "tallomer-cli: " << args[0] << ": " << e.what() << "\n";
        return 2;
    }
    const host::Worksheet& sheet = workbook->sheet(0);
    std::string out;
    sheet.forEachCell([&](const host::CellView& cell) {
        if (cell.kind == host::CellView::Kind::Blank) return;
        out += host::formatAddress(cell.at, false);
        out += '\t';
        out += valueText(sheet.read(cell.at), workbook->date1904);
        out += '\t';
        if (cell.kind == host::CellView::Kind::Formula) out += sheet.formulaText(cell.at);
        out += '\n';
    });
    std::cout << out;
    return 0;
}

}  // namespace cli
