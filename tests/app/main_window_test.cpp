#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include "app/form1.h"
#include "app/program.h"
#include "host/application.h"
#include "message_recorder.h"
#include "workbook/window_layout.h"

using namespace tallomer;

namespace {
// The running program after start-up, with the real host behind it.
class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() {
        wireDocumentCommands(program);
        EXPECT_TRUE(program.Form1_Form_Load());
        QApplication::setActiveWindow(&form());
    }
    Form1& form() { return program.form1(); }
    host::Worksheet& sheet() { return program.xlApp()->activeWorkbook()->activeSheet(); }
    std::string formula(const char* a1) { return sheet().formulaText(*host::parseAddress(a1)); }
    host::Value value(const char* a1) { return sheet().value(*host::parseAddress(a1)); }
    std::string box(int n) { return form().Text(n)->text().toStdString(); }

    void typeAndSubmit(const std::vector<QString>& figures) {
        for (int n = 1; n <= 6; ++n) {
            form().Text(n)->setFocus();
            QTest::keyClicks(form().Text(n), figures[n - 1]);
        }
        QTest::mouseClick(form().Command(1), Qt::LeftButton);
    }

    MessageRecorder messages;
    Program program;
};

}  // namespace

TEST_F(MainWindowTest, StartsEmptyWithFocusInTheDateBox) {
    EXPECT_TRUE(form().isVisible());
    EXPECT_EQ(form().windowTitle(), "Tallomer");
    EXPECT_FALSE(form().Label13()->isVisible());
    EXPECT_FALSE(program.form2().isVisible());
    EXPECT_EQ(program.shared().Saved, "True");
    EXPECT_EQ(program.shared().Named, "False");
    EXPECT_EQ(program.shared().ToDo, "");
    EXPECT_EQ(program.shared().xlApp, program.xlApp());
    EXPECT_FALSE(program.xlApp()->visible());
    EXPECT_FALSE(program.xlApp()->displayAlerts());
    EXPECT_EQ(program.xlApp()->activeCell().address(), "$A$3");
    for (int n = 1; n <= 26; ++n) EXPECT_TRUE(form().Text(n)->text().isEmpty()) << n;
    EXPECT_EQ(QApplication::focusWidget(), form().Text(1));
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(MainWindowTest, WorkedExampleTypedIntoTheWindow) {
    typeAndSubmit({"1/2/2001", "10", "250", "2", "50", "100"});
    EXPECT_TRUE(messages.texts.empty());
    const std::vector<std::string> expected = {"",         "",    "",    "",   "",    "",  // Text1..Text6 emptied
                                               "1/2/2001", "10",  "250", "2",  "50",  "100", "200", "8", "2",    "0.08",
                                               "10",       "250", "2",   "50", "200", "8",   "100", "2", "0.08", "2"};
    for (int n = 1; n <= 26; ++n) EXPECT_EQ(box(n), expected[n - 1]) << "Text" << n;

    EXPECT_EQ(sheet().read(*host::parseAddress("A3")).value.number, 36923);
    EXPECT_EQ(value("B3"), host::Value::fromNumber(10));
    EXPECT_EQ(value("H3"), host::Value::fromNumber(100));
    EXPECT_EQ(formula("F3"), "=C3-E3");
    EXPECT_EQ(formula("G3"), "=B3-D3");
    EXPECT_EQ(formula("I3"), "=F3/H3");
    EXPECT_EQ(formula("J3"), "=G3/H3");
    EXPECT_EQ(formula("K3"), "=I3");
    EXPECT_EQ(value("A4"), host::Value::fromText("Total"));
    EXPECT_EQ(formula("B4"), "=SUM(B3:B3)");
    EXPECT_EQ(formula("I4"), "=SUM(I3:I3)");
    EXPECT_EQ(formula("K4"), "=AVERAGE(K3:K3)");
    EXPECT_EQ(value("B1"), host::Value::fromNumber(1));
    EXPECT_EQ(program.xlApp()->activeCell().address(), "$A$4");
    EXPECT_EQ(program.shared().Saved, "False");
    EXPECT_EQ(QApplication::focusWidget(), form().Text(1));
    EXPECT_FALSE(form().Label13()->isVisible());

    typeAndSubmit({"2/2/2001", "20", "500", "0", "0", "100"});
    const std::vector<std::string> cumulative = {"30", "750", "2", "50", "700", "28", "200", "7", "0.28", "3.5"};
    for (int n = 17; n <= 26; ++n) EXPECT_EQ(box(n), cumulative[n - 17]) << "Text" << n;
    EXPECT_EQ(formula("C5"), "=SUM(C3:C4)");
    EXPECT_EQ(value("B1"), host::Value::fromNumber(2));
    EXPECT_EQ(program.xlApp()->activeCell().address(), "$A$5");
}

TEST_F(MainWindowTest, RefusedEntryKeepsTheInputAndTheFocus) {
    typeAndSubmit({"12/31", "10", "250", "2", "50", "100"});
    ASSERT_EQ(messages.texts, std::vector<std::string>{"Incorrect data!"});
    EXPECT_EQ(box(1), "12/31");
    EXPECT_EQ(box(6), "100");
    EXPECT_EQ(program.shared().Saved, "True");
    EXPECT_FALSE(form().Label13()->isVisible());
    EXPECT_TRUE(value("A3").isEmpty());
}

TEST_F(MainWindowTest, TabOrderFollowsTheTabIndexes) {
    form().Text(6)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form().Command(1));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form().Text(7));

    // The whole round from Submit.
    const std::vector<QWidget*> round = {
        form().Command(1), form().Text(7),    form().Text(8),    form().Text(9),  form().Text(10),   form().Text(11),
        form().Text(12),   form().Text(14),   form().Text(13),   form().Text(16), form().Text(15),   form().Text(22),
        form().Text(21),   form().Text(25),   form().Text(24),   form().Text(26), form().Command(3), form().Command(2),
        form().Command(4), form().Command(5), form().Command(6), form().Text(17), form().Text(18),   form().Text(19),
        form().Text(20),   form().Text(23),   form().Text(1),    form().Text(2),  form().Text(3),    form().Text(4),
        form().Text(5),    form().Text(6),    form().Command(1)};
    form().Command(1)->setFocus();
    for (std::size_t i = 1; i < round.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), round[i]) << "step " << i;
    }
}

