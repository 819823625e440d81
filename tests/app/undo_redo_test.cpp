// Undo Last Entry and Redo Entry through the real window offscreen, with the keys a user
// presses and the host's own cells checked.
#include <gtest/gtest.h>

#include <filesystem>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/form1.h"
#include "app/program.h"
#include "documents/file_dialog_branches.h"
#include "host/application.h"
#include "message_recorder.h"

using namespace tallomer;

namespace {

const std::vector<QString> kDayOne = {"1/2/2001", "10", "250", "2", "50", "100"};
const std::vector<QString> kDayTwo = {"2/2/2001", "20", "500", "0", "0", "100"};
// Text7..Text26 after day one alone.
const std::vector<std::string> kShownAfterDayOne = {"1/2/2001", "10", "250",  "2",  "50",   "100", "200",
                                                    "8",        "2",  "0.08", "10", "250",  "2",   "50",
                                                    "200",      "8",  "100",  "2",  "0.08", "2"};

// Rows 1 to 6, A to K: content (formula text or value) and style, to compare whole sheets.
std::vector<std::string> cells(host::Worksheet& sheet) {
    std::vector<std::string> out;
    for (int row = 0; row < 6; ++row) {
        for (int col = 0; col <= 10; ++col) {
            const host::CellAddress at{row, col};
            const std::string formula = sheet.formulaText(at);
            const host::CellValue value = sheet.read(at);
            std::string text = formula.empty() ? std::to_string(static_cast<int>(value.value.kind)) + ":" +
                                                     std::to_string(value.value.number) + ":" + value.value.text
                                               : formula;
            out.push_back(std::to_string(row + 1) + "/" + std::to_string(col) + " " + text + " style " +
                          std::to_string(sheet.styleIndex(at)));
        }
    }
    return out;
}

class UndoRedoTest : public ::testing::Test {
protected:
    UndoRedoTest() {
        wireDocumentCommands(program);
        EXPECT_TRUE(program.Form1_Form_Load());
        QApplication::setActiveWindow(&form());
    }
    Form1& form() { return program.form1(); }
    host::Worksheet& sheet() { return program.xlApp()->activeWorkbook()->activeSheet(); }
    std::string formula(const char* a1) { return sheet().formulaText(*host::parseAddress(a1)); }
    host::Value value(const char* a1) { return sheet().value(*host::parseAddress(a1)); }
    std::string box(int n) { return form().Text(n)->text().toStdString(); }
    std::string cursor() { return program.xlApp()->activeCell().address(); }

    void typeAndSubmit(const std::vector<QString>& figures) {
        for (int n = 1; n <= 6; ++n) {
            form().Text(n)->setFocus();
            QTest::keyClicks(form().Text(n), figures[n - 1]);
        }
        QTest::mouseClick(form().Command(1), Qt::LeftButton);
    }
    // The keys go to whatever has the focus, as a user's would.
    void press(const QKeySequence& keys) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &form();
        QTest::keySequence(target, keys);
    }
    QAction* editItem(const QString& start) {
        for (QAction* menu : form().menuBar()->actions()) {
            if (menu->text() != "&Edit") continue;
            emit menu->menu()->aboutToShow();
            for (QAction* action : menu->menu()->actions()) {
                if (action->text().startsWith(start)) return action;
            }
        }
        return nullptr;
    }
    void expectInputs(const std::vector<QString>& figures) {
        for (int n = 1; n <= 6; ++n) EXPECT_EQ(form().Text(n)->text(), figures[n - 1]) << "Text" << n;
    }

    MessageRecorder messages;
    Program program;
};

}  // namespace

