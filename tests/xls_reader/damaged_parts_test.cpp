// A part of a workbook that is damaged in a way a reader can tell (a record too short for its
// fields, a text or token count running past its record) is passed over, and the rest of the
// workbook opens as it is, as xlrd opens it.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "biff_builder.h"
#include "host/host_error.h"
#include "writer_clients.h"
#include "xls/load_workbook_bytes.h"

namespace {

using xls_test::Bytes;
using xls_test::StreamBuilder;
using xls_test::workbookStream;

std::unique_ptr<host::Workbook> open(const Bytes& stream) {
    return host::xls::loadWorkbookBytes(xls_test::compoundFile(stream));
}

std::string xlrdReads(const Bytes& stream) {
    xls_test::TempDir dir;
    const auto path = dir / "damaged.xls";
    const Bytes file = xls_test::compoundFile(stream);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    return xls_test::xlrdFirstSheet(path);
}

Bytes xfBody(int font, int format) {
    Bytes b(20, 0);
    b[0] = static_cast<std::uint8_t>(font);
    b[2] = static_cast<std::uint8_t>(format);
    b[3] = static_cast<std::uint8_t>(format >> 8);
    return b;
}

// A font, XFs 0-17 and FORMAT 164 whose text claims 40 characters and has 5 (XF 15 uses it);
// FORMAT 165 after it (XF 16) is intact.
void damagedFormat(StreamBuilder& s) {
    s.record(0x0031, {200, 0, 0, 0, 0, 0, 0x90, 0x01, 0, 0, 0, 0, 0, 0, 1, 0, 'A'});
    for (int i = 0; i < 15; ++i) s.record(0x00E0, xfBody(0, 0));
    s.record(0x00E0, xfBody(0, 164));
    s.record(0x00E0, xfBody(0, 165));
    s.record(0x00E0, xfBody(0, 0));
    s.record(0x041E, {164, 0, 40, 0, 0, '0', '.', '0', '0', '%'});
    Bytes intact = {165, 0};
    xls_test::putString16(intact, "0.000");
    s.record(0x041E, intact);
}

void numbers(StreamBuilder& s, int lastXf = 17) {
    s.number(0, 0, 0.25, 15).number(1, 0, 2, 16).number(2, 0, 3, lastXf);
}

void expectNumbersOpen(const host::Worksheet& sheet) {
    EXPECT_EQ(host::Value::fromNumber(0.25), sheet.value({0, 0}));
    EXPECT_EQ("General", sheet.style({0, 0}).numberFormat);
    EXPECT_EQ(host::Value::fromNumber(2), sheet.value({1, 0}));
    EXPECT_EQ("0.000", sheet.style({1, 0}).numberFormat);
    EXPECT_EQ(host::Value::fromNumber(3), sheet.value({2, 0}));
}

TEST(DamagedParts, ADamagedFormatIsPassedOverAsXlrdPassesItOver) {
    const Bytes stream = workbookStream(damagedFormat, [](StreamBuilder& s) { numbers(s); });
    expectNumbersOpen(open(stream)->sheet(0));
    const std::string seen = xlrdReads(stream);
    EXPECT_NE(seen.find("0 0 2 0.25\n"), std::string::npos) << seen;
    EXPECT_NE(seen.find("1 0 2 2.0\n"), std::string::npos) << seen;
}

TEST(DamagedParts, OtherDamagedFormattingRecordsArePassedOver) {
    // A FONT and an XF (18) cut short, an empty DATEMODE and EXTERNSHEET.
    const Bytes stream = workbookStream(
        [](StreamBuilder& s) {
            s.record(0x0022, {});
            damagedFormat(s);
            s.record(0x0031, {200, 0});
            s.record(0x00E0, {0, 0, 1});
            s.record(0x0017, {});
        },
        [](StreamBuilder& s) { numbers(s, 18); });
    const auto book = open(stream);
    EXPECT_FALSE(book->date1904);
    expectNumbersOpen(book->sheet(0));
}

TEST(DamagedParts, ASheetWhoseNameIsDamagedOpensUnderANameOfItsOwn) {
    StreamBuilder s;
    s.bof(0x0005);
    const std::size_t first = s.bytes.size() + 4;
    s.record(0x0085, {0, 0, 0, 0, 0, 0, 200, 0, 'S', 'h'});  // 200 characters claimed, 2 there
    const std::size_t second = s.boundSheet("Data");
    s.eof();
    for (const std::size_t at : {first, second}) {
        s.sheetStartsHere(at);
        s.bof(0x0010).number(0, 0, at == first ? 1 : 2).eof();
    }
    const auto book = open(s.bytes);
    ASSERT_EQ(2, book->sheetCount());
    EXPECT_EQ("Sheet1", book->sheet(0).name());
    EXPECT_EQ("Data", book->sheet(1).name());
    EXPECT_EQ(host::Value::fromNumber(1), book->sheet(0).value({0, 0}));
    EXPECT_EQ(host::Value::fromNumber(2), book->sheet(1).value({0, 0}));
}

TEST(DamagedParts, DamagedCellsKeepWhatIsIntactAndTheOtherCellsOpen) {
    const Bytes stream = workbookStream(nullptr, [](StreamBuilder& s) {
        s.number(0, 0, 1);
        // LABEL: 30 characters claimed, 3 there.
        s.record(0x0204, {1, 0, 0, 0, 15, 0, 30, 0, 0, 'a', 'b', 'c'});
        // FORMULA whose 9 tokens claimed run past its record: its stored 42 stays.
        s.formula(2, 0, {0x1E, 1, 0}, 42);
        s.bytes[s.bytes.size() - 3 - 2] = 9;
        // A text result whose STRING record is damaged.
        s.formula(3, 0, {0x17, 1, 0, 'x', 0x1E, 2, 0, 0x41, 30, 0}, 0, 0);
        s.record(0x0207, {50, 0, 0, 'p', 'q'});
        // A shared formula whose tokens run past its record: its cells keep their results.
        s.formula(4, 0, {0x01, 4, 0, 0, 0}, 5).record(0x04BC, {4, 0, 5, 0, 0, 0, 0, 2, 20, 0, 0x1E, 1});
        s.formula(5, 0, {0x01, 4, 0, 0, 0}, 6);
        s.number(6, 0, 7);
    });
    const auto book = open(stream);
    const host::Worksheet& sheet = book->sheet(0);
    EXPECT_EQ(host::Value::fromNumber(1), sheet.value({0, 0}));
    EXPECT_EQ(host::CellView::Kind::Blank, sheet.cell({1, 0}).kind);
    EXPECT_EQ(host::Value::fromNumber(42), sheet.value({2, 0}));
    EXPECT_EQ(host::CellView::Kind::Constant, sheet.cell({2, 0}).kind);
    EXPECT_EQ(host::CellView::Kind::Formula, sheet.cell({3, 0}).kind);
    EXPECT_EQ(host::Value::fromText(""), sheet.value({3, 0}));
    EXPECT_EQ(host::Value::fromNumber(5), sheet.value({4, 0}));
    EXPECT_EQ(host::Value::fromNumber(6), sheet.value({5, 0}));
    EXPECT_EQ(host::Value::fromNumber(7), sheet.value({6, 0}));
}

TEST(DamagedParts, ThousandsOfDamagedSheetNamesAreNamedWithoutSlowingTheOpen) {
    // Chart sheets whose names are damaged, as many as a workbook may list, before the one
    // worksheet; one more than that is refused.
    for (const int charts : {4095, 4096}) {
        StreamBuilder s;
        s.bof(0x0005);
        for (int i = 0; i < charts; ++i) s.record(0x0085, {0, 0, 0, 0, 0, 2, 90, 0});
        const std::size_t at = s.boundSheet("Data");
        s.eof();
        s.sheetStartsHere(at);
        s.bof(0x0010).number(0, 0, 1).eof();
        if (charts == 4095) {
            const auto book = open(s.bytes);
            ASSERT_EQ(1, book->sheetCount());
            EXPECT_EQ("Data", book->sheet(0).name());
        } else {
            try {
                open(s.bytes);
                ADD_FAILURE() << "opened";
            } catch (const host::HostError& e) {
                EXPECT_NE(std::string(e.what()).find("more sheets"), std::string::npos) << e.what();
            }
        }
    }
}

}  // namespace
