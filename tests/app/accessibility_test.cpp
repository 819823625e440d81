// Every window as a screen reader meets it, through Qt's accessibility interface: every
// control named, no two alike within a window, the main window's boxes named from their
// labels, display boxes read-only, "Processing ..." announced when it appears.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <map>
#include <vector>

#include "app/accessibility.h"
#include "app/program.h"
#include "message_recorder.h"
#include "workbook/window_layout.h"

using namespace tallomer;

namespace {

struct Control {
    QString name;
    QAccessible::Role role;
    QString path;  // where in the tree, for the failure message
};

// The controls a screen reader can reach in a window: every accessible object below it,
// except the rows of lists (their names are the files and folders listed) and the separators
// between menu items, which are no controls.
void collect(QAccessibleInterface* node, const QString& path, std::vector<Control>& into) {
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface* child = node->child(i);
        if (!child) continue;
        const QAccessible::Role role = child->role();
        const QString where = path + "/" + QString::number(role, 16) + ":" +
                              (child->object() ? child->object()->objectName() : QString());
        if (role == QAccessible::ListItem || role == QAccessible::TreeItem || role == QAccessible::Separator) continue;
        into.push_back({child->text(QAccessible::Name), role, where});
        collect(child, where, into);
    }
}

class Accessibility : public ::testing::Test {
protected:
    Accessibility() {
        wireDocumentCommands(program);
        EXPECT_TRUE(program.Form1_Form_Load());
    }
    MessageRecorder messages;
    Program program;
};

}  // namespace

TEST_F(Accessibility, EveryControlOfEveryWindowHasItsOwnName) {
    int windows = 0;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isWindow() || window->inherits("QMenu") || window->inherits("QComboBoxPrivateContainer")) continue;
        QAccessibleInterface* root = QAccessible::queryAccessibleInterface(window);
        ASSERT_NE(root, nullptr);
        EXPECT_FALSE(root->text(QAccessible::Name).isEmpty()) << window->metaObject()->className();
        std::vector<Control> controls;
        collect(root, window->windowTitle(), controls);
        // A screen reader says a control's role with its name: the menu's New and the button New
        // are told apart by it, two buttons New would not be.
        std::map<std::pair<QString, int>, QString> seen;
        for (const Control& c : controls) {
            EXPECT_FALSE(c.name.isEmpty()) << "nameless control " << c.path.toStdString();
            const auto [at, fresh] = seen.emplace(std::make_pair(c.name, int(c.role)), c.path);
            EXPECT_TRUE(fresh) << "\"" << c.name.toStdString() << "\" names both " << at->second.toStdString()
                               << " and " << c.path.toStdString();
        }
        if (window == &program.form1()) {
            EXPECT_GE(controls.size(), 33u);  // 26 boxes, 6 buttons, "Processing ..."
        }
        ++windows;
    }
    EXPECT_GE(windows, 6);  // the main window, the wait window, the file dialog, three guards
}

TEST_F(Accessibility, BoxesAreNamedFromTheLayoutTableAndDisplayBoxesReadOnly) {
    Form1& form = program.form1();
    auto iface = [&](int box) { return QAccessible::queryAccessibleInterface(form.Text(box)); };
    EXPECT_EQ(iface(1)->text(QAccessible::Name), "Input data: Date (dd/mm/yyyy)");
    EXPECT_EQ(iface(3)->text(QAccessible::Name), "Input data: Value of Orders($)");
    EXPECT_EQ(iface(13)->text(QAccessible::Name), "Last record: Net Value of Orders ($)");
    EXPECT_EQ(iface(23)->text(QAccessible::Name), "Cumulative results: No. of Unique Visitors");
    EXPECT_EQ(iface(26)->text(QAccessible::Name), "Cumulative results: Average Order ($) / UV");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form.Command(6))->text(QAccessible::Name), "Save As");

    for (const BoxSpec& place : inputBoxes()) {
        EXPECT_FALSE(iface(place.box)->state().readOnly) << place.box;
        EXPECT_EQ(iface(place.box)->role(), QAccessible::EditableText);
    }
    form.Text(15)->setText("12.5");
    for (const BoxSpec& place : displayBoxes()) {
        QAccessibleInterface* box = iface(place.box);
        EXPECT_TRUE(box->state().readOnly) << place.box;
        EXPECT_TRUE(box->state().focusable) << place.box;
        EXPECT_EQ(box->role(), QAccessible::EditableText);
    }
    // A screen reader reads the figure through the text interface, as in any text box.
    QAccessibleTextInterface* text = iface(15)->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->characterCount(), 4);
    EXPECT_EQ(text->text(0, 4), "12.5");
    int start = -1, end = -1;
    EXPECT_EQ(text->textAtOffset(1, QAccessible::WordBoundary, &start, &end).trimmed(), "12.5");
    // And the box still takes typing, as every text box does.
    form.Text(15)->setFocus();
    QTest::keyClicks(form.Text(15), "7");
    EXPECT_TRUE(form.Text(15)->text().contains('7'));
}

// Offscreen there is no screen reader bridge, so no event reaches a listener; what is checked
// is what a bridge reads: a notification (which screen readers speak as it is shown) that is
// invisible while the program waits and visible while it works.
TEST_F(Accessibility, ProcessingIsANotificationShownWhileWorking) {
    QLabel* label = program.form1().Label13();
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(label);
    EXPECT_EQ(iface->role(), QAccessible::Notification);
    EXPECT_EQ(iface->text(QAccessible::Name), "Processing ...");
    EXPECT_TRUE(iface->state().invisible);
    program.form1().setProcessingVisible(true);
    EXPECT_FALSE(iface->state().invisible);
    program.form1().setProcessingVisible(false);
    EXPECT_TRUE(iface->state().invisible);
}
