#include "xlsx/defined_names.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <string>

namespace host::xlsx {

namespace {

bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isNonAscii(char c) { return static_cast<unsigned char>(c) >= 0x80; }

// "AB12" within XFD1048576, with or without "$": the name would be read as the cell.
bool isA1Cell(std::string_view s) {
    std::size_t i = 0;
    long col = 0, row = 0;
    while (i < s.size() && isAsciiLetter(s[i]) && i < 4) col = col * 26 + ((s[i++] | 0x20) - 'a' + 1);
    if (i == 0 || i > 3 || col > 16384) return false;
    const std::size_t digits = i;
    while (i < s.size() && isDigit(s[i]) && row <= 1048576) row = row * 10 + (s[i++] - '0');
    return i == s.size() && i > digits && row >= 1 && row <= 1048576;
}

// "R", "C", "R1C1", "R2", "C3": the R1C1 form of a row, column or cell.
bool isR1C1(std::string_view s) {
    auto part = [&](std::size_t& i, char letter) {
        if (i >= s.size() || (s[i] | 0x20) != letter) return false;
        ++i;
        while (i < s.size() && isDigit(s[i])) ++i;
        return true;
    };
    std::size_t i = 0;
    const bool r = part(i, 'r');
    const bool c = part(i, 'c');
    return (r || c) && i == s.size();
}

}  // namespace

bool isDefinedNameExcelTakes(std::string_view name) {
    // Print titles must be whole rows and columns, which an .xls file spells as ranges.
    if (name.starts_with("_xlnm.")) return name == "_xlnm.Print_Area";
    if (name.empty() || name.size() > 255) return false;
    const char first = name.front();
    if (!isAsciiLetter(first) && first != '_' && first != '\\' && !isNonAscii(first)) return false;
    const bool allowed = std::all_of(name.begin(), name.end(), [](char c) {
        return isAsciiLetter(c) || isDigit(c) || c == '_' || c == '.' || c == '\\' || isNonAscii(c);
    });
    return allowed && !isA1Cell(name) && !isR1C1(name);
}

void writeDefinedNames(lxw_workbook* book, const Workbook& workbook) {
    for (const DefinedName& n : workbook.definedNames) {
        if (!isDefinedNameExcelTakes(n.name) || n.formula.empty()) continue;
        // No control character, and no other workbook ("[1]!A1"): the package lists none.
        if (std::any_of(n.formula.begin(), n.formula.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '['; }))
            continue;
        // Print areas and titles belong to a sheet; so does any name given one.
        if (n.name.starts_with("_xlnm.") && n.sheet < 0) continue;
        std::string qualified = n.name;
        if (n.sheet >= 0) {
            if (n.sheet >= workbook.sheetCount()) continue;
            qualified = "'" + workbook.sheet(n.sheet).name() + "'!" + n.name;
        }
        const std::string formula = "=" + n.formula;
        // A name the library refuses (twice the same, a sheet name it cannot take) is left out.
        workbook_define_name(book, qualified.c_str(), formula.c_str());
    }
}

}  // namespace host::xlsx
