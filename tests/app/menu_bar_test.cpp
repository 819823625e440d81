// The menu bar driven through the real window offscreen: its menus and shortcuts, and that an
// item runs what its button runs.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>

#include "app/form1.h"
#include "app/program.h"
#include "documents/documents.h"
#include "documents/file_dialog_branches.h"
#include "message_recorder.h"

using namespace tallomer;

namespace {

class MenuBarTest : public ::testing::Test {
protected:
    MenuBarTest() {
        wireDocumentCommands(program);
        EXPECT_TRUE(program.Form1_Form_Load());
        QApplication::setActiveWindow(&form());
    }
    Form1& form() { return program.form1(); }

    QMenu* menu(const QString& title) {
        for (QAction* action : form().menuBar()->actions()) {
            if (action->text() == title) return action->menu();
        }
        return nullptr;
    }
    QAction* item(const QString& menuTitle, const QString& text) {
        QMenu* m = menu(menuTitle);
        if (!m) return nullptr;
        emit m->aboutToShow();
        for (QAction* action : m->actions()) {
            if (action->text().startsWith(text)) return action;
        }
        return nullptr;
    }
    void submit(const std::vector<QString>& figures) {
        for (int n = 1; n <= 6; ++n) form().Text(n)->setText(figures[n - 1]);
        QTest::mouseClick(form().Command(1), Qt::LeftButton);
    }
    QWidget* visibleWindowTitled(const QString& title) {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->isVisible() && window->windowTitle() == title) return window;
        }
        return nullptr;
    }

    MessageRecorder messages;
    Program program;
};

}  // namespace

TEST_F(MenuBarTest, MenusWithMnemonicsAndStandardShortcuts) {
    QStringList titles;
    for (QAction* action : form().menuBar()->actions()) titles << action->text();
    EXPECT_EQ(titles, QStringList({"&File", "&Edit", "&View", "&Help"}));

    const struct {
        const char* menu;
        const char* text;
        QKeySequence key;
    } expected[] = {
        {"&File", "&New", QKeySequence(QKeySequence::New)},
        {"&File", "&Open...", QKeySequence(QKeySequence::Open)},
        {"&File", "&Save", QKeySequence(QKeySequence::Save)},
        {"&File", "Save &As...", QKeySequence("Ctrl+Shift+S")},
        {"&File", "&Quit", QKeySequence(QKeySequence::Quit)},
        {"&Edit", "&Undo Last Entry", QKeySequence(QKeySequence::Undo)},
        {"&Edit", "&Redo Entry", QKeySequence("Ctrl+Shift+Z")},
        {"&Help", "&About Tallomer", QKeySequence()},
    };
    for (const auto& row : expected) {
        QAction* action = item(row.menu, row.text);
        ASSERT_NE(action, nullptr) << row.text;
        EXPECT_EQ(action->shortcut(), row.key) << row.text;
    }
    EXPECT_TRUE(item("&Edit", "&Redo Entry")->shortcuts().contains(QKeySequence("Ctrl+Y")));
    ASSERT_NE(item("&File", "Open &Recent"), nullptr);
    EXPECT_NE(item("&File", "Open &Recent")->menu(), nullptr);
}

TEST_F(MenuBarTest, ItemsRunTheButtonsGuards) {
    submit({"1/2/2001", "10", "250", "2", "50", "100"});
    ASSERT_EQ(program.shared().Saved, "False");

    // New with an unsaved entry asks, exactly as the New button does; the sheet stays.
    item("&File", "&New")->trigger();
    QWidget* guard = visibleWindowTitled("You have Unsaved Data");
    ASSERT_NE(guard, nullptr);
    guard->hide();
    EXPECT_EQ(form().Text(7)->text(), "1/2/2001");

    // Quit asks too, and the program goes on.
    item("&File", "&Quit")->trigger();
    EXPECT_NE(visibleWindowTitled("You have Unsaved Data"), nullptr);
    EXPECT_FALSE(program.ended());
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != &form()) window->hide();
    }

    // Save As opens the file dialog in save mode.
    item("&File", "Save &As...")->trigger();
    QWidget* dialog = visibleWindowTitled("Save As");
    ASSERT_NE(dialog, nullptr);
    dialog->hide();

    item("&Help", "&About Tallomer")->trigger();
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_NE(messages.texts[0].find("Tallomer"), std::string::npos);
    EXPECT_NE(messages.texts[0].find("/tallomer"), std::string::npos);  // where unsaved entries are kept
}

TEST_F(MenuBarTest, OpenRecentAfterASaveAndAfterTheFileWasDeleted) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("recent.xls").toStdString();
    submit({"1/2/2001", "10", "250", "2", "50", "100"});
    saveBranch(*program.documents(), path);
    ASSERT_EQ(program.shared().Saved, "True");

    QMenu* recent = item("&File", "Open &Recent")->menu();
    auto entries = [recent] {
        emit recent->aboutToShow();
        return recent->actions();
    };
    ASSERT_FALSE(entries().isEmpty());
    QAction* first = entries()[0];
    EXPECT_EQ(first->text(), "&1 " + QString::fromStdString(path));
    EXPECT_TRUE(first->isEnabled());

    // With an unsaved entry, the Open question comes first; its No opens the chosen file.
    submit({"2/2/2001", "20", "500", "0", "0", "100"});
    entries()[0]->trigger();
    Documents& docs = *program.documents();
    ASSERT_TRUE(docs.form4.isVisible());
    docs.form4.Command2->click();
    EXPECT_FALSE(docs.form7.isVisible()) << "no file dialog";
    EXPECT_EQ(form().windowTitle().toStdString(), "Tallomer   " + path);
    EXPECT_EQ(form().Text(7)->text(), "1/2/2001");
    EXPECT_EQ(program.shared().Saved, "True");

    std::filesystem::remove(path);
    EXPECT_FALSE(entries()[0]->isEnabled()) << "a workbook that has gone is shown disabled";
    EXPECT_TRUE(messages.texts.empty());
}
