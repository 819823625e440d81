// The link tables travel with the workbook, byte for byte, so that formulas with 3-D
// references and names are written back pointing at the same entries.
#include <gtest/gtest.h>

#include "biff_builder.h"
#include "xls/load_workbook_bytes.h"
#include "xls/workbook_writer.h"

namespace {

using xls_test::Bytes;
using xls_test::StreamBuilder;

Bytes whole(std::uint16_t id, const Bytes& body) {
    StreamBuilder s;
    s.record(id, body);
    return s.bytes;
}

TEST(LinkRecords, SupbookExternsheetNamesAndTheirContinuesAreKeptInOrder) {
    const Bytes supBook = {3, 0, 0x01, 0x04};
    const Bytes externSheet = {1, 0, 0, 0, 0, 0, 0, 0};
    const Bytes name = {0, 0,   0,   6,   7,   0,   0,   0,    0, 0, 0, 0, 0, 0,
                        0, 'A', 'n', 's', 'w', 'e', 'r', 0x3A, 0, 0, 0, 0, 0, 0};
    const Bytes continued = {0x01, 0x02};
    const Bytes stream = xls_test::workbookStream(
        [&](StreamBuilder& s) {
            s.record(0x01AE, supBook).record(0x0017, externSheet).record(0x003C, continued);
            s.record(0x0042, {0xE4, 0x04});  // CODEPAGE: not a link record
            s.record(0x0018, name);
        },
        [](StreamBuilder& s) {
            s.formula(0, 0, {0x5A, 0, 0, 0, 0, 0, 0xC0}, 42);
        });
    const auto book = host::xls::loadWorkbookBytes(xls_test::compoundFile(stream));
    Bytes externWithContinue = whole(0x0017, externSheet);
    const Bytes cont = whole(0x003C, continued);
    externWithContinue.insert(externWithContinue.end(), cont.begin(), cont.end());
    ASSERT_EQ(3u, book->xlsLinkRecords.size());
    EXPECT_EQ(whole(0x01AE, supBook), book->xlsLinkRecords[0]);
    EXPECT_EQ(externWithContinue, book->xlsLinkRecords[1]);
    EXPECT_EQ(whole(0x0018, name), book->xlsLinkRecords[2]);
    const host::CellView a1 = book->sheet(0).cell({0, 0});
    ASSERT_EQ(host::CellView::Kind::Formula, a1.kind);
    EXPECT_TRUE(a1.formula->opaque);
    EXPECT_EQ("=Sheet1!A1", a1.formula->text);
    EXPECT_EQ(42, a1.value.number);
}

TEST(LinkRecords, ANameLongEnoughToNeedAContinueIsSavedWholeAndTheNamesAfterItKeepTheirNumbers) {
    // NAME "Long" with a 9,000-byte definition, so it spans a CONTINUE record, then NAME
    // "Answer" (= Sheet1!$A$1), which the formula in A2 calls by its number, 2.
    Bytes longName = {0, 0, 0, 4, 0x28, 0x23, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'L', 'o', 'n', 'g'};
    for (int i = 0; i < 3000; ++i) longName.insert(longName.end(), {0x1E, 1, 0});  // tInt 1 ...
    const Bytes first(longName.begin(), longName.begin() + 8224);
    const Bytes rest(longName.begin() + 8224, longName.end());
    const Bytes answer = {0, 0,   0,   6,   7,   0,   0,   0,    0, 0, 0, 0, 0, 0,
                          0, 'A', 'n', 's', 'w', 'e', 'r', 0x3A, 0, 0, 0, 0, 0, 0};
    const Bytes stream = xls_test::workbookStream(
        [&](StreamBuilder& s) {
            s.record(0x01AE, {1, 0, 0x01, 0x04}).record(0x0017, {1, 0, 0, 0, 0, 0, 0, 0});
            s.record(0x0018, first).record(0x003C, rest).record(0x0018, answer);
        },
        [](StreamBuilder& s) {
            s.number(0, 0, 42);
            s.formula(1, 0, {0x43, 0x02, 0x00, 0x00, 0x00}, 42);  // tNameV 2
        });
    const auto book = host::xls::loadWorkbookBytes(xls_test::compoundFile(stream));
    ASSERT_EQ("=Answer", book->sheet(0).cell({1, 0}).formula->text);
    const auto copy = host::xls::loadWorkbookStreamBytes(host::xls::buildWorkbookStream(*book).joined());
    EXPECT_EQ(book->xlsLinkRecords, copy->xlsLinkRecords);
    EXPECT_EQ("=Answer", copy->sheet(0).cell({1, 0}).formula->text);
    EXPECT_EQ(42, copy->sheet(0).cell({1, 0}).value.number);
}

}  // namespace
