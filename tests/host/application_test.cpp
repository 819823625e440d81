// The application object: workbooks, sheets, Range, ActiveCell, and refusals that change
// nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "host/application.h"

namespace {

using host::Application;
using host::HostError;

TEST(Application, AddMakesThreeSheetsWithTheFirstActiveAtA1) {
    Application app;
    EXPECT_EQ(app.activeWorkbook(), nullptr);
    host::Workbook& wb = app.addWorkbook();
    EXPECT_EQ(app.activeWorkbook(), &wb);
    ASSERT_EQ(wb.sheetCount(), 3);
    EXPECT_EQ(wb.sheet(0).name(), "Sheet1");
    EXPECT_EQ(wb.sheet(2).name(), "Sheet3");
    EXPECT_EQ(wb.activeSheetIndex(), 0);
    EXPECT_EQ(app.activeCell().address(), "$A$1");
    EXPECT_TRUE(wb.path().empty());
    EXPECT_FALSE(wb.sheet(0).usedRange().has_value());
}

TEST(Application, VisibleAndDisplayAlerts) {
    Application app;
    app.setVisible(false);
    app.setDisplayAlerts(false);
    EXPECT_FALSE(app.visible());
    EXPECT_FALSE(app.displayAlerts());
}

TEST(Application, SelectMovesTheActiveCellAndAddressIsAbsolute) {
    Application app;
    app.addWorkbook();
    app.range("b7").select();
    EXPECT_EQ(app.activeCell().address(), "$B$7");
    app.range("$K$2").select();
    EXPECT_EQ(app.activeCell().address(), "$K$2");
    app.range("C3:A1").select();  // the top-left corner
    EXPECT_EQ(app.activeCell().address(), "$A$1");
    app.range("IV65536").select();
    EXPECT_EQ(app.activeCell().address(), "$IV$65536");
    EXPECT_EQ(app.activeCell().position(), (host::CellAddress{65535, 255}));
}

TEST(Application, EachSheetKeepsItsOwnActiveCell) {
    Application app;
    app.addWorkbook();
    app.range("C5").select();
    app.selectSheet(2);
    EXPECT_EQ(app.activeCell().address(), "$A$1");
    app.activeCell().setValue("on two");
    app.selectSheet(1);
    EXPECT_EQ(app.activeCell().address(), "$C$5");
    EXPECT_TRUE(app.activeCell().value().value.isEmpty());
    EXPECT_THROW(app.selectSheet(4), HostError);
    EXPECT_THROW(app.selectSheet(0), HostError);
    EXPECT_EQ(app.activeWorkbook()->activeSheetIndex(), 0);
}

TEST(Application, ValuesAreTakenAsIfTyped) {
    Application app;
    app.addWorkbook();
    auto put = [&](const char* a, const char* text) {
        app.range(a).select();
        app.activeCell().setValue(text);
        return app.activeCell().value();
    };
    EXPECT_EQ(put("A1", "Entries").value, host::Value::fromText("Entries"));
    EXPECT_EQ(put("B1", "10.50").value, host::Value::fromNumber(10.5));
    const host::CellValue date = put("C1", "2/1/2001");
    EXPECT_EQ(date.value, host::Value::fromNumber(36923));
    EXPECT_TRUE(date.isDate);
    EXPECT_EQ(put("D1", "=b1*2").value, host::Value::fromNumber(21));
    EXPECT_EQ(put("E1", "13/31/2001").value, host::Value::fromText("13/31/2001"));
    app.range("F1").select();
    app.activeCell().setValue(0.0);
    EXPECT_EQ(app.activeCell().value().value, host::Value::fromNumber(0));
    EXPECT_FALSE(app.activeCell().value().isDate);
    // A number over a date keeps the cell's date format, as other spreadsheets do.
    app.range("C1").select();
    app.activeCell().setValue(36924.0);
    EXPECT_TRUE(app.activeCell().value().isDate);
    // The empty text empties the cell.
    app.range("A1").select();
    app.activeCell().setValue("");
    EXPECT_TRUE(app.activeCell().value().value.isEmpty());
}

TEST(Application, ColumnWidthsDefaultAndSetOverARange) {
    Application app;
    app.addWorkbook();
    EXPECT_DOUBLE_EQ(app.range("A1").columnWidth(), 8.43);
    app.range("A1:C1").setColumnWidth(15);
    app.range("D1:E1").setColumnWidth(18);
    EXPECT_DOUBLE_EQ(app.range("A1").columnWidth(), 15);
    EXPECT_DOUBLE_EQ(app.range("C9").columnWidth(), 15);
    EXPECT_DOUBLE_EQ(app.range("E1").columnWidth(), 18);
    EXPECT_DOUBLE_EQ(app.range("L1").columnWidth(), 8.43);
    EXPECT_THROW(app.range("A1").setColumnWidth(-1), HostError);
    EXPECT_THROW(app.range("A1").setColumnWidth(256), HostError);
    EXPECT_DOUBLE_EQ(app.range("A1").columnWidth(), 15);
}

TEST(Application, BoldAndAlignmentOverRanges) {
    Application app;
    app.addWorkbook();
    app.range("A1:K2").setBold(true);
    app.range("B1:K2").setHorizontalAlignment(host::xlRight);
    app.range("A1:A1000").setHorizontalAlignment(host::xlLeft);
    const host::Worksheet& s = app.activeWorkbook()->activeSheet();
    EXPECT_TRUE(s.style({0, 0}).bold);
    EXPECT_EQ(s.style({0, 0}).align, host::HAlign::Left);
    EXPECT_EQ(s.style({1, 10}).align, host::HAlign::Right);
    EXPECT_TRUE(s.style({1, 10}).bold);
    EXPECT_FALSE(s.style({2, 0}).bold);
    EXPECT_EQ(s.style({999, 0}).align, host::HAlign::Left);
    EXPECT_EQ(s.style({1000, 0}).align, host::HAlign::General);
    EXPECT_EQ(s.style({2, 1}).align, host::HAlign::General);
    app.range("A5").setHorizontalAlignment(host::xlCenter);
    EXPECT_EQ(s.style({4, 0}).align, host::HAlign::Center);
    app.range("A5").setHorizontalAlignment(host::xlGeneral);
    EXPECT_EQ(s.style({4, 0}).align, host::HAlign::General);
    EXPECT_THROW(app.range("A5").setHorizontalAlignment(7), HostError);
    EXPECT_EQ(s.style({4, 0}).align, host::HAlign::General);
    // Few distinct styles, however many cells carry them.
    EXPECT_LE(app.activeWorkbook()->styles().size(), 6u);
}

TEST(Application, RefusesWithoutAWorkbookOrWithABadAddress) {
    Application app;
    EXPECT_THROW(app.range("A1"), HostError);
    EXPECT_THROW(app.activeCell(), HostError);
    EXPECT_THROW(app.closeActiveWorkbook(), HostError);
    EXPECT_THROW(app.saveActiveWorkbook(), HostError);
    EXPECT_THROW(app.selectSheet(1), HostError);
    app.addWorkbook();
    for (const char* bad : {"", "A0", "IW1", "A65537", "1A", "A1:", "hello", "A1:B"}) {
        try {
            app.range(bad);
            ADD_FAILURE() << bad;
        } catch (const HostError& e) {
            EXPECT_NE(std::string(e.what()).find("address"), std::string::npos) << e.what();
        }
    }
}

TEST(Application, ARefusedFormulaStoresNothing) {
    Application app;
    app.addWorkbook();
    app.range("A1").select();
    app.activeCell().setValue("7");
    try {
        app.activeCell().setValue("=sum(A1");
        ADD_FAILURE() << "accepted";
    } catch (const HostError& e) {
        EXPECT_NE(std::string(e.what()).find("=sum(A1"), std::string::npos) << e.what();
    }
    EXPECT_EQ(app.activeCell().value().value, host::Value::fromNumber(7));
    EXPECT_THROW(app.activeCell().setValue(std::numeric_limits<double>::infinity()), HostError);
    EXPECT_EQ(app.activeCell().value().value, host::Value::fromNumber(7));
}

TEST(Application, CloseDropsTheWorkbookWithoutAPrompt) {
    Application app;
    host::Workbook& first = app.addWorkbook();
    app.addWorkbook();
    app.activeCell().setValue("unsaved");
    app.closeActiveWorkbook();
    EXPECT_EQ(app.activeWorkbook(), &first);
    app.closeActiveWorkbook();
    EXPECT_EQ(app.activeWorkbook(), nullptr);
    EXPECT_THROW(app.activeCell(), HostError);
}

TEST(Application, ARangeKeptPastItsWorkbooksCloseIsRefused) {
    Application app;
    app.addWorkbook();
    host::Range r = app.range("A1");
    host::ActiveCell cell = app.activeCell();
    app.closeActiveWorkbook();
    EXPECT_THROW(r.select(), HostError);
    EXPECT_THROW(r.setBold(true), HostError);
    EXPECT_THROW(cell.value(), HostError);
    EXPECT_THROW(cell.setValue("x"), HostError);
}

TEST(Application, SaveNeedsAPathAndAFailedSaveAsKeepsTheOldOne) {
    Application app;
    app.addWorkbook();
    EXPECT_THROW(app.saveActiveWorkbook(), HostError);
    const std::string bad = "/nonexistent-dir-for-tallomer/never/x.xls";
    EXPECT_THROW(app.saveActiveWorkbookAs(bad), HostError);
    EXPECT_TRUE(app.activeWorkbook()->path().empty());
    EXPECT_FALSE(std::filesystem::exists(bad));
}

TEST(Application, AFailedOpenChangesNothing) {
    Application app;
    host::Workbook& wb = app.addWorkbook();
    EXPECT_THROW(app.openWorkbook("/nonexistent-dir-for-tallomer/missing.xls"), HostError);
    EXPECT_EQ(app.activeWorkbook(), &wb);
}

TEST(Application, EveryOperationPassesTheTestSeamFirst) {
    Application app;
    std::vector<std::string> seen;
    app.beforeOperation = [&](std::string_view op) { seen.emplace_back(op); };
    app.setVisible(false);
    app.setDisplayAlerts(false);
    app.addWorkbook();
    app.selectSheet(1);
    app.range("A1:C1").setColumnWidth(15);
    app.range("A1").setBold(true);
    app.range("A1").setHorizontalAlignment(host::xlLeft);
    app.range("B2").select();
    app.activeCell().setValue("1");
    (void)app.activeCell().value();
    (void)app.activeCell().address();
    (void)app.activeWorkbook();
    const std::vector<std::string> want = {"Application.Visible=",
                                           "Application.DisplayAlerts=",
                                           "Workbooks.Add",
                                           "Sheets.Select",
                                           "Range",
                                           "Range.ColumnWidth=",
                                           "Range",
                                           "Range.Font.Bold=",
                                           "Range",
                                           "Range.HorizontalAlignment=",
                                           "Range",
                                           "Range.Select",
                                           "ActiveCell",
                                           "ActiveCell.Value=",
                                           "ActiveCell",
                                           "ActiveCell.Value",
                                           "ActiveCell",
                                           "ActiveCell.Address",
                                           "ActiveWorkbook"};
    EXPECT_EQ(seen, want);
}

TEST(Application, TheTestSeamMakesTheHostFailAtAChosenPointAndNothingChanges) {
    Application app;
    app.addWorkbook();
    app.range("A1").select();
    app.activeCell().setValue("5");
    app.beforeOperation = [](std::string_view op) {
        if (op == "ActiveCell.Value=") throw HostError("The host refused the value.");
    };
    EXPECT_THROW(app.activeCell().setValue("6"), HostError);
    app.range("B3").select();  // other operations go on
    app.range("A1").select();
    EXPECT_EQ(app.activeCell().value().value, host::Value::fromNumber(5));
}

TEST(Application, NothingIsDoneAfterQuit) {
    Application app;
    app.addWorkbook();
    app.quit();
    EXPECT_TRUE(app.hasQuit());
    EXPECT_THROW(app.addWorkbook(), HostError);
    EXPECT_THROW(app.range("A1"), HostError);
    EXPECT_THROW(app.activeWorkbook(), HostError);
    EXPECT_THROW(app.quit(), HostError);
}

}  // namespace

namespace {

TEST(Application, ANewWorkbookAfterCloseIsAnotherObject) {
    host::Application app;
    host::Workbook* first = &app.addWorkbook();
    host::Worksheet* firstSheet = &first->sheet(0);
    host::Range kept = app.range("A1");
    app.closeActiveWorkbook();
    host::Workbook* second = &app.addWorkbook();
    EXPECT_NE(second, first);
    EXPECT_NE(&second->sheet(0), firstSheet);
    EXPECT_THROW(kept.select(), host::HostError);
}

}  // namespace
