// Array formulas (entered over their cells with Ctrl+Shift+Enter) are read with their results,
// and saving writes them back as array formulas, which LibreOffice reads as such. (Which of them
// are computed and which keep their stored results: computed_array_formulas_test.cpp.)
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

#include "biff_builder.h"
#include "host/workbook_files.h"
#include "writer_clients.h"
#include "xls/load_workbook_bytes.h"

namespace {

using xls_test::Bytes;
using xls_test::StreamBuilder;

// ARRAY over rows first..last of column `col`, with `tokens`.
Bytes arrayBody(int first, int last, int col, const Bytes& tokens) {
    Bytes b;
    xls_test::put16(b, first);
    xls_test::put16(b, last);
    b.push_back(static_cast<std::uint8_t>(col));
    b.push_back(static_cast<std::uint8_t>(col));
    xls_test::put16(b, 0);
    xls_test::put32(b, 0);
    xls_test::put16(b, static_cast<unsigned>(tokens.size()));
    b.insert(b.end(), tokens.begin(), tokens.end());
    return b;
}

Bytes pointerTo(int row, int col) { return {0x01, std::uint8_t(row), std::uint8_t(row >> 8), std::uint8_t(col), 0}; }

// A1:A3 = 1, 2, 3; C1:C3 {=A1:A3*2} stored as 2, 4, 6; D1 {=SUM(A1:A3*A1:A3)} stored as 14.
// Computed as ordinary formulas they would give other results (#VALUE! for the products).
Bytes arraysWorkbook() {
    const Bytes doubled = {0x65, 0, 0, 2, 0, 0, 0xC0, 0, 0xC0, 0x1E, 2, 0, 0x05};  // tAreaA A1:A3, 2, *
    const Bytes squares = {0x65, 0, 0, 2,    0, 0,    0xC0, 0,    0xC0, 0x65, 0, 0,
                           2,    0, 0, 0xC0, 0, 0xC0, 0x05, 0x42, 1,    4,    0};  // SUM(A1:A3*A1:A3)
    return xls_test::workbookStream(nullptr, [&](StreamBuilder& s) {
        for (int r = 0; r < 3; ++r) s.number(r, 0, r + 1);
        s.formula(0, 2, pointerTo(0, 2), 2);
        s.record(0x0221, arrayBody(0, 2, 2, doubled));
        s.formula(1, 2, pointerTo(0, 2), 4);
        s.formula(2, 2, pointerTo(0, 2), 6);
        s.formula(0, 3, pointerTo(0, 3), 14);
        s.record(0x0221, arrayBody(0, 0, 3, squares));
    });
}

void expectStoredResults(const host::Worksheet& sheet) {
    EXPECT_EQ(host::Value::fromNumber(2), sheet.value({0, 2}));
    EXPECT_EQ(host::Value::fromNumber(4), sheet.value({1, 2}));
    EXPECT_EQ(host::Value::fromNumber(6), sheet.value({2, 2}));
    EXPECT_EQ(host::Value::fromNumber(14), sheet.value({0, 3}));
    for (int r = 0; r < 3; ++r) EXPECT_EQ("=A1:A3*2", sheet.formulaText({r, 2})) << r;
    EXPECT_EQ("=SUM(A1:A3*A1:A3)", sheet.formulaText({0, 3}));
}

std::string readAll(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(ArrayFormulas, GoBackAsArrayFormulasWithTheirResults) {
    xls_test::TempDir dir;
    const auto book = host::xls::loadWorkbookBytes(xls_test::compoundFile(arraysWorkbook()));
    expectStoredResults(book->sheet(0));

    const auto saved = dir / "arrays.xls";
    host::saveWorkbookFile(*book, saved.string());
    const auto again = host::loadWorkbookFile(saved.string());
    expectStoredResults(again->sheet(0));

    // LibreOffice sees the two array formulas, over three cells and over one, and computes them
    // to the results the file stored.
    ASSERT_EQ(0, std::system(("cd '" + dir.path().string() + "' && HOME='" + dir.path().string() +
                              "' soffice --headless -env:UserInstallation=file://" + (dir / "lo").string() +
                              " --convert-to fods arrays.xls >/dev/null 2>&1")
                                 .c_str()))
        << "soffice could not convert the saved file (scripts/install-deps installs LibreOffice)";
    const std::string fods = readAll(dir / "arrays.fods");
    const std::regex tripleArray(R"re(table:number-matrix-columns-spanned="1" table:number-matrix-rows-spanned="3")re");
    EXPECT_TRUE(std::regex_search(fods, tripleArray)) << "no array formula over three cells";
    const std::regex single(
        R"re(table:number-matrix-columns-spanned="1" table:number-matrix-rows-spanned="1" table:formula="of:=SUM\(\[\.A1:\.A3\]\*\[\.A1:\.A3\]\)"[^>]*office:value="14")re");
    EXPECT_TRUE(std::regex_search(fods, single)) << "no one-cell array formula giving 14";
    for (const char* v : {"office:value=\"2\"", "office:value=\"4\"", "office:value=\"6\""}) {
        EXPECT_NE(fods.find(v), std::string::npos) << v;
    }
}

TEST(ArrayFormulas, AnArrayWithACellOverwrittenIsSavedAsItsResults) {
    // The program lets a cell of an array be typed over; the rest of the array then keeps its
    // results as constants rather than writing an array record that no longer fits its cells.
    xls_test::TempDir dir;
    const auto book = host::xls::loadWorkbookBytes(xls_test::compoundFile(arraysWorkbook()));
    book->sheet(0).setTyped({1, 2}, "40");
    const auto saved = dir / "broken.xls";
    host::saveWorkbookFile(*book, saved.string());
    const auto again = host::loadWorkbookFile(saved.string());
    const host::Worksheet& sheet = again->sheet(0);
    EXPECT_EQ(host::Value::fromNumber(2), sheet.value({0, 2}));
    EXPECT_EQ(host::Value::fromNumber(40), sheet.value({1, 2}));
    EXPECT_EQ(host::Value::fromNumber(6), sheet.value({2, 2}));
    EXPECT_EQ(host::CellView::Kind::Constant, sheet.cell({0, 2}).kind);
    EXPECT_EQ(host::CellView::Kind::Constant, sheet.cell({2, 2}).kind);
    EXPECT_EQ("=SUM(A1:A3*A1:A3)", sheet.formulaText({0, 3}));
    EXPECT_EQ(host::Value::fromNumber(14), sheet.value({0, 3}));
}

}  // namespace
