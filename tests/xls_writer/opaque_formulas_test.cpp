// Formulas the engine does not compute go back into the file as it had them: their tokens and
// the array constants' data after them, for as long as the cell still holds that formula.
#include <gtest/gtest.h>

#include <memory>

#include "host/workbook.h"
#include "raw_records.h"
#include "xls/opaque_formulas.h"
#include "xls/workbook_writer.h"

using Bytes = std::vector<std::uint8_t>;
using writer_test::RawRecord;

namespace {

host::FormulaPtr opaqueCode(const char* text) {
    auto code = std::make_shared<host::FormulaCode>();
    code->opaque = true;
    code->text = text;
    return code;
}

// The sheet's first FORMULA record for the cell, or nullptr.
const RawRecord* formulaRecord(const std::vector<RawRecord>& records, int row, int col) {
    for (const RawRecord& r : records) {
        if (r.type == 0x0006 && r.u16(0) == row && r.u16(2) == col) return &r;
    }
    return nullptr;
}

}  // namespace

TEST(OpaqueFormulas, GoBackAsTheyCameUntilTheCellChanges) {
    auto book = host::Workbook::createDefault();
    host::Worksheet& sheet = book->sheet(0);
    auto kept = std::make_shared<host::xls::OpaqueFormulas>();
    const Bytes ref3d = {0x3A, 0x00, 0x00, 0x01, 0x00, 0x00, 0xC0};  // tRef3d as another writer stored it
    const Bytes arrayTokens = {0x60, 0, 0, 0, 0, 0, 0, 0, 0x42, 0x01, 0x04, 0x00};  // SUM({1,2})
    const Bytes arrayData = {1, 0, 0, 0x01, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0x01, 0, 0, 0, 0, 0, 0, 0, 0x40};
    const auto put = [&](host::CellAddress at, const Bytes& tokens, const Bytes& extra, const char* text) {
        const auto code = opaqueCode(text);
        kept->keep(0, at, code, {tokens, extra});
        sheet.setFormula(at, code, host::Value::fromNumber(7));
    };
    put({0, 0}, ref3d, {}, "=Sheet2!A2");
    put({1, 0}, arrayTokens, arrayData, "=SUM({1,2})");
    put({2, 0}, ref3d, {}, "=Sheet2!A2");
    put({3, 0}, ref3d, {}, "=Sheet2!A2");
    sheet.setValue({2, 0}, host::Value::fromNumber(5));  // a new value drops A3's bytes
    sheet.setTyped({3, 0}, "=1+1");  // and a new formula A4's
    book->xlsFilterData = kept;

    const auto records = writer_test::records(host::xls::buildWorkbookStream(*book).joined());
    const RawRecord* a1 = formulaRecord(records, 0, 0);
    ASSERT_TRUE(a1);
    EXPECT_EQ(a1->u16(20), ref3d.size());
    EXPECT_EQ(Bytes(a1->data.begin() + 22, a1->data.end()), ref3d);

    const RawRecord* a2 = formulaRecord(records, 1, 0);
    ASSERT_TRUE(a2);
    EXPECT_EQ(a2->u16(20), arrayTokens.size());  // cce counts the tokens; the rgcb follows
    Bytes both = arrayTokens;
    both.insert(both.end(), arrayData.begin(), arrayData.end());
    EXPECT_EQ(Bytes(a2->data.begin() + 22, a2->data.end()), both);

    EXPECT_FALSE(formulaRecord(records, 2, 0));
    const RawRecord* a4 = formulaRecord(records, 3, 0);
    ASSERT_TRUE(a4);
    EXPECT_EQ(Bytes(a4->data.begin() + 22, a4->data.end()), (Bytes{0x1E, 0x01, 0x00, 0x1E, 0x01, 0x00, 0x03}));

    // Without the table (a workbook that lost it) the cached value stands in.
    book->xlsFilterData.reset();
    const auto plain = writer_test::records(host::xls::buildWorkbookStream(*book).joined());
    EXPECT_FALSE(formulaRecord(plain, 0, 0));
}
