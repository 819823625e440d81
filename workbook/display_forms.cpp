#include "workbook/display_forms.h"

#include "host/locale.h"
#include "workbook/sheet_failure.h"
#include "workbook/split_text.h"

namespace tallomer {

namespace {
// Days between the 1900 and the 1904 date systems' day 0.
constexpr double k1904Offset = 1462;

std::string dayFirst(const host::Date& date) {
    return std::to_string(date.day) + "/" + std::to_string(date.month) + "/" + std::to_string(date.year);
}
}  // namespace

std::string ValueForm(const host::CellValue& cell) {
    const host::Value& v = cell.value;
    switch (v.kind) {
        case host::Value::Kind::Empty: return "";
        case host::Value::Kind::Number:
            if (cell.isDate && host::dateFromSerial(v.number)) return host::shortDate(v.number);
            return host::generalNumber(v.number);
        case host::Value::Kind::Text: return v.text;
        case host::Value::Kind::Boolean: return v.boolean ? "TRUE" : "FALSE";
        case host::Value::Kind::Error: return std::string(host::errorText(v.error));
    }
    return "";
}

std::string RoundedForm(const host::CellValue& cell) {
    const host::Value& v = cell.value;
    double number = 0;
    switch (v.kind) {
        case host::Value::Kind::Empty: number = 0; break;
        case host::Value::Kind::Number: number = v.number; break;
        case host::Value::Kind::Text: {
            const auto parsed = host::parseNumber(v.text);
            if (!parsed) throw SheetFailure("Type mismatch: \"" + v.text + "\" cannot be rounded");
            number = *parsed;
            break;
        }
        case host::Value::Kind::Boolean: throw SheetFailure("Type mismatch: a logical value cannot be rounded");
        case host::Value::Kind::Error:
            throw SheetFailure("Type mismatch: " + std::string(host::errorText(v.error)) + " cannot be rounded");
    }
    return host::generalNumber(host::roundHalfEven2(number));
}

std::string DateDisplay(const host::CellValue& cell, bool date1904) {
    const host::Value& v = cell.value;
    if (v.isNumber()) {
        const double serial = date1904 ? v.number + k1904Offset : v.number;
        if (const auto date = host::dateFromSerial(serial)) return dayFirst(*date);
        return host::generalNumber(v.number);
    }
    if (v.isText()) {
        // Submit wrote month/day/year; the host kept it as text when it is no valid date.
        try {
            const Pieces pieces = SplitText(v.text, '/');
            if (v.text.find('/') != v.text.rfind('/')) {
                return pieces[1] + "/" + pieces[0] + "/" + pieces[2];
            }
        } catch (const SheetFailure&) {
            // more than 100 "/": no date; shown as it is
        }
        return v.text;
    }
    return ValueForm(cell);
}

}  // namespace tallomer
