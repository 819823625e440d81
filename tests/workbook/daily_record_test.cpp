#include "workbook/daily_record.h"

#include <gtest/gtest.h>

#include "fake_window.h"
#include "host/application.h"
#include "sheet_access.h"
#include "workbook/stats_sheet.h"

using namespace tallomer;

namespace {
class Submit : public ::testing::Test {
protected:
    Submit() {
        state.xlApp = &xl;
        NewStatsSheet(xl, window);
        window.focusInDateBox = false;
    }
    void submit(const std::string& date, const std::string& orders, const std::string& value,
                const std::string& refunds, const std::string& refundValue, const std::string& visitors) {
        window.type(date, orders, value, refunds, refundValue, visitors);
        Form1_Command1_Click(state, window);
    }
    void expectRefusedAndKept(const std::string& date, const std::string& orders) {
        submit(date, orders, "250", "2", "50", "100");
        ASSERT_EQ(window.messages.size(), 1u) << date << " " << orders;
        EXPECT_EQ(window.messages[0], "Incorrect data!");
        EXPECT_EQ(window.boxes[1], date);
        EXPECT_EQ(window.boxes[2], orders);
        EXPECT_EQ(window.boxes[6], "100");
        EXPECT_FALSE(window.processingVisible);
        EXPECT_FALSE(window.focusInDateBox);
        EXPECT_EQ(state.Saved, "True");
        EXPECT_EQ(numberAt(xl, "B1"), 0);
        EXPECT_TRUE(valueAt(xl, "A3").isEmpty());
        EXPECT_EQ(cursorAt(xl), "$A$3");
        for (int box = 7; box <= 26; ++box) EXPECT_EQ(window.boxes[box], "");
        window.messages.clear();
    }
    host::Application xl;
    SharedState state;
    FakeWindow window;
};
}  // namespace

TEST_F(Submit, WorkedExampleWritesRowsThreeAndFour) {
    submit("1/2/2001", "10", "250", "2", "50", "100");
    EXPECT_TRUE(window.messages.empty());
    // Row 3: the date as month/day/year, the figures, the formulas.
    const host::CellValue a3 = activeSheet(xl).read(cellAt("A3"));
    EXPECT_TRUE(a3.isDate);
    EXPECT_EQ(a3.value.number, 36923);  // 1 February 2001
    EXPECT_EQ(numberAt(xl, "B3"), 10);
    EXPECT_EQ(numberAt(xl, "C3"), 250);
    EXPECT_EQ(numberAt(xl, "D3"), 2);
    EXPECT_EQ(numberAt(xl, "E3"), 50);
    EXPECT_EQ(numberAt(xl, "H3"), 100);
    EXPECT_EQ(formulaAt(xl, "F3"), "=C3-E3");
    EXPECT_EQ(formulaAt(xl, "G3"), "=B3-D3");
    EXPECT_EQ(formulaAt(xl, "I3"), "=F3/H3");
    EXPECT_EQ(formulaAt(xl, "J3"), "=G3/H3");
    EXPECT_EQ(formulaAt(xl, "K3"), "=I3");
    EXPECT_EQ(numberAt(xl, "F3"), 200);
    EXPECT_EQ(numberAt(xl, "J3"), 0.08);
    // Row 4: the totals.
    EXPECT_EQ(textAt(xl, "A4"), "Total");
    EXPECT_EQ(formulaAt(xl, "B4"), "=SUM(B3:B3)");
    EXPECT_EQ(formulaAt(xl, "J4"), "=SUM(J3:J3)");
    EXPECT_EQ(formulaAt(xl, "K4"), "=AVERAGE(K3:K3)");
    EXPECT_EQ(numberAt(xl, "B1"), 1);
    EXPECT_EQ(cursorAt(xl), "$A$4");
    EXPECT_EQ(state.Saved, "False");
    EXPECT_TRUE(window.focusInDateBox);
    EXPECT_FALSE(window.processingVisible);
    EXPECT_EQ(window.processingShownCount, 1);

    const char* expected[27] = {"",    "",  "",   "",    "",    "",    "",  "1/2/2001", "10",
                                "250", "2", "50", "100", "200", "8",   "2", "0.08",     "10",
                                "250", "2", "50", "200", "8",   "100", "2", "0.08",     "2"};
    for (int box = 1; box <= 26; ++box) EXPECT_EQ(window.boxes[box], expected[box]) << "Text" << box;
}

