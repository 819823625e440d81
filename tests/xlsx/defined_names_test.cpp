// Defined names in .xlsx workbooks: read, kept and written back, so a formula that uses one
// still computes in the program the file goes to next.
#include <gtest/gtest.h>

#include <algorithm>

#include "host/workbook_files.h"
#include "xlsx/defined_names.h"
#include "xlsx_test_support.h"

using namespace xlsx_test;

TEST(XlsxDefinedNames, OnlyNamesExcelTakesAreWritten) {
    for (const char* good :
         {"Rate", "_private", "\\back", "A1Z10", "Tax.2024", "Prix_été", "XFE1", "RC1x", "_xlnm.Print_Area"})
        EXPECT_TRUE(host::xlsx::isDefinedNameExcelTakes(good)) << good;
    for (const char* bad : {"", "bad name", "1st", "AB12", "xfd1048576", "R", "c", "R1C1", "R12", "C3", "a-b",
                            "_xlnm._FilterDatabase", "_xlnm.Print_Titles", "_xlnm.Bogus"})
        EXPECT_FALSE(host::xlsx::isDefinedNameExcelTakes(bad)) << bad;
    EXPECT_FALSE(host::xlsx::isDefinedNameExcelTakes(std::string(256, 'n')));
}

namespace {

// A global name, a name of the second sheet, and formulas that use them.
constexpr const char* kNamedBook = R"PY(
import sys, openpyxl
from openpyxl.workbook.defined_name import DefinedName
wb = openpyxl.Workbook()
main = wb.active
main.title = 'Main'
other = wb.create_sheet('Other sheet')
for r in range(1, 4):
    other.cell(r, 1, r * 10)
main['A1'] = '=Rate*2'
other['B1'] = '=SUM(Local)'
wb.defined_names.append(DefinedName(name='Rate', attr_text='0.07'))
wb.defined_names.append(DefinedName(name='Local', localSheetId=1, attr_text="'Other sheet'!$A$1:$A$3"))
wb.save(sys.argv[1])
)PY";

}  // namespace

TEST(XlsxDefinedNames, NamesOfTheWorkbookAndOfASheetComeBackAndStillCompute) {
    Folder f;
    const std::string book = f.file("names.xlsx");
    python(kNamedBook, quote(book));
    const auto wb = host::loadWorkbookFile(book);
    ASSERT_EQ(wb->definedNames.size(), 2u);
    EXPECT_EQ(wb->definedNames[0], (host::DefinedName{"Rate", -1, "0.07"}));
    EXPECT_EQ(wb->definedNames[1], (host::DefinedName{"Local", 1, "'Other sheet'!$A$1:$A$3"}));

    const std::string copy = f.file("copy.xlsx");
    host::saveWorkbookFile(*wb, copy);
    EXPECT_EQ(python(R"PY(
import sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
print(sorted((d.name, d.localSheetId, d.attr_text) for d in wb.defined_names.definedName))
)PY",
                     quote(copy)),
              "[('Local', 1, \"'Other sheet'!$A$1:$A$3\"), ('Rate', None, '0.07')]\n");
    // LibreOffice computes the formulas that use them.
    const auto computed = host::loadWorkbookFile(sofficeConvert(f, copy, "xlsx", true));
    EXPECT_EQ(computed->sheet(0).value({0, 0}), host::Value::fromNumber(0.14));
    EXPECT_EQ(computed->sheet(1).value({0, 1}), host::Value::fromNumber(60));
}

TEST(XlsxDefinedNames, TheNamesOfAnXlsWorkbookGoIntoItsXlsxCopy) {
    Folder f;
    const std::string book = f.file("names.xlsx");
    python(kNamedBook, quote(book));
    // LibreOffice writes the names as NAME records, with the formulas' results.
    const auto fromXls = host::loadWorkbookFile(sofficeConvert(f, book, "xls"));
    std::vector<std::string> names;
    for (const auto& n : fromXls->definedNames)
        names.push_back(n.name + " " + std::to_string(n.sheet) + " " + n.formula);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Local 1 'Other sheet'!$A$1:$A$3", "Rate -1 0.07"}));
    const std::string copy = f.file("fromxls.xlsx");
    host::saveWorkbookFile(*fromXls, copy);
    const auto computed = host::loadWorkbookFile(sofficeConvert(f, copy, "xlsx", true));
    EXPECT_EQ(computed->sheet(0).value({0, 0}), host::Value::fromNumber(0.14));
    EXPECT_EQ(computed->sheet(1).value({0, 1}), host::Value::fromNumber(60));
}
