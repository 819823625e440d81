#include "workbook/results_display.h"

#include <gtest/gtest.h>

#include "fake_window.h"
#include "host/application.h"
#include "sheet_access.h"
#include "workbook/sheet_failure.h"
#include "workbook/stats_sheet.h"

using namespace tallomer;

namespace {
// A statistics sheet made by hand, cell by cell through the worksheet, as a file would bring it.
class ShowResultsTest : public ::testing::Test {
protected:
    ShowResultsTest() {
        NewStatsSheet(xl, window);
        for (int box = 1; box <= 26; ++box) window.boxes[box] = "old";
    }
    void put(const std::string& a1, const std::string& typed) { activeSheet(xl).setTyped(cellAt(a1), typed); }
    // One data row in row r with its formulas.
    void dataRow(int r, const char* date, const char* b, const char* c, const char* d, const char* e, const char* h) {
        const std::string R = std::to_string(r);
        put("A" + R, date);
        put("B" + R, b);
        put("C" + R, c);
        put("D" + R, d);
        put("E" + R, e);
        put("H" + R, h);
        put("F" + R, "=C" + R + "-E" + R);
        put("G" + R, "=B" + R + "-D" + R);
        put("I" + R, "=F" + R + "/H" + R);
        put("J" + R, "=G" + R + "/H" + R);
        put("K" + R, "=I" + R);
    }
    void totalsRow(int last) {
        const std::string T = std::to_string(last + 1), R = std::to_string(last);
        put("A" + T, "Total");
        for (char c = 'B'; c <= 'J'; ++c) put(c + T, std::string("=sum(") + c + "3:" + c + R + ")");
        put("K" + T, "=average(K3:K" + R + ")");
        put("B1", std::to_string(last - 2));
    }
    host::Application xl;
    FakeWindow window;
};
}  // namespace

TEST_F(ShowResultsTest, OneEntryBothGroupsAgree) {
    dataRow(3, "2/1/2001", "10", "250", "2", "50", "100");
    totalsRow(3);
    xl.range("F9").select();
    EXPECT_TRUE(ShowResults(xl, window));
    const auto& t = window.boxes;
    EXPECT_EQ(t[7], "1/2/2001");
    EXPECT_EQ(t[8], "10");
    EXPECT_EQ(t[9], "250");
    EXPECT_EQ(t[10], "2");
    EXPECT_EQ(t[11], "50");
    EXPECT_EQ(t[12], "100");
    EXPECT_EQ(t[13], "200");
    EXPECT_EQ(t[14], "8");
    EXPECT_EQ(t[15], "2");
    EXPECT_EQ(t[16], "0.08");
    EXPECT_EQ(t[17], t[8]);
    EXPECT_EQ(t[18], t[9]);
    EXPECT_EQ(t[19], t[10]);
    EXPECT_EQ(t[20], t[11]);
    EXPECT_EQ(t[21], t[13]);
    EXPECT_EQ(t[22], t[14]);
    EXPECT_EQ(t[23], t[12]);
    EXPECT_EQ(t[24], t[15]);
    EXPECT_EQ(t[25], t[16]);
    EXPECT_EQ(t[26], t[15]);
    for (int box = 1; box <= 6; ++box) EXPECT_EQ(t[box], "old");
    EXPECT_EQ(cursorAt(xl), "$A$4");
}

TEST_F(ShowResultsTest, NoEntriesEmptiesAllBoxes) {
    xl.range("C7").select();
    EXPECT_FALSE(ShowResults(xl, window));
    for (int box = 1; box <= 26; ++box) EXPECT_EQ(window.boxes[box], "") << box;
    EXPECT_EQ(cursorAt(xl), "$A$3");
}

TEST_F(ShowResultsTest, RoundsRatiosAndShowsNetValuesUnrounded) {
    dataRow(3, "2/1/2001", "1", "151.5", "0", "1", "3");
    totalsRow(3);
    EXPECT_TRUE(ShowResults(xl, window));
    EXPECT_EQ(window.boxes[13], "150.5");
    EXPECT_EQ(window.boxes[16], "0.33");  // 1 / 3
    EXPECT_EQ(window.boxes[15], "50.17");
    EXPECT_EQ(window.boxes[8], "1");
}

TEST_F(ShowResultsTest, TwoDaysSumTheRatiosAndAverageK) {
    dataRow(3, "2/1/2001", "10", "200", "0", "0", "100");  // I = 2
    dataRow(4, "2/2/2001", "10", "400", "0", "0", "100");  // I = 4
    totalsRow(4);
    EXPECT_TRUE(ShowResults(xl, window));
    EXPECT_EQ(window.boxes[7], "2/2/2001");
    EXPECT_EQ(window.boxes[24], "6");
    EXPECT_EQ(window.boxes[26], "3");
    EXPECT_EQ(window.boxes[17], "20");
    EXPECT_EQ(cursorAt(xl), "$A$5");
}

TEST_F(ShowResultsTest, TextDateShowsDayFirst) {
    dataRow(3, "13/31/2001", "1", "1", "0", "0", "1");
    totalsRow(3);
    EXPECT_TRUE(ShowResults(xl, window));
    EXPECT_EQ(window.boxes[7], "31/13/2001");
}

TEST_F(ShowResultsTest, TextInB1Fails) {
    put("B1", "many");
    EXPECT_THROW(ShowResults(xl, window), host::HostError);
}

TEST_F(ShowResultsTest, DivisionByZeroFailsAfterFillingTheEarlierBoxes) {
    dataRow(3, "2/1/2001", "10", "250", "2", "50", "0");
    totalsRow(3);
    EXPECT_THROW(ShowResults(xl, window), SheetFailure);
    EXPECT_EQ(window.boxes[14], "8");
    EXPECT_EQ(window.boxes[15], "old");
}

TEST_F(ShowResultsTest, CountPast32764Fails) {
    put("B1", "32765");
    EXPECT_THROW(ShowResults(xl, window), SheetFailure);
}
