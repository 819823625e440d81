#pragma once
#include <string>

#include "host/address.h"
#include "host/application.h"

// Reads the active sheet straight from the worksheet, by A1 address, without moving the cursor.
inline host::Worksheet& activeSheet(host::Application& xl) { return xl.activeWorkbook()->activeSheet(); }
inline host::CellAddress cellAt(const std::string& a1) { return *host::parseAddress(a1); }
inline host::Value valueAt(host::Application& xl, const std::string& a1) { return activeSheet(xl).value(cellAt(a1)); }
inline double numberAt(host::Application& xl, const std::string& a1) {
    const host::Value v = valueAt(xl, a1);
    return v.isNumber() ? v.number : -999999;
}
inline std::string textAt(host::Application& xl, const std::string& a1) {
    const host::Value v = valueAt(xl, a1);
    return v.isText() ? v.text : "<not text>";
}
inline std::string formulaAt(host::Application& xl, const std::string& a1) {
    return activeSheet(xl).formulaText(cellAt(a1));
}
inline std::string cursorAt(host::Application& xl) { return xl.activeCell().address(); }
