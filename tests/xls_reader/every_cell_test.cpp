// Every cell of every sheet is read: formulas under the record numbers older versions gave
// them, text as long as the format holds, and cells whose record holds what no cell can (a
// formula without tokens, a number that is no number) keep what can be kept.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <string>

#include "biff_builder.h"
#include "host/host_error.h"
#include "host/workbook_files.h"
#include "writer_clients.h"
#include "xls/load_workbook_bytes.h"

namespace {

using xls_test::Bytes;
using xls_test::StreamBuilder;
using xls_test::workbookStream;

std::unique_ptr<host::Workbook> open(const Bytes& stream) {
    return host::xls::loadWorkbookBytes(xls_test::compoundFile(stream));
}

void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A STRING record: a formula's text result.
Bytes stringBody(const std::string& text) {
    Bytes b;
    xls_test::putString16(b, text);
    return b;
}

// A font and the 16 XFs a reader expects (cells use XF 15), as xlrd needs them.
void fontAndXfs(StreamBuilder& s) {
    s.record(0x0031, {200, 0, 0, 0, 0, 0, 0x90, 0x01, 0, 0, 0, 0, 0, 0, 1, 0, 'A'});
    for (int i = 0; i < 16; ++i) s.record(0x00E0, Bytes(20, 0));
}

// 1+2, A1*2 (from the cell below A1), and REPT("ab",2), a function the engine lacks.
const Bytes kOnePlusTwo = {0x1E, 1, 0, 0x1E, 2, 0, 0x03};
const Bytes kA1TimesTwo = {0x44, 0, 0, 0, 0xC0, 0x1E, 2, 0, 0x05};
const Bytes kRept = {0x17, 2, 0, 'a', 'b', 0x1E, 2, 0, 0x41, 30, 0};

TEST(OlderRecordNumbers, FormulasUnderTheirBiff3AndBiff4NumbersAreRead) {
    const Bytes stream = workbookStream(fontAndXfs, [](StreamBuilder& s) {
        s.formula(0, 0, kOnePlusTwo, 3);
        s.formula(1, 0, kA1TimesTwo, 6, -1, 0, 0x0206);
        s.formula(2, 0, kRept, 0, 0, 0, 0x0406);
        s.record(0x0007, stringBody("abab"));  // the text result, under BIFF2's STRING number
        s.formula(3, 0, kA1TimesTwo, 0, 1, 1, 0x0406);  // a truth value stored; A3*2 gives #VALUE!
    });
    const auto book = open(stream);
    const host::Worksheet& sheet = book->sheet(0);
    EXPECT_EQ(host::Value::fromNumber(3), sheet.value({0, 0}));
    EXPECT_EQ(host::Value::fromNumber(6), sheet.value({1, 0}));
    EXPECT_EQ("=A1*2", sheet.formulaText({1, 0}));
    EXPECT_EQ(host::Value::fromText("abab"), sheet.value({2, 0}));
    EXPECT_NE(sheet.formulaText({2, 0}).find("REPT"), std::string::npos) << sheet.formulaText({2, 0});
    EXPECT_EQ(host::CellView::Kind::Formula, sheet.cell({3, 0}).kind);

    // xlrd reads the same cells from the same bytes.
    xls_test::TempDir dir;
    writeFile(dir / "old_numbers.xls", xls_test::compoundFile(stream));
    const std::string seen = xls_test::xlrdFirstSheet(dir / "old_numbers.xls");
    EXPECT_NE(seen.find("0 0 2 3.0\n"), std::string::npos) << seen;
    EXPECT_NE(seen.find("1 0 2 6.0\n"), std::string::npos) << seen;
    EXPECT_NE(seen.find("2 0 1 'abab'\n"), std::string::npos) << seen;
    EXPECT_NE(seen.find("3 0 4 1\n"), std::string::npos) << seen;
}

TEST(DamagedCells, AFormulaWithoutTokensKeepsTheResultItStored) {
    const Bytes stream = workbookStream(nullptr, [](StreamBuilder& s) {
        s.formula(0, 0, {}, 7.5);
        s.formula(1, 0, {}, 0, 2, 0x07);  // #DIV/0!
        s.formula(2, 0, {}, 0, 0);
        s.record(0x0207, stringBody("kept"));
    });
    const auto book = open(stream);
    const host::Worksheet& sheet = book->sheet(0);
    for (int row = 0; row < 3; ++row) EXPECT_EQ(host::CellView::Kind::Constant, sheet.cell({row, 0}).kind) << row;
    EXPECT_EQ(host::Value::fromNumber(7.5), sheet.value({0, 0}));
    EXPECT_EQ(host::Value::fromError(host::ErrorCode::Div0), sheet.value({1, 0}));
    EXPECT_EQ(host::Value::fromText("kept"), sheet.value({2, 0}));
}

TEST(DamagedCells, InfinitiesAndNaNsAreNumErrors) {
    const double inf = std::numeric_limits<double>::infinity();
    const Bytes stream = workbookStream(nullptr, [&](StreamBuilder& s) {
        s.number(0, 0, inf).number(0, 1, -inf).number(0, 2, std::numeric_limits<double>::quiet_NaN());
        Bytes rk;  // the top 30 bits of a double: all exponent bits set
        xls_test::put16(rk, 1);
        xls_test::put16(rk, 0);
        xls_test::put16(rk, 15);
        xls_test::put32(rk, 0x7FF00000u);
        s.record(0x027E, rk);
        s.formula(2, 0, kRept, inf);  // a formula the engine keeps, with an infinite result
        s.formula(3, 0, {0x44, 0, 0, 0, 0xC0}, inf);  // =A1, computed: #NUM!
    });
    const auto book = open(stream);
    const host::Worksheet& sheet = book->sheet(0);
    const host::Value num = host::Value::fromError(host::ErrorCode::Num);
    for (const host::CellAddress at : {host::CellAddress{0, 0}, {0, 1}, {0, 2}, {1, 0}, {2, 0}, {3, 0}}) {
        EXPECT_EQ(num, sheet.value(at)) << at.row << "," << at.col;
    }
}

// An SST of one string of `count` characters ('x', or U+0416 when `wide`), continued over as
// many CONTINUE records as it takes.
void longStringTable(StreamBuilder& s, std::size_t count, bool wide) {
    const std::size_t perChar = wide ? 2 : 1;
    Bytes first;
    xls_test::put32(first, 1);
    xls_test::put32(first, 1);
    xls_test::put16(first, static_cast<unsigned>(count));
    first.push_back(wide ? 1 : 0);
    std::size_t left = count;
    const auto fill = [&](Bytes& body) {
        while (left > 0 && body.size() + perChar <= 8224) {
            if (wide) {
                xls_test::put16(body, 0x0416);
            } else {
                body.push_back('x');
            }
            --left;
        }
    };
    fill(first);
    s.record(0x00FC, first);
    while (left > 0) {
        Bytes more = {static_cast<std::uint8_t>(wide ? 1 : 0)};
        fill(more);
        s.record(0x003C, more);
    }
}

TEST(LongText, TextUpToTheFormatsLimitIsKeptWhole) {
    for (const std::size_t count : {std::size_t{32767}, std::size_t{40000}, std::size_t{65535}}) {
        for (const bool wide : {false, true}) {
            const Bytes stream = workbookStream([&](StreamBuilder& s) { longStringTable(s, count, wide); },
                                                [](StreamBuilder& s) { s.labelSst(0, 0, 0); });
            const auto book = open(stream);
            const host::Value v = book->sheet(0).value({0, 0});
            ASSERT_TRUE(v.isText());
            EXPECT_EQ(count * (wide ? 2 : 1), v.text.size()) << count << (wide ? " wide" : "");
        }
    }
}

TEST(LongText, SavingKeepsTextWholeOrRefusesSayingWhy) {
    xls_test::TempDir dir;
    const auto path = (dir / "text.xls").string();
    for (const bool wide : {false, true}) {
        // The most a cell holds is saved whole and reads back whole.
        const Bytes most = workbookStream([&](StreamBuilder& s) { longStringTable(s, 32767, wide); },
                                          [](StreamBuilder& s) { s.labelSst(0, 0, 0); });
        host::saveWorkbookFile(*open(most), path);
        EXPECT_EQ(32767u * (wide ? 2 : 1), host::loadWorkbookFile(path)->sheet(0).value({0, 0}).text.size());

        // More is refused with a message, and the file already there is left as it was.
        const Bytes more = workbookStream([&](StreamBuilder& s) { longStringTable(s, 40000, wide); },
                                          [](StreamBuilder& s) { s.labelSst(2, 1, 0); });
        const auto before = std::filesystem::file_size(path);
        try {
            host::saveWorkbookFile(*open(more), path);
            ADD_FAILURE() << "saved";
        } catch (const host::HostError& e) {
            EXPECT_EQ(
                "The text in B3 is too long to save as an Excel 97-2003 workbook: it has 40000 characters, "
                "and a cell holds at most 32767.",
                std::string(e.what()));
        }
        EXPECT_EQ(before, std::filesystem::file_size(path));
        EXPECT_EQ(32767u * (wide ? 2 : 1), host::loadWorkbookFile(path)->sheet(0).value({0, 0}).text.size());
    }
}

TEST(LongText, ASheetNameLongerThanTheFormatHoldsIsRefusedOnSaveNotCut) {
    // Some programs write sheet names past the 31 characters Excel allows: the sheet opens under
    // its whole name, and saving says why it cannot be saved rather than cutting it short.
    const std::string name(40, 'N');
    StreamBuilder s;
    s.bof(0x0005);
    const std::size_t at = s.boundSheet(name);
    s.eof();
    s.sheetStartsHere(at);
    s.bof(0x0010).number(0, 0, 1).eof();
    const auto book = open(s.bytes);
    EXPECT_EQ(name, book->sheet(0).name());
    xls_test::TempDir dir;
    try {
        host::saveWorkbookFile(*book, (dir / "long.xls").string());
        ADD_FAILURE() << "saved";
    } catch (const host::HostError& e) {
        EXPECT_EQ("The sheet name \"" + name +
                      "\" is too long to save as an Excel 97-2003 workbook: it has 40 "
                      "characters, and a sheet name holds at most 31.",
                  std::string(e.what()));
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "long.xls"));
}

}  // namespace