TEST_F(Submit, SecondDayGoesOverTheTotalsRow) {
    submit("1/2/2001", "10", "250", "2", "50", "100");
    submit("2/2/2001", "20", "500", "0", "0", "100");
    EXPECT_EQ(formulaAt(xl, "I4"), "=F4/H4");
    EXPECT_EQ(numberAt(xl, "F4"), 500);
    EXPECT_EQ(numberAt(xl, "K4"), 5);
    EXPECT_EQ(formulaAt(xl, "C5"), "=SUM(C3:C4)");
    EXPECT_EQ(formulaAt(xl, "K5"), "=AVERAGE(K3:K4)");
    EXPECT_EQ(numberAt(xl, "B1"), 2);
    EXPECT_EQ(cursorAt(xl), "$A$5");
    const char* cumulative[] = {"30", "750", "2", "50", "700", "28", "200", "7", "0.28", "3.5"};
    for (int box = 17; box <= 26; ++box) EXPECT_EQ(window.boxes[box], cumulative[box - 17]) << box;
    EXPECT_EQ(window.boxes[7], "2/2/2001");
}

TEST_F(Submit, TypedFiguresShowAsTyped) {
    submit("01/02/2001", "10.50", "250", "2", "50", "100");
    EXPECT_EQ(window.boxes[7], "01/02/2001");
    EXPECT_EQ(window.boxes[8], "10.50");
    EXPECT_EQ(window.boxes[17], "10.5");
}

TEST_F(Submit, RefusesBadEntriesAndKeepsTheInput) {
    expectRefusedAndKept("12/31", "10");
    expectRefusedAndKept("1/2/abc", "10");
    expectRefusedAndKept("", "10");
    expectRefusedAndKept("1/2/2001", "");
    expectRefusedAndKept("1/2/2001", "ten");
    expectRefusedAndKept("1/2/2001" + std::string(101, '/'), "10");
    submit("1/2/2001", "10", "", "2", "50", "100");
    submit("1/2/2001", "10", "250", "x", "50", "100");
    submit("1/2/2001", "10", "250", "2", "5o", "100");
    submit("1/2/2001", "10", "250", "2", "50", "");
    EXPECT_EQ(window.messages.size(), 4u);
    EXPECT_EQ(numberAt(xl, "B1"), 0);
}

TEST_F(Submit, AcceptsOddButNumericEntries) {
    submit("31/13/2001", "10", "250", "2", "50", "100");
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(window.boxes[7], "31/13/2001");
    EXPECT_TRUE(valueAt(xl, "A3") == host::Value::fromText("13/31/2001") || valueAt(xl, "A3").isNumber());
    submit("1/2/2001/9", "-5", "10.25", "0", "0", "4");
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(activeSheet(xl).read(cellAt("A4")).value.number, 36923);
    EXPECT_EQ(numberAt(xl, "B4"), -5);
    EXPECT_EQ(numberAt(xl, "C4"), 10.25);
    EXPECT_EQ(numberAt(xl, "B1"), 2);
}

TEST_F(Submit, UniqueVisitorsZeroPutsTheSheetBack) {
    submit("1/2/2001", "10", "250", "2", "50", "100");
    window.focusInDateBox = false;
    submit("2/2/2001", "20", "500", "0", "0", "0");
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0], "Incorrect data!");
    // Inputs, Saved and focus as they were; boxes filled before the failure keep their texts.
    EXPECT_EQ(window.boxes[1], "2/2/2001");
    EXPECT_EQ(window.boxes[6], "0");
    EXPECT_EQ(state.Saved, "False");
    EXPECT_FALSE(window.focusInDateBox);
    EXPECT_FALSE(window.processingVisible);
    EXPECT_EQ(window.boxes[7], "2/2/2001");
    EXPECT_EQ(window.boxes[13], "500");
    EXPECT_EQ(window.boxes[14], "20");
    EXPECT_EQ(window.boxes[15], "2");  // still the first day's
    EXPECT_EQ(window.boxes[17], "10");
    // The sheet: the first totals row back in row 4, row 5 empty, B1 and the cursor unchanged.
    EXPECT_EQ(textAt(xl, "A4"), "Total");
    EXPECT_EQ(formulaAt(xl, "B4"), "=SUM(B3:B3)");
    EXPECT_EQ(formulaAt(xl, "K4"), "=AVERAGE(K3:K3)");
    EXPECT_EQ(numberAt(xl, "C4"), 250);
    EXPECT_FALSE(activeSheet(xl).read(cellAt("A4")).isDate);
    EXPECT_TRUE(valueAt(xl, "H4").isNumber());
    for (char c = 'A'; c <= 'K'; ++c) EXPECT_TRUE(valueAt(xl, std::string(1, c) + "5").isEmpty()) << c;
    EXPECT_EQ(numberAt(xl, "B1"), 1);
    EXPECT_EQ(cursorAt(xl), "$A$4");
    // And the next good entry lands where it should.
    submit("2/2/2001", "20", "500", "0", "0", "100");
    EXPECT_EQ(numberAt(xl, "B1"), 2);
    EXPECT_EQ(formulaAt(xl, "B5"), "=SUM(B3:B4)");
    EXPECT_EQ(window.boxes[26], "3.5");
}

