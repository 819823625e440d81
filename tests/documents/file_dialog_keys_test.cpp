// The file dialog by keyboard, as every file dialog works: the name box first in save mode,
// Enter there presses the button, Enter or a double-click on a file opens it in open mode,
// Escape hides the dialog as its close control does.
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include "documents/file_list.h"
#include "documents/unsaved_data_guard.h"
#include "documents_fixture.h"
#include "workbook/stats_sheet.h"

namespace tallomer::testing {
namespace {

class FileDialogKeys : public DocumentsTest {
protected:
    void SetUp() override {
        DocumentsTest::SetUp();
        ASSERT_TRUE(folder.isValid());
    }
    // A workbook with one entry in the folder, saved through the dialog.
    QString savedWorkbook(const QString& name) {
        submit("1/2/2001", "10", "250", "2", "50", "100");
        saveAsThroughDialog(folder.path(), name);
        EXPECT_TRUE(QFile::exists(folder.filePath(name)));
        return folder.filePath(name);
    }
    // Open pressed, the folder and file chosen, the dialog the active window.
    void openModeWithFileChosen(const QString& name) {
        Form1_Command5_Click(*docs);
        QApplication::setActiveWindow(&docs->form7);
        chooseFolder(folder.path());
        chooseFile(name);
    }
    // A double-click on a file as the window system delivers one: press, release, then the
    // second press as a double-click. (QTest's own double-click loses its second press when
    // the clicks of earlier tests are too close in its made-up time.)
    void doubleClickFile(const QString& name) {
        FileList* list = docs->form7.File1;
        const QPointF at = list->visualItemRect(list->findItems(name, Qt::MatchExactly).first()).center();
        const QPointF global = list->viewport()->mapToGlobal(at);
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                                  QEvent::MouseButtonRelease}) {
            const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
            QMouseEvent event(type, at, global, Qt::LeftButton, held, Qt::NoModifier);
            QApplication::sendEvent(list->viewport(), &event);
        }
    }
    QTemporaryDir folder;
};

TEST_F(FileDialogKeys, SaveModeStartsInTheNameBoxAndEnterThereSaves) {
    for (auto command : {Form1_Command3_Click, Form1_Command6_Click}) {  // Save (unnamed), Save As
        command(*docs);
        QApplication::setActiveWindow(&docs->form7);
        EXPECT_EQ(QApplication::focusWidget(), docs->form7.Text1);
        docs->form7.hide();
    }
    submit("1/2/2001", "10", "250", "2", "50", "100");
    Form1_Command6_Click(*docs);
    QApplication::setActiveWindow(&docs->form7);
    chooseFolder(folder.path());
    QTest::keyClicks(docs->form7.Text1, "by keyboard.xls");
    QTest::keyClick(docs->form7.Text1, Qt::Key_Return);
    EXPECT_TRUE(QFile::exists(folder.filePath("by keyboard.xls")));
    EXPECT_FALSE(docs->form7.isVisible());
    EXPECT_EQ(window.title, "Tallomer   " + folder.filePath("by keyboard.xls").toStdString());
    EXPECT_EQ(state.Saved, "True");
}

TEST_F(FileDialogKeys, EnterOrDoubleClickOnAFileOpensItInOpenMode) {
    const QString path = savedWorkbook("day one.xls");
    NewStatsSheet(app, window);
    window.title = "Tallomer";

    openModeWithFileChosen("day one.xls");
    docs->form7.File1->setFocus();
    QTest::keyClick(docs->form7.File1, Qt::Key_Return);
    EXPECT_FALSE(docs->form7.isVisible());
    EXPECT_EQ(window.title, "Tallomer   " + path.toStdString());
    EXPECT_EQ(window.boxes[8], "10");

    NewStatsSheet(app, window);
    window.title = "Tallomer";
    openModeWithFileChosen("day one.xls");
    doubleClickFile("day one.xls");
    EXPECT_FALSE(docs->form7.isVisible());
    EXPECT_EQ(window.title, "Tallomer   " + path.toStdString());
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(FileDialogKeys, AFileOfTheListDoesNothingInSaveMode) {
    savedWorkbook("existing.xls");
    const std::string title = window.title;
    const QByteArray before = QByteArray::fromStdString(readBytes(folder.filePath("existing.xls")));
    Form1_Command6_Click(*docs);
    QApplication::setActiveWindow(&docs->form7);
    chooseFolder(folder.path());
    chooseFile("existing.xls");
    doubleClickFile("existing.xls");
    QTest::keyClick(docs->form7.File1, Qt::Key_Return);
    EXPECT_TRUE(docs->form7.isVisible());
    EXPECT_TRUE(docs->form7.Text1->text().isEmpty()) << "a file's name is not copied into the name box";
    EXPECT_EQ(window.title, title);
    EXPECT_EQ(QByteArray::fromStdString(readBytes(folder.filePath("existing.xls"))), before);
}

TEST_F(FileDialogKeys, EscapeHidesTheDialogAndRunsNoBranch) {
    submit("1/2/2001", "10", "250", "2", "50", "100");
    for (auto command : {Form1_Command6_Click, Form1_Command5_Click}) {
        state.Saved = "False";
        command(*docs);
        if (docs->form4.isVisible()) {  // Open asks about the unsaved entry first: No
            docs->form4.Command2->click();
        }
        ASSERT_TRUE(docs->form7.isVisible());
        QApplication::setActiveWindow(&docs->form7);
        const std::string saved = state.Saved, named = state.Named, title = window.title;
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &docs->form7, Qt::Key_Escape);
        EXPECT_FALSE(docs->form7.isVisible());
        EXPECT_EQ(state.Saved, saved);
        EXPECT_EQ(state.Named, named);
        EXPECT_EQ(window.title, title);
        EXPECT_FALSE(window.processing);
        EXPECT_TRUE(window.messages.empty());
    }
}

}  // namespace
}  // namespace tallomer::testing
