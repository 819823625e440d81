// The typical day through the real windows of the program: Submit, Save through the file
// dialog, Quit; then the file as xlrd and Gnumeric read it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include "app/form1.h"
#include "app/message_box.h"
#include "app/program.h"
#include "documents/directory_list.h"
#include "documents/file_dialog.h"
#include "documents/unsaved_data_guard.h"
#include "host/application.h"

namespace tallomer::testing {
namespace {

template <typename Window>
Window* visibleWindow() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<Window*>(w); found && found->isVisible()) {
            return found;
        }
    }
    return nullptr;
}

class TypicalDay : public ::testing::Test {
protected:
    void SetUp() override {
        setMessageBoxHandler([this](QWidget*, const QString& text) { messages << text; });
        wireDocumentCommands(program);
        ASSERT_TRUE(program.Form1_Form_Load());
    }
    void TearDown() override { setMessageBoxHandler({}); }

    void typeWorkedExample() {
        const char* figures[] = {"1/2/2001", "10", "250", "2", "50", "100"};
        for (int box = 1; box <= 6; ++box) {
            QTest::keyClicks(program.form1().Text(box), figures[box - 1]);
        }
    }
    void press(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    Program program;
    QStringList messages;
};

TEST_F(TypicalDay, SubmitSaveQuitAndTheFileHoldsTheWorkedExample) {
    Form1& main = program.form1();
    typeWorkedExample();
    press(main.Command(1));  // Submit
    ASSERT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
    EXPECT_EQ(program.shared().Saved, "False");

    press(main.Command(3));  // Save: no file yet, so the dialog in save mode
    Form7* dialog = visibleWindow<Form7>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Save");
    EXPECT_EQ(dialog->Command1->text(), "Save");
    QApplication::processEvents();  // its activation: the documents folder
    const QString folder = QDir::homePath() + "/Documents";
    EXPECT_EQ(dialog->Dir1->path(), folder);
    QTest::keyClicks(dialog->Text1, "day.xls");
    press(dialog->Command1);

    const QString path = folder + "/day.xls";
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(messages.isEmpty()) << messages.join("|").toStdString();
    EXPECT_EQ(main.windowTitle(), "Tallomer   " + path);
    EXPECT_EQ(program.shared().Saved, "True");
    EXPECT_EQ(program.shared().Named, "True");

    press(main.Command(4));  // Quit: nothing unsaved, no question
    EXPECT_EQ(visibleWindow<UnsavedDataGuard>(), nullptr);
    EXPECT_TRUE(program.ended());
    EXPECT_EQ(program.exitStatus(), 0);
    EXPECT_TRUE(program.xlApp()->hasQuit());
    for (QWidget* w : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(w->isVisible()) << w->windowTitle().toStdString();
    }

    // Read back by programs of others: values by xlrd, formulas by Gnumeric.
    QProcess check;
    check.start("/usr/bin/python3", {TALLOMER_SOURCE_DIR "/tests/blackbox/check_worked_example.py", path});
    ASSERT_TRUE(check.waitForFinished(60000));
    EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardOutput().toStdString()
                                   << check.readAllStandardError().toStdString();
}

TEST_F(TypicalDay, TheCloseControlAsksFirstWhenRecordsAreUnsaved) {
    Form1& main = program.form1();
    typeWorkedExample();
    press(main.Command(1));
    main.close();
    EXPECT_TRUE(main.isVisible());
    EXPECT_FALSE(program.ended());
    auto* guard = visibleWindow<UnsavedDataGuard>();
    ASSERT_NE(guard, nullptr);
    EXPECT_EQ(guard->Command1->text(), "Go back");
    press(guard->Command2);  // Continue
    EXPECT_TRUE(program.ended());
    EXPECT_TRUE(QDir(QDir::homePath() + "/Documents").entryList(QDir::Files).isEmpty());
}

TEST_F(TypicalDay, TheSecondaryWindowsArePlacedAtStartUpAndHidden) {
    const SharedState& s = program.shared();
    Form7* dialog = nullptr;
    int guards = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* f = qobject_cast<Form7*>(w)) dialog = f;
        if (qobject_cast<UnsavedDataGuard*>(w)) {
            ++guards;
            EXPECT_FALSE(w->isVisible());
        }
    }
    EXPECT_EQ(guards, 3);
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->isVisible());
    const double left = std::max(0.0, (s.lScreenWidth - 6030) / 2.0);
    const double top = std::max(0.0, (s.lScreenHeight - 4290) / 2.0);
    EXPECT_EQ(dialog->pos(), QPoint(qRound(left / 15), qRound(top / 15)));
    EXPECT_EQ(dialog->height(), (4290 - 405) / 15);
}

}  // namespace
}  // namespace tallomer::testing
