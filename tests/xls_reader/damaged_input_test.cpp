// Files the host cannot read get a HostError that says why; damaged and hostile bytes never
// crash the reader, hang it or make it allocate without bound.
#include <gtest/gtest.h>

#include <string>

#include "biff_builder.h"
#include "host/host_error.h"
#include "host/workbook_importer.h"
#include "read_stream.h"
#include "xls/load_workbook_bytes.h"

namespace {

using xls_test::Bytes;
using xls_test::StreamBuilder;
using xls_test::workbookStream;

// The message of the HostError that opening `file` raises ("" when it opens).
std::string openError(const Bytes& file) {
    try {
        host::xls::loadWorkbookBytes(file);
    } catch (const host::HostError& e) {
        return e.what();
    }
    return "";
}

std::string streamError(const Bytes& stream) { return openError(xls_test::compoundFile(stream)); }

Bytes sstBody(std::uint32_t unique, const std::vector<std::string>& strings) {
    Bytes b;
    xls_test::put32(b, static_cast<std::uint32_t>(strings.size()));
    xls_test::put32(b, unique);
    for (const auto& s : strings) xls_test::putString16(b, s);
    return b;
}

TEST(NotAWorkbook, FilesThatAreNoCompoundDocumentSaySo) {
    EXPECT_NE(openError({}).find("not an Excel 97-2003 workbook"), std::string::npos);
    const std::string text = "Date,Orders\n1/2/2001,10\n";
    EXPECT_NE(openError(Bytes(text.begin(), text.end())).find("not an Excel 97-2003 workbook"), std::string::npos);
    const Bytes zip = {'P', 'K', 3, 4, 20, 0, 0, 0};
    EXPECT_NE(openError(zip).find(".xlsx"), std::string::npos);
    Bytes signatureOnly = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    signatureOnly.resize(600, 0);
    EXPECT_NE(openError(signatureOnly).find("not an Excel 97-2003 workbook"), std::string::npos);
}

TEST(NotAWorkbook, ContainerWithoutWorkbookStreamSaysSo) {
    const Bytes stream = workbookStream(nullptr, nullptr);
    EXPECT_NE(openError(xls_test::compoundFile(stream, "Contents")).find("no workbook stream"), std::string::npos);
    EXPECT_NE(openError(xls_test::compoundFile(stream, "Book")).find("BIFF5"), std::string::npos);
    EXPECT_EQ("", openError(xls_test::compoundFile(stream, "WORKBOOK"))) << "the name is matched in any case";
}

TEST(NotAWorkbook, OlderBiffVersionsAreNamed) {
    StreamBuilder biff5;
    biff5.bof(0x0005, 0x0500).eof();
    EXPECT_NE(streamError(biff5.bytes).find("older Excel format (BIFF5"), std::string::npos);
    // Excel 4.0 wrote a bare record stream, no container.
    const Bytes biff4 = {0x09, 0x04, 0x06, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x00};
    EXPECT_NE(openError(biff4).find("older Excel format (BIFF4"), std::string::npos);
}

TEST(NotAWorkbook, EncryptedWorkbookSaysSo) {
    const Bytes stream = workbookStream([](StreamBuilder& s) { s.record(0x002F, {0, 0, 1, 0, 1, 0}); }, nullptr);
    EXPECT_NE(streamError(stream).find("encrypted"), std::string::npos);
}

TEST(DamagedRecords, RecordLongerThanTheStream) {
    Bytes stream = workbookStream(nullptr, [](StreamBuilder& s) { s.number(0, 0, 1); });
    stream.resize(stream.size() - 8);  // the NUMBER record now runs past the end
    xls_test::RecordingSink sink;
    try {
        host::xls::readWorkbook(stream, sink);
        ADD_FAILURE() << "read";
    } catch (const host::HostError& e) {
        EXPECT_NE(std::string(e.what()).find("damaged"), std::string::npos) << e.what();
    }
}

TEST(DamagedRecords, CellRecordsTooShortForTheirFields) {
    for (std::uint16_t id :
         {0x0203, 0x027E, 0x00BD, 0x00FD, 0x0204, 0x0205, 0x0201, 0x00BE, 0x0006, 0x04BC, 0x0221, 0x007D, 0x001D}) {
        const Bytes stream = workbookStream(nullptr, [&](StreamBuilder& s) { s.record(id, {1, 0, 2}); });
        EXPECT_NE(streamError(stream).find("damaged"), std::string::npos) << std::hex << id;
    }
}

TEST(DamagedRecords, SharedStringIndexPastTheTable) {
    const Bytes stream = workbookStream([](StreamBuilder& s) { s.record(0x00FC, sstBody(1, {"only"})); },
                                        [](StreamBuilder& s) { s.labelSst(0, 0, 7); });
    EXPECT_NE(streamError(stream).find("shared string"), std::string::npos);
}

TEST(DamagedRecords, SharedStringCountThatLiesIsNotBelieved) {
    // Four billion strings claimed, one stored: the one is read, nothing huge is allocated.
    const Bytes stream = workbookStream([](StreamBuilder& s) { s.record(0x00FC, sstBody(0xFFFFFFF0u, {"only"})); },
                                        [](StreamBuilder& s) { s.labelSst(0, 0, 0); });
    const auto sink = xls_test::readIntoSink(xls_test::compoundFile(stream));
    EXPECT_EQ("only", sink.sheets[0].at("A1")->value.text);

    // One string claimed, two stored, and the cells use both.
    const Bytes fewer = workbookStream(
        [](StreamBuilder& s) {
            s.record(0x00FC, sstBody(1, {"one", "two"}));
        },
        [](StreamBuilder& s) { s.labelSst(0, 0, 1); });
    EXPECT_EQ("two", xls_test::readIntoSink(xls_test::compoundFile(fewer)).sheets[0].at("A1")->value.text);
}

TEST(DamagedRecords, StringLongerThanItsRecords) {
    Bytes body;
    xls_test::put32(body, 1);
    xls_test::put32(body, 1);
    xls_test::put16(body, 60000);  // characters claimed
    body.push_back(0);
    body.insert(body.end(), 10, 'x');
    const Bytes stream = workbookStream(
        [&](StreamBuilder& s) {
            s.record(0x00FC, body).record(0x003C, {0, 'y'});
        },
        nullptr);
    EXPECT_NE(streamError(stream).find("damaged"), std::string::npos);
}

TEST(DamagedRecords, SheetsThatStartNowhereOrTwiceOrOverlap) {
    StreamBuilder past;
    past.bof(0x0005);
    past.boundSheet("Sheet1");  // offset left at 0: the globals' own BOF
    past.eof();
    EXPECT_NE(streamError(past.bytes).find("damaged"), std::string::npos);

    StreamBuilder twice;
    twice.bof(0x0005);
    const auto a = twice.boundSheet("A");
    const auto b = twice.boundSheet("B");
    twice.eof();
    twice.sheetStartsHere(a);
    twice.sheetStartsHere(b);
    twice.bof(0x0010).eof();
    EXPECT_NE(streamError(twice.bytes).find("damaged"), std::string::npos);

    StreamBuilder far;
    far.bof(0x0005);
    const auto c = far.boundSheet("C");
    far.eof();
    const std::uint32_t beyond = 0x7FFFFFFF;
    std::memcpy(&far.bytes[c], &beyond, 4);
    EXPECT_NE(streamError(far.bytes).find("damaged"), std::string::npos);
}

TEST(HostileFiles, CellsFarDownEveryColumnAreRefusedNotAllocated) {
    // Two sheets, each a styled blank in every column of the last row: a few hundred bytes
    // that would make the host hold every row of every column twice over.
    StreamBuilder s;
    s.bof(0x0005);
    s.record(0x0031, {200, 0, 0, 0, 0, 0, 0xBC, 0x02, 0, 0, 0, 0, 0, 0, 1, 0, 'A'});  // a bold font
    for (int i = 0; i < 17; ++i) s.record(0x00E0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    const auto a = s.boundSheet("A");
    const auto b = s.boundSheet("B");
    s.eof();
    for (auto at : {a, b}) {
        s.sheetStartsHere(at);
        s.bof(0x0010);
        Bytes mulBlank;
        xls_test::put16(mulBlank, 65535);
        xls_test::put16(mulBlank, 0);
        for (int col = 0; col < 256; ++col) xls_test::put16(mulBlank, 16);
        xls_test::put16(mulBlank, 255);
        s.record(0x00BE, mulBlank);
        s.eof();
    }
    // XF 16 names font 0, bold here: the blanks carry a style the host would have to store.
    EXPECT_NE(streamError(s.bytes).find("too large"), std::string::npos);
}

TEST(HostileFiles, TheSheetSizeAFileStatesIsOnlyAHint) {
    // DIMENSIONS claims every row and column, or a single cell, or is cut short: the cells
    // that are there load all the same, wherever they lie.
    const auto dimensions = [](std::uint32_t rows, std::uint16_t cols) {
        Bytes b;
        xls_test::put32(b, 0);
        xls_test::put32(b, rows);
        xls_test::put16(b, 0);
        xls_test::put16(b, cols);
        xls_test::put16(b, 0);
        return b;
    };
    for (const Bytes& claim : {dimensions(0xFFFFFFFF, 0xFFFF), dimensions(1, 1), Bytes{1, 2, 3}}) {
        const Bytes stream = workbookStream(nullptr, [&](StreamBuilder& s) {
            s.record(0x0200, claim);
            s.number(0, 0, 1).number(40000, 3, 2).number(65535, 255, 3);
            s.formula(40001, 3, {0x44, 0x40, 0x9C, 0x03, 0xC0, 0x1E, 2, 0, 0x05});  // D40001*2
        });
        const auto book = host::xls::loadWorkbookBytes(xls_test::compoundFile(stream));
        const host::Worksheet& sheet = book->sheet(0);
        EXPECT_EQ(host::Value::fromNumber(1), sheet.value({0, 0}));
        EXPECT_EQ(host::Value::fromNumber(2), sheet.value({40000, 3}));
        EXPECT_EQ(host::Value::fromNumber(3), sheet.value({65535, 255}));
        EXPECT_EQ(host::Value::fromNumber(4), sheet.value({40001, 3}));
    }
}

TEST(HostileFiles, FormulasNestedAsDeepAsARecordAllows) {
    // 1 then thousands of unary minus signs, and thousands of nested parentheses: the engine
    // computes them and the host shows them without running out of stack.
    Bytes minus = {0x1E, 1, 0};
    minus.insert(minus.end(), 8000, 0x13);
    Bytes parens = {0x1E, 2, 0};
    parens.insert(parens.end(), 8000, 0x15);
    const Bytes stream =
        workbookStream(nullptr, [&](StreamBuilder& s) { s.formula(0, 0, minus).formula(1, 0, parens); });
    const auto book = host::xls::loadWorkbookBytes(xls_test::compoundFile(stream));
    const host::Worksheet& sheet = book->sheet(0);
    EXPECT_EQ(host::Value::fromNumber(1), sheet.value({0, 0}));
    EXPECT_EQ(host::Value::fromNumber(2), sheet.value({1, 0}));
    EXPECT_EQ(8002u, sheet.formulaText({0, 0}).size());
    EXPECT_EQ(16002u, sheet.formulaText({1, 0}).size());
}

TEST(HostileFiles, EveryTruncationAndEveryByteFlipOfASmallWorkbook) {
    const Bytes stream = workbookStream(
        [](StreamBuilder& s) {
            s.record(0x00FC, sstBody(2, {"Entries", "Total"}));
        },
        [](StreamBuilder& s) {
            s.labelSst(0, 0, 0).number(0, 1, 2).number(2, 1, 10).number(3, 1, 20);
            s.formula(4, 1, {0x25, 2, 0, 3, 0, 1, 0xC0, 1, 0xC0, 0x19, 0x10, 0, 0});  // SUM(B3:B4)
            s.formula(4, 2, {0x44, 4, 0, 1, 0xC0, 0x1E, 2, 0, 0x03});  // B5+2
        });
    for (std::size_t n = 0; n <= stream.size(); ++n) {
        try {
            xls_test::RecordingSink sink;
            host::xls::readWorkbook(std::span(stream).first(n), sink);
        } catch (const host::HostError&) {}
    }
    for (std::size_t i = 0; i < stream.size(); ++i) {
        for (std::uint8_t flip : {0x01, 0x80, 0xFF}) {
            Bytes damaged = stream;
            damaged[i] ^= flip;
            try {
                host::Workbook book;
                host::WorkbookImporter importer(book);
                host::xls::readWorkbook(damaged, importer);
            } catch (const host::HostError&) {}
        }
    }
    SUCCEED() << "no crash, only HostError";
}

}  // namespace
