// Which formulas of a file are computed on open and which keep the result the file stored:
// records made here, as Excel and xlwt write them, read, saved and read again.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdlib>
#include <filesystem>

#include "biff_builder.h"
#include "host/workbook_files.h"
#include "xls/load_workbook_bytes.h"

namespace {

using xls_test::Bytes;
using xls_test::StreamBuilder;

host::CellAddress cellAt(const char* a1) { return *host::parseAddress(a1); }

Bytes stringRecord(const std::string& s) {
    Bytes b;
    xls_test::put16(b, static_cast<unsigned>(s.size()));
    b.push_back(0);
    b.insert(b.end(), s.begin(), s.end());
    return b;
}

// An ARRAY record for the one cell at row, col.
Bytes arrayRecord(int row, int col, const Bytes& tokens) {
    Bytes b;
    xls_test::put16(b, row);
    xls_test::put16(b, row);
    b.push_back(static_cast<std::uint8_t>(col));
    b.push_back(static_cast<std::uint8_t>(col));
    xls_test::put16(b, 0);
    xls_test::put32(b, 0);
    xls_test::put16(b, static_cast<unsigned>(tokens.size()));
    b.insert(b.end(), tokens.begin(), tokens.end());
    return b;
}

const Bytes kUpperA1 = {0x44, 0, 0, 0, 0xC0, 0x41, 113, 0};  // UPPER(A1)
const Bytes kA1Plus1 = {0x44, 0, 0, 0, 0xC0, 0x1E, 1, 0, 0x03};  // A1+1
Bytes vlookup(bool approximate) {  // VLOOKUP(5,A1:B2,2,x)
    return {0x1E, 5, 0,   0x25, 0, 0, 1, 0, 0, 0xC0, 1, 0xC0, 0x1E, 2, 0, 0x1D, static_cast<std::uint8_t>(approximate),
            0x42, 4, 102, 0};
}
// TEXT(A1,"code") and TEXT(A1,B1)
Bytes textOf(const std::string& code) {
    Bytes b = {0x44, 0, 0, 0, 0xC0, 0x17, static_cast<std::uint8_t>(code.size()), 0};
    b.insert(b.end(), code.begin(), code.end());
    b.insert(b.end(), {0x41, 48, 0});
    return b;
}
const Bytes kTextA1B1 = {0x44, 0, 0, 0, 0xC0, 0x44, 0, 0, 1, 0xC0, 0x41, 48, 0};
// {=SUM(A1:A2*B1:B2)}
const Bytes kSumOfProducts = {0x65, 0, 0, 1,    0, 0,    0xC0, 0,    0xC0, 0x65, 0, 0,
                              1,    0, 1, 0xC0, 1, 0xC0, 0x05, 0x42, 1,    4,    0};

Bytes workbook() {
    return xls_test::compoundFile(xls_test::workbookStream(nullptr, [](StreamBuilder& s) {
        s.number(0, 0, 5).number(1, 0, 10).number(0, 1, 100).number(1, 1, 200);
        // C1: UPPER as Excel stores it, with a result the engine would not give: kept.
        s.formula(0, 2, kUpperA1, 0, 0);
        s.record(0x0207, stringRecord("KEPT"));
        // C2: UPPER as xlwt stores it, with no result (the empty-text marker): computed.
        s.formula(1, 2, kUpperA1, 0, 3);
        // C3: a formula computed as Excel does, with a stale result: computed again.
        s.formula(2, 2, kA1Plus1, 1000);
        // C4 and C5: VLOOKUP finding the nearest value keeps its result, finding an equal one
        // is computed.
        s.formula(3, 2, vlookup(true), 42);
        s.formula(4, 2, vlookup(false), 7);
        // C6: an array formula of functions computed as Excel does in arrays, with a stale
        // result: computed again.
        s.formula(5, 2, {0x01, 5, 0, 2, 0}, 1);
        s.record(0x0221, arrayRecord(5, 2, kSumOfProducts));
        // C7: TEXT with a format code the engine renders in full, a stale result: computed.
        // C8 (a colour code) and C9 (the code in a cell) keep their results.
        s.formula(6, 2, textOf("#,##0.00"), 0, 0);
        s.record(0x0207, stringRecord("stale"));
        s.formula(7, 2, textOf("[Red]0.00"), 0, 0);
        s.record(0x0207, stringRecord("KEPT RED"));
        s.formula(8, 2, kTextA1B1, 0, 0);
        s.record(0x0207, stringRecord("KEPT CELL"));
    }));
}

void expectKeptAndComputed(const host::Worksheet& sheet, const std::string& when) {
    EXPECT_EQ(host::Value::fromText("KEPT"), sheet.value(cellAt("C1"))) << when;
    EXPECT_EQ(host::Value::fromText("5"), sheet.value(cellAt("C2"))) << when;
    EXPECT_EQ(host::Value::fromNumber(6), sheet.value(cellAt("C3"))) << when;
    EXPECT_EQ(host::Value::fromNumber(42), sheet.value(cellAt("C4"))) << when;
    EXPECT_EQ(host::Value::fromNumber(100), sheet.value(cellAt("C5"))) << when;
    EXPECT_EQ(host::Value::fromNumber(2500), sheet.value(cellAt("C6"))) << when;
    EXPECT_EQ(host::Value::fromText("5.00"), sheet.value(cellAt("C7"))) << when;
    EXPECT_EQ(host::Value::fromText("KEPT RED"), sheet.value(cellAt("C8"))) << when;
    EXPECT_EQ(host::Value::fromText("KEPT CELL"), sheet.value(cellAt("C9"))) << when;
    EXPECT_EQ("=TEXT(A1,\"[Red]0.00\")", sheet.formulaText(cellAt("C8"))) << when;
    EXPECT_EQ("=UPPER(A1)", sheet.formulaText(cellAt("C1"))) << when;
    EXPECT_EQ("=SUM(A1:A2*B1:B2)", sheet.formulaText(cellAt("C6"))) << when;
}

TEST(KeptOrComputed, OnlyFormulasComputedAsExcelDoesAreRecomputedOnOpenAndTheRestKeepTheirResults) {
    const auto book = host::xls::loadWorkbookBytes(workbook());
    expectKeptAndComputed(book->sheet(0), "opened");

    char tmpl[] = "/tmp/tallomer-kept-XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    const std::string copy = dir + "/copy.xls";
    host::saveWorkbookFile(*book, copy);
    const auto again = host::loadWorkbookFile(copy);
    expectKeptAndComputed(again->sheet(0), "saved and opened again");
    std::filesystem::remove_all(dir);
}

}  // namespace
