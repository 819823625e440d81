// The worked example of the daily record through the host alone: two days written cell by cell as
// Submit writes them (select, assign a text, read back), then the values the display shows.
#include <gtest/gtest.h>

#include <string>

#include "host/application.h"

namespace {

using host::Application;

void put(Application& app, const std::string& address, const std::string& text) {
    app.range(address).select();
    app.activeCell().setValue(text);
}

double number(Application& app, const std::string& address) {
    app.range(address).select();
    const host::CellValue v = app.activeCell().value();
    EXPECT_TRUE(v.value.isNumber()) << address;
    return v.value.number;
}

void newStatsSheet(Application& app) {
    app.addWorkbook();
    app.selectSheet(1);
    put(app, "A1", "Entries");
    app.range("B1").select();
    app.activeCell().setValue(0.0);
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
    for (int c = 0; c < 11; ++c) put(app, std::string(1, static_cast<char>('A' + c)) + "2", headers[c]);
    app.range("A1:K2").setBold(true);
    app.range("A3").select();
    app.range("B1:K2").setHorizontalAlignment(host::xlRight);
    app.range("A1:A1000").setHorizontalAlignment(host::xlLeft);
}

void submit(Application& app, const std::string& date, const char* b, const char* c, const char* d, const char* e,
            const char* h) {
    const std::string row = app.activeCell().address().substr(3);  // "$A$3" -> "3"
    const int r = std::stoi(row);
    const std::string R = std::to_string(r), T = std::to_string(r + 1);
    put(app, "A" + R, date);
    put(app, "B" + R, b);
    put(app, "C" + R, c);
    put(app, "D" + R, d);
    put(app, "E" + R, e);
    put(app, "H" + R, h);
    put(app, "F" + R, "=C" + R + "-E" + R);
    put(app, "G" + R, "=B" + R + "-D" + R);
    put(app, "I" + R, "=F" + R + "/H" + R);
    put(app, "J" + R, "=G" + R + "/H" + R);
    put(app, "K" + R, "=I" + R);
    put(app, "A" + T, "Total");
    for (char col = 'B'; col <= 'J'; ++col)
        put(app, std::string(1, col) + T, std::string("=sum(") + col + "3:" + col + R + ")");
    put(app, "K" + T, "=average(K3:K" + R + ")");
    app.range("B1").select();
    const double n = app.activeCell().value().value.number;
    app.activeCell().setValue(n + 1);
    app.range("A" + T).select();
}

TEST(WorkedExample, TwoDaysThroughTheHostAlone) {
    Application app;
    app.setVisible(false);
    app.setDisplayAlerts(false);
    newStatsSheet(app);
    EXPECT_EQ(app.activeCell().address(), "$A$3");

    submit(app, "2/1/2001", "10", "250", "2", "50", "100");
    EXPECT_EQ(app.activeCell().address(), "$A$4");
    app.range("A3").select();
    const host::CellValue date = app.activeCell().value();
    ASSERT_TRUE(date.value.isNumber());
    EXPECT_TRUE(date.isDate);
    EXPECT_EQ(date.value.number, 36923);
    EXPECT_EQ(number(app, "F3"), 200);
    EXPECT_EQ(number(app, "G3"), 8);
    EXPECT_EQ(number(app, "I3"), 2);
    EXPECT_DOUBLE_EQ(number(app, "J3"), 0.08);
    EXPECT_EQ(number(app, "K3"), 2);
    EXPECT_EQ(number(app, "B4"), 10);
    EXPECT_EQ(number(app, "C4"), 250);
    EXPECT_EQ(number(app, "F4"), 200);
    EXPECT_EQ(number(app, "I4"), 2);
    EXPECT_EQ(number(app, "K4"), 2);
    EXPECT_EQ(number(app, "B1"), 1);
    app.range("A4").select();
    EXPECT_EQ(app.activeCell().value().value.text, "Total");

    app.range("A4").select();
    submit(app, "2/2/2001", "20", "500", "0", "0", "100");
    EXPECT_EQ(number(app, "F4"), 500);
    EXPECT_EQ(number(app, "G4"), 20);
    EXPECT_EQ(number(app, "I4"), 5);
    EXPECT_DOUBLE_EQ(number(app, "J4"), 0.2);
    EXPECT_EQ(number(app, "K4"), 5);
    EXPECT_EQ(number(app, "B5"), 30);
    EXPECT_EQ(number(app, "C5"), 750);
    EXPECT_EQ(number(app, "D5"), 2);
    EXPECT_EQ(number(app, "E5"), 50);
    EXPECT_EQ(number(app, "F5"), 700);
    EXPECT_EQ(number(app, "G5"), 28);
    EXPECT_EQ(number(app, "H5"), 200);
    EXPECT_EQ(number(app, "I5"), 7);
    EXPECT_DOUBLE_EQ(number(app, "J5"), 0.28);
    EXPECT_EQ(number(app, "K5"), 3.5);
    EXPECT_EQ(number(app, "B1"), 2);

    host::Worksheet& sheet = app.activeWorkbook()->activeSheet();
    EXPECT_EQ(sheet.formulaText({4, 1}), "=SUM(B3:B4)");
    EXPECT_EQ(sheet.formulaText({4, 10}), "=AVERAGE(K3:K4)");
    EXPECT_EQ(sheet.formulaText({3, 5}), "=C4-E4");
    // The formulas of one shape share one compiled code.
    EXPECT_EQ(sheet.cell({2, 5}).formula, sheet.cell({3, 5}).formula);
}

}  // namespace
