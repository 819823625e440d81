#include "workbook/stats_sheet.h"

#include <gtest/gtest.h>

#include "fake_window.h"
#include "host/application.h"
#include "host/host_error.h"
#include "sheet_access.h"

using namespace tallomer;

namespace {
class NewSheet : public ::testing::Test {
protected:
    host::Application xl;
    FakeWindow window;
};
}  // namespace

TEST_F(NewSheet, HoldsExactlyTheTitleAndHeaderValues) {
    NewStatsSheet(xl, window);
    EXPECT_EQ(textAt(xl, "A1"), "Entries");
    EXPECT_EQ(numberAt(xl, "B1"), 0);
    const char* headers[] = {"DATE",
                             "# of Orders",
                             "$ of Orders",
                             "# of Refunds",
                             "$ of Refunds",
                             "$Orders - $Refunds",
                             "# Orders - # Refunds",
                             "Number of Unique Visitors",
                             "Total $ Dollars / Unique Visitors",
                             "Total # Orders / Unique Visitors",
                             "Average = $ / Unique Visitors"};
    for (int col = 0; col < 11; ++col) {
        EXPECT_EQ(activeSheet(xl).value({1, col}), host::Value::fromText(headers[col])) << col;
    }
    int values = 0;
    activeSheet(xl).forEachCell([&](const host::CellView& cell) {
        if (!cell.value.isEmpty()) ++values;
    });
    EXPECT_EQ(values, 13);
    EXPECT_EQ(cursorAt(xl), "$A$3");
    EXPECT_EQ(xl.activeWorkbook()->activeSheetIndex(), 0);
}

TEST_F(NewSheet, SetsWidthsBoldAndAlignment) {
    NewStatsSheet(xl, window);
    const host::Worksheet& sheet = activeSheet(xl);
    const double widths[] = {15, 15, 15, 18, 18, 24, 24, 30, 36, 36, 36};
    for (int col = 0; col < 11; ++col) EXPECT_DOUBLE_EQ(sheet.columnWidth(col), widths[col]) << col;
    EXPECT_DOUBLE_EQ(sheet.columnWidth(11), host::kDefaultColumnWidth);

    EXPECT_TRUE(sheet.style(cellAt("A1")).bold);
    EXPECT_TRUE(sheet.style(cellAt("K2")).bold);
    EXPECT_FALSE(sheet.style(cellAt("A3")).bold);
    EXPECT_EQ(sheet.style(cellAt("A1")).align, host::HAlign::Left);
    EXPECT_EQ(sheet.style(cellAt("A2")).align, host::HAlign::Left);
    EXPECT_EQ(sheet.style(cellAt("B1")).align, host::HAlign::Right);
    EXPECT_EQ(sheet.style(cellAt("K2")).align, host::HAlign::Right);
    EXPECT_EQ(sheet.style(cellAt("A1000")).align, host::HAlign::Left);
    EXPECT_EQ(sheet.style(cellAt("A1001")).align, host::HAlign::General);
    EXPECT_EQ(sheet.style(cellAt("B3")).align, host::HAlign::General);
    EXPECT_EQ(sheet.style(cellAt("C1")).align, host::HAlign::Right);
}

TEST_F(NewSheet, ReadiesTheWindowAndLeavesTheInputs) {
    for (int box = 1; box <= 26; ++box) window.boxes[box] = "x";
    NewStatsSheet(xl, window);
    for (int box = 1; box <= 6; ++box) EXPECT_EQ(window.boxes[box], "x");
    for (int box = 7; box <= 26; ++box) EXPECT_EQ(window.boxes[box], "") << box;
    EXPECT_TRUE(window.shown);
    EXPECT_TRUE(window.focusInDateBox);
    EXPECT_FALSE(window.processingVisible);
    EXPECT_EQ(window.title, "Tallomer");
}

TEST_F(NewSheet, SecondTimeMakesAnotherIdenticalWorkbook) {
    NewStatsSheet(xl, window);
    host::Workbook* first = xl.activeWorkbook();
    NewStatsSheet(xl, window);
    EXPECT_NE(xl.activeWorkbook(), first);
    EXPECT_EQ(textAt(xl, "K2"), "Average = $ / Unique Visitors");
    EXPECT_EQ(cursorAt(xl), "$A$3");
}

TEST_F(NewSheet, HostFailureStopsAtThatStep) {
    xl.beforeOperation = [](std::string_view operation) {
        if (operation.find("Select") != std::string_view::npos) throw host::HostError("refused");
    };
    EXPECT_THROW(NewStatsSheet(xl, window), host::HostError);
    EXPECT_FALSE(window.shown);
    EXPECT_EQ(window.title, "");
}
