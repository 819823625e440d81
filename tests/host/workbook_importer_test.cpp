// The import interface as a reader of a format that stores formulas as A1 text fills it: the
// text parsed in the formula's own cell, a shared formula passed once and named by its cells.
#include <gtest/gtest.h>

#include "host/host_error.h"
#include "host/workbook_importer.h"

namespace {

host::CellAddress at(const char* a1) { return *host::parseAddress(a1); }

TEST(WorkbookImporter, FillsASheetFromTextFormulasSharedAndPlain) {
    host::Workbook book;
    host::WorkbookImporter importer(book);
    host::Style bold;
    bold.bold = true;
    const host::Style styles[] = {host::Style{}, bold};
    importer.cellStyles(styles);
    importer.beginSheet("Stats");
    importer.text(at("A1"), 1, "Orders");
    for (int r = 1; r <= 3; ++r) importer.number({r, 0}, 0, 10.0 * r);
    // A shared formula given in its first cell, B2, and named by B2:B4, with stale results.
    importer.sharedFormula(0, host::parseFormula("=A2*2", at("B2")));
    for (int r = 1; r <= 3; ++r) importer.sharedFormulaCell({r, 1}, 0, 0, host::Value::fromNumber(-1));
    importer.formula(at("B5"), 1, host::parseFormula("=sum(B2:B4)", at("B5")), host::Value::empty());
    // A cell naming a shared formula the reader never gave keeps its stored result.
    importer.sharedFormulaCell(at("C2"), 0, 7, host::Value::fromText("kept"));
    importer.sharedFormulaCell(at("C3"), 0, -1, host::Value::fromNumber(3));
    importer.endSheet();
    importer.activeSheet(0);

    ASSERT_EQ(1, book.sheetCount());
    const host::Worksheet& sheet = book.sheet(0);
    EXPECT_EQ("Stats", sheet.name());
    EXPECT_EQ(40, sheet.value(at("B3")).number);
    EXPECT_EQ("=A4*2", sheet.formulaText(at("B4")));
    EXPECT_EQ(sheet.formulaAt(at("B2")), sheet.formulaAt(at("B4"))) << "one code for the shared formula";
    EXPECT_EQ(120, sheet.value(at("B5")).number);
    EXPECT_EQ("=SUM(B2:B4)", sheet.formulaText(at("B5")));
    EXPECT_TRUE(sheet.style(at("A1")).bold);
    EXPECT_TRUE(sheet.style(at("B5")).bold);
    EXPECT_EQ(host::Value::fromText("kept"), sheet.value(at("C2")));
    EXPECT_EQ("", sheet.formulaText(at("C2")));
    EXPECT_EQ(3, sheet.value(at("C3")).number);
}

TEST(WorkbookImporter, ADamagedFilesIndexesAndReachAreRefused) {
    host::Workbook book;
    host::WorkbookImporter importer(book);
    importer.beginSheet("Sheet1");
    // A style index with no style behind it gets the default one; a huge shared index is ignored.
    importer.number(at("A1"), 999, 5);
    importer.sharedFormula(1 << 30, host::parseFormula("=A1", at("B1")));
    importer.sharedFormulaCell(at("B1"), 0, 1 << 30, host::Value::fromNumber(1));
    importer.endSheet();
    EXPECT_EQ(0, book.sheet(0).styleIndex(at("A1")));
    EXPECT_EQ(1, book.sheet(0).value(at("B1")).number);
    EXPECT_EQ("", book.sheet(0).formulaText(at("B1")));
}

}  // namespace
