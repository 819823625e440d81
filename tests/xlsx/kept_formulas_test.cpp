// Formulas the engine keeps as text (other sheets, names, functions it lacks) on their way
// through Tallomer's .xlsx reader and writer. Shared ones as Excel writes them: the text only
// in the range's first cell, the other cells saying "the same, moved"; the text must move
// too, or every cell but the first would lose its formula.
#include <gtest/gtest.h>

#include "host/workbook_files.h"
#include "xlsx/shared_formula_text.h"
#include "xlsx_test_support.h"

using namespace xlsx_test;
using host::xlsx::moveFormulaText;

TEST(SharedFormulaText, RelativePartsMoveAndEverythingElseStays) {
    struct Case {
        const char* text;
        int rows, cols;
        const char* moved;  // nullptr: not moved
    };
    const Case cases[] = {
        {"Other!A1*2", 2, 0, "Other!A3*2"},
        {"'My sheet'!B$2+$C4+$D$5", 3, 1, "'My sheet'!C$2+$C7+$D$5"},
        {"SUM(A1:B2)/Rates", 1, 1, "SUM(B2:C3)/Rates"},
        {"IF(A1=\"B2\",LOG10(A1),#DIV/0!)", 1, 0,
         "IF(A2=\"B2\",LOG10(A2),#DIV/0!)"},  // texts and names of functions stay
        {"'It''s A1'!A1", 1, 0, "'It''s A1'!A2"},
        {"1.5E3+A1", 1, 0, "1.5E3+A2"},
        {"[1]Prices!A1+Table1[[#This Row],[B1]]", 1, 0, "[1]Prices!A2+Table1[[#This Row],[B1]]"},
        {"XFD1+A1048575", 1, 0, "XFD2+A1048576"},
        {"A1048576+1", 1, 0, nullptr},  // past the last row
        {"A2", -2, 0, nullptr},
        {"SUM(A:A)", 1, 0, nullptr},  // whole columns and rows are not moved
        {"SUM($3:$5)", 0, 1, nullptr},
    };
    for (const Case& c : cases) {
        const auto moved = moveFormulaText(c.text, c.rows, c.cols);
        if (c.moved) {
            ASSERT_TRUE(moved) << c.text;
            EXPECT_EQ(*moved, c.moved) << c.text;
        } else {
            EXPECT_FALSE(moved) << c.text << " gave " << moved.value_or("");
        }
    }
}

namespace {

// A package as Excel writes one, with sheets Main and Other (1, 2, 3 down column A); the
// cells of Main are the second argument.
constexpr const char* kExcelPackage = R"PY(
import sys, zipfile
ns = 'xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"'
rel = 'http://schemas.openxmlformats.org/officeDocument/2006/relationships'
parts = {
 '[Content_Types].xml': '<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/><Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/><Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/><Override PartName="/xl/worksheets/sheet2.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/></Types>',
 '_rels/.rels': '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="' + rel + '/officeDocument" Target="xl/workbook.xml"/></Relationships>',
 'xl/workbook.xml': '<workbook ' + ns + ' xmlns:r="' + rel + '"><sheets><sheet name="Main" sheetId="1" r:id="rId1"/><sheet name="Other" sheetId="2" r:id="rId2"/></sheets></workbook>',
 'xl/_rels/workbook.xml.rels': '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="' + rel + '/worksheet" Target="worksheets/sheet1.xml"/><Relationship Id="rId2" Type="' + rel + '/worksheet" Target="worksheets/sheet2.xml"/></Relationships>',
 'xl/worksheets/sheet1.xml': '<worksheet ' + ns + '><sheetData>' + sys.argv[2] + '</sheetData></worksheet>',
 'xl/worksheets/sheet2.xml': '<worksheet ' + ns + '><sheetData><row r="1"><c r="A1"><v>1</v></c></row><row r="2"><c r="A2"><v>2</v></c></row><row r="3"><c r="A3"><v>3</v></c></row></sheetData></worksheet>',
}
with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:
    for name, text in parts.items():
        z.writestr(name, text)
)PY";

}  // namespace

TEST(XlsxKeptFormulas, ASharedFormulaKeepsItsFormulaInEveryCellThroughOpenAndSave) {
    Folder f;
    const std::string book = f.file("shared.xlsx");
    // As Excel writes it: B1:B3 share Other!A1*2, which reads another sheet and is kept.
    python(kExcelPackage,
           quote(book) + " " +
               quote("<row r=\"1\"><c r=\"B1\"><f t=\"shared\" ref=\"B1:B3\" si=\"0\">Other!A1*2</f><v>2</v></c></row>"
                     "<row r=\"2\"><c r=\"B2\"><f t=\"shared\" si=\"0\"/><v>4</v></c></row>"
                     "<row r=\"3\"><c r=\"B3\"><f t=\"shared\" si=\"0\"/><v>6</v></c></row>"));
    const auto wb = host::loadWorkbookFile(book);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(wb->sheet(0).formulaText({row, 1}), "=Other!A" + std::to_string(row + 1) + "*2") << row;
        EXPECT_EQ(wb->sheet(0).value({row, 1}), host::Value::fromNumber(2.0 * (row + 1))) << row;
    }
    const std::string copy = f.file("copy.xlsx");
    host::saveWorkbookFile(*wb, copy);
    // openpyxl sees every formula; LibreOffice, which computes them, the same results.
    EXPECT_EQ(python(R"PY(
import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1])['Main']
print(' '.join(ws.cell(r, 2).value for r in range(1, 4)))
)PY",
                     quote(copy)),
              "=Other!A1*2 =Other!A2*2 =Other!A3*2\n");
    const auto computed = host::loadWorkbookFile(sofficeConvert(f, copy, "xlsx", true));
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(computed->sheet(0).value({row, 1}), host::Value::fromNumber(2.0 * (row + 1)));
}

TEST(XlsxKeptFormulas, AFormulaNamingAnotherWorkbookOrATableIsSavedAsItsResult) {
    // The package holds neither the other workbook's link nor the table, and Excel would
    // repair a formula that names one: the copy keeps the results. Brackets in a text stay.
    Folder f;
    const std::string book = f.file("brackets.xlsx");
    python(kExcelPackage, quote(book) + " " +
                              quote("<row r=\"1\"><c r=\"A1\"><f>[1]Prices!A1*2</f><v>8</v></c>"
                                    "<c r=\"B1\"><f>SUM(Table1[Amount])</f><v>3</v></c>"
                                    "<c r=\"C1\" t=\"str\"><f>Other!A1&amp;\"[x]\"</f><v>1[x]</v></c></row>"));
    const auto wb = host::loadWorkbookFile(book);
    const std::string copy = f.file("copy.xlsx");
    host::saveWorkbookFile(*wb, copy);
    EXPECT_EQ(python(R"PY(
import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1])['Main']
print(ws['A1'].value, ws['B1'].value, ws['C1'].value)
)PY",
                     quote(copy)),
              "8 3 =Other!A1&\"[x]\"\n");
}
