#pragma once
// The workbook-wide parts of an .xlsx package: where the parts are (relationships), the
// sheets in order with the workbook's settings, the shared strings and the cell formats.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/style.h"
#include "xlsx/zip_package.h"

namespace host::xlsx {

struct SheetPart {
    std::string name;
    std::string partName;  // inside the package, "xl/worksheets/sheet1.xml"
};

struct WorkbookPart {
    std::vector<SheetPart> sheets;  // in the workbook's order
    struct Name {
        std::string name;
        int sheet = -1;  // among `sheets`; -1 for the whole workbook
        std::string formula;
    };
    std::vector<Name> definedNames;
    std::string sharedStringsPart;  // empty when the package has none
    std::string stylesPart;  // empty when the package has none
    bool date1904 = false;
    int activeSheet = 0;
};

// Reads _rels/.rels, the workbook part and its relationships.
WorkbookPart readWorkbookPart(ZipPackage& package);

// The shared strings, each the text of its runs joined, kept in one block of characters.
class SharedStrings {
public:
    std::size_t size() const { return ends_.size(); }
    std::string_view at(std::size_t i) const {
        const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
        return std::string_view(chars_).substr(begin, ends_[i] - begin);
    }
    void append(std::string_view s) {
        chars_ += s;
        ends_.push_back(chars_.size());
    }

private:
    std::string chars_;
    std::vector<std::size_t> ends_;
};
SharedStrings readSharedStrings(ZipPackage& package, const std::string& partName);

// A cell text as the file spells it into the text itself. XML cannot carry control
// characters, so writers spell them "_x0001_", and an underscore that would read as such a
// spelling "_x005F_" ("_x005F_x0041_" is "_x0041_"). Only those are turned back: other
// "_xHHHH_" in a text are what was typed (libxlsxwriter writes them as they are).
void unescapeCellText(std::string& text);

// The cell formats (cellXfs), by the index a cell's s attribute gives.
std::vector<Style> readCellStyles(ZipPackage& package, const std::string& partName);

// Reads a part through an XML handler; HostError says what is wrong.
class XmlHandler;
void parsePart(ZipPackage& package, const std::string& partName, XmlHandler& handler);

// A target of a relationship, resolved against the folder of the part that holds it.
std::string resolvePartName(std::string_view baseFolder, std::string_view target);

}  // namespace host::xlsx