TEST_F(UndoRedoTest, UndoRedoAndUndoDownToTheEmptySheet) {
    const std::vector<std::string> empty = cells(sheet());
    typeAndSubmit(kDayOne);
    const std::vector<std::string> afterDayOne = cells(sheet());
    typeAndSubmit(kDayTwo);
    const std::vector<std::string> afterDayTwo = cells(sheet());
    std::vector<std::string> shownAfterDayTwo;
    for (int n = 7; n <= 26; ++n) shownAfterDayTwo.push_back(box(n));
    EXPECT_EQ(editItem("&Undo")->text(), "&Undo Last Entry (2/2/2001)");
    EXPECT_FALSE(editItem("&Redo")->isEnabled());

    // Right after Submit the focus is in the empty date box: Ctrl+Z there undoes the entry.
    ASSERT_EQ(QApplication::focusWidget(), form().Text(1));
    press(QKeySequence::Undo);
    EXPECT_EQ(value("A4"), host::Value::fromText("Total"));
    EXPECT_EQ(formula("B4"), "=SUM(B3:B3)");
    EXPECT_EQ(formula("J4"), "=SUM(J3:J3)");
    EXPECT_EQ(formula("K4"), "=AVERAGE(K3:K3)");
    EXPECT_TRUE(value("A5").isEmpty());
    EXPECT_TRUE(value("K5").isEmpty());
    EXPECT_EQ(value("B1"), host::Value::fromNumber(1));
    EXPECT_EQ(cursor(), "$A$4");
    EXPECT_EQ(cells(sheet()), afterDayOne);  // cells and formats exactly as Submit left day one
    for (int n = 7; n <= 26; ++n) EXPECT_EQ(box(n), kShownAfterDayOne[n - 7]) << "Text" << n;
    expectInputs(kDayTwo);
    EXPECT_EQ(QApplication::focusWidget(), form().Text(1));
    EXPECT_EQ(program.shared().Saved, "False");
    EXPECT_EQ(editItem("&Undo")->text(), "&Undo Last Entry (1/2/2001)");
    EXPECT_EQ(editItem("&Redo")->text(), "&Redo Entry (2/2/2001)");

    // With typing in the date box, Ctrl+Z undoes the typing, not an entry.
    form().Text(1)->setFocus();
    QTest::keyClicks(form().Text(1), "9");
    press(QKeySequence::Undo);
    EXPECT_EQ(form().Text(1)->text(), "2/2/2001");
    EXPECT_EQ(value("B1"), host::Value::fromNumber(1));

    // Redo puts the entry back exactly; Ctrl+Y from the Submit button reaches the menu too.
    form().Command(1)->setFocus();
    press(QKeySequence("Ctrl+Y"));
    EXPECT_EQ(cells(sheet()), afterDayTwo);
    for (int n = 7; n <= 26; ++n) EXPECT_EQ(box(n), shownAfterDayTwo[n - 7]) << "Text" << n;
    expectInputs({"", "", "", "", "", ""});
    EXPECT_EQ(cursor(), "$A$5");
    EXPECT_FALSE(editItem("&Redo")->isEnabled());

    // Down to nothing: the sheet is exactly a new sheet's.
    editItem("&Undo")->trigger();
    editItem("&Undo")->trigger();
    EXPECT_EQ(cells(sheet()), empty);
    EXPECT_EQ(value("B1"), host::Value::fromNumber(0));
    EXPECT_EQ(cursor(), "$A$3");
    for (int n = 7; n <= 26; ++n) EXPECT_EQ(box(n), "") << "Text" << n;
    expectInputs(kDayOne);
    EXPECT_FALSE(editItem("&Undo")->isEnabled());
    EXPECT_EQ(editItem("&Undo")->text(), "&Undo Last Entry");

    // A stack: two redos bring both days back; a Submit then clears what is left to redo.
    editItem("&Redo")->trigger();
    EXPECT_EQ(cells(sheet()), afterDayOne);
    editItem("&Undo")->trigger();
    EXPECT_EQ(cells(sheet()), empty);
    typeAndSubmit({"", "", "", "", "", ""});  // the inputs still hold day one
    EXPECT_EQ(cells(sheet()), afterDayOne);
    EXPECT_FALSE(editItem("&Redo")->isEnabled());
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(UndoRedoTest, EntryFromAnOpenedFileAndSavingAfterUndo) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("stats.xls").toStdString();
    typeAndSubmit(kDayOne);
    typeAndSubmit({"2/2/2001", "020", "500.50", "0", "0", "100"});
    program.xlApp()->saveActiveWorkbookAs(path);

    // Opened as File > Open does it: the run's own history goes, the sheet's rows stay undoable.
    openBranch(*program.documents(), path);
    ASSERT_TRUE(messages.texts.empty());
    const std::vector<std::string> opened = cells(sheet());
    EXPECT_EQ(editItem("&Undo")->text(), "&Undo Last Entry (2/2/2001)");
    editItem("&Undo")->trigger();
    // The figures come back in the forms the display shows, not as they were once typed.
    expectInputs({"2/2/2001", "20", "500.5", "0", "0", "100"});
    EXPECT_EQ(formula("K4"), "=AVERAGE(K3:K3)");
    EXPECT_EQ(value("B1"), host::Value::fromNumber(1));
    EXPECT_EQ(program.shared().Saved, "False");

    // Redo of a file's entry puts its very cells back.
    editItem("&Redo")->trigger();
    EXPECT_EQ(cells(sheet()), opened);
    editItem("&Undo")->trigger();

    // Undo, Save, reopen: one entry, its totals row where the second entry was.
    form().Command(3)->click();  // Save: the workbook has its file
    EXPECT_EQ(program.shared().Saved, "True");
    host::Application reader;
    host::Worksheet& back = reader.openWorkbook(path).activeSheet();
    EXPECT_EQ(back.value({0, 1}), host::Value::fromNumber(1));
    EXPECT_EQ(back.value({3, 0}), host::Value::fromText("Total"));
    EXPECT_EQ(back.formulaText({3, 10}), "=AVERAGE(K3:K3)");
    EXPECT_TRUE(back.value({4, 0}).isEmpty());
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(UndoRedoTest, FailureInsideUndoLeavesTheSheetAsItWas) {
    typeAndSubmit(kDayOne);
    typeAndSubmit(kDayTwo);
    const std::vector<std::string> before = cells(sheet());
    // The host refuses to write, after Undo has begun emptying the rows.
    program.xlApp()->beforeOperation = [](std::string_view operation) {
        if (operation == "ActiveCell.Value=") throw host::HostError("refused");
    };
    editItem("&Undo")->trigger();
    program.xlApp()->beforeOperation = {};
    EXPECT_EQ(cells(sheet()), before);
    EXPECT_EQ(cursor(), "$A$5");
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], "The last entry could not be undone.\nrefused");
    expectInputs({"", "", "", "", "", ""});
    EXPECT_EQ(box(7), "2/2/2001");
    EXPECT_FALSE(editItem("&Redo")->isEnabled());
}

TEST_F(UndoRedoTest, TypedFiguresComeBackAsTheyWereTyped) {
    typeAndSubmit({"01/02/2001", "010", "250.0", "2", "50", "100"});
    editItem("&Undo")->trigger();
    expectInputs({"01/02/2001", "010", "250.0", "2", "50", "100"});
    // New clears the run's history: after it, nothing is left to undo or redo.
    editItem("&Redo")->trigger();
    program.shared().Saved = "True";  // New would ask first; the question is tested elsewhere
    form().Command(2)->click();
    EXPECT_FALSE(editItem("&Undo")->isEnabled());
    EXPECT_FALSE(editItem("&Redo")->isEnabled());
}