TEST_F(MainWindowTest, ControlsStandWhereTheLayoutSays) {
    // The client area keeps its size; the window is the menu bar taller.
    EXPECT_EQ(form().clientArea()->size(), QSize(536, 453));
    EXPECT_EQ(form().clientArea()->pos(), QPoint(0, form().menuBar()->height()));
    EXPECT_GT(form().menuBar()->height(), 10);
    EXPECT_EQ(form().size(), QSize(536, 453 + form().menuBar()->height()));
    EXPECT_EQ(form().minimumSize(), form().maximumSize());
    for (const BoxSpec& place : inputBoxes()) {
        EXPECT_EQ(form().Text(place.box)->geometry(), QRect(place.left / 15, place.top / 15, 67, 19)) << place.box;
        EXPECT_EQ(form().Text(place.box)->palette().color(QPalette::Base), QColor(Qt::white));
    }
    for (const BoxSpec& place : displayBoxes()) {
        EXPECT_EQ(form().Text(place.box)->geometry(), QRect(place.left / 15, place.top / 15, 67, 19)) << place.box;
        EXPECT_EQ(form().Text(place.box)->palette().color(QPalette::Base), QColor(224, 224, 224));
    }
    const char* captions[] = {"", "Submit", "New", "Save", "Quit", "Open", "Save As"};
    for (int n = 1; n <= 6; ++n) EXPECT_EQ(form().Command(n)->text(), captions[n]);
    EXPECT_EQ(form().Command(5)->geometry().topLeft(), QPoint(172, 240));
    EXPECT_EQ(form().Command(6)->geometry(), QRect(100, 264, 67, 20));
    EXPECT_EQ(form().Label13()->text(), "Processing ...");
    EXPECT_EQ(form().Label13()->geometry(), QRect(100, 216, 73, 17));
    EXPECT_EQ(form().Label13()->palette().color(QPalette::Window), QColor(0, 0, 128));
    EXPECT_EQ(form().Label13()->palette().color(QPalette::WindowText), QColor(Qt::white));
}

TEST_F(MainWindowTest, LongFiguresShrinkToFitTheirBox) {
    form().setBoxText(17, "123456789012345");
    form().setBoxText(18, "0.333333333333333");
    form().setBoxText(7, "01/02/2001");
    for (int n : {17, 18, 7}) {
        QLineEdit* edit = form().Text(n);
        EXPECT_LE(QFontMetrics(edit->font()).horizontalAdvance(edit->text()), edit->width() - 8) << n;
    }
}

TEST_F(MainWindowTest, CloseControlIsRoutedNotObeyed) {
    int asked = 0;
    QObject::disconnect(&form(), &Form1::closeRequested, nullptr, nullptr);
    QObject::connect(&form(), &Form1::closeRequested, [&] { ++asked; });
    form().close();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(form().isVisible());
}

TEST_F(MainWindowTest, QuitEndsTheRunAndTheHost) {
    QTest::mouseClick(form().Command(4), Qt::LeftButton);
    EXPECT_TRUE(program.ended());
    EXPECT_TRUE(program.xlApp()->hasQuit());
    EXPECT_FALSE(form().isVisible());
}