TEST_F(Submit, FirstEntryWithZeroVisitorsLeavesAnEmptySheet) {
    submit("1/2/2001", "10", "250", "2", "50", "0");
    ASSERT_EQ(window.messages.size(), 1u);
    for (char c = 'A'; c <= 'K'; ++c) {
        EXPECT_TRUE(valueAt(xl, std::string(1, c) + "3").isEmpty()) << c;
        EXPECT_TRUE(valueAt(xl, std::string(1, c) + "4").isEmpty()) << c;
    }
    EXPECT_EQ(activeSheet(xl).style(cellAt("A3")).numberFormat, "General");
    EXPECT_EQ(numberAt(xl, "B1"), 0);
    EXPECT_EQ(cursorAt(xl), "$A$3");
    EXPECT_EQ(state.Saved, "True");
}

TEST_F(Submit, HostFailureWhileStoringIsIncorrectData) {
    submit("1/2/2001", "10", "250", "2", "50", "100");
    int writes = 0;
    xl.beforeOperation = [&](std::string_view operation) {
        if (operation.find("Value=") != std::string_view::npos && ++writes == 14) {
            throw host::HostError("refused");
        }
    };
    submit("2/2/2001", "20", "500", "0", "0", "100");
    xl.beforeOperation = nullptr;
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0], "Incorrect data!");
    EXPECT_EQ(formulaAt(xl, "B4"), "=SUM(B3:B3)");
    EXPECT_TRUE(valueAt(xl, "A5").isEmpty());
    EXPECT_EQ(numberAt(xl, "B1"), 1);
    EXPECT_EQ(cursorAt(xl), "$A$4");
}

// A sheet of 32,764 entries has its totals row in row 32767; one more entry would need row
// 32768, past the 16-bit row numbers.
TEST_F(Submit, TotalsRowPast32767IsRefusedAndPutBack) {
    host::Worksheet& sheet = activeSheet(xl);
    sheet.beginLoad();
    for (int row = 2; row < 32766; ++row) {  // zero-based rows of sheet rows 3..32766
        for (int col = 0; col < 11; ++col) sheet.setValue({row, col}, host::Value::fromNumber(1));
    }
    sheet.setTyped(cellAt("A32767"), "Total");
    sheet.setTyped(cellAt("B32767"), "=sum(B3:B32766)");
    sheet.setTyped(cellAt("K32767"), "=average(K3:K32766)");
    sheet.setValue(cellAt("B1"), host::Value::fromNumber(32764));
    sheet.endLoad();
    xl.range("A32767").select();

    submit("1/2/2001", "10", "250", "2", "50", "100");
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0], "Incorrect data!");
    EXPECT_EQ(window.boxes[16], "0.08");  // the data row was written before the failure
    EXPECT_EQ(textAt(xl, "A32767"), "Total");
    EXPECT_EQ(formulaAt(xl, "B32767"), "=SUM(B3:B32766)");
    EXPECT_EQ(numberAt(xl, "B32767"), 32764);
    EXPECT_TRUE(valueAt(xl, "C32767").isEmpty());
    EXPECT_TRUE(valueAt(xl, "A32768").isEmpty());
    EXPECT_EQ(numberAt(xl, "B1"), 32764);
    EXPECT_EQ(cursorAt(xl), "$A$32767");
    EXPECT_EQ(window.boxes[1], "1/2/2001");
    EXPECT_EQ(state.Saved, "True");
}

TEST_F(Submit, NoWorkbookOpenIsIncorrectData) {
    xl.closeActiveWorkbook();
    submit("1/2/2001", "10", "250", "2", "50", "100");
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.boxes[1], "1/2/2001");
}
