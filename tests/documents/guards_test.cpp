// The unsaved-data guards and the New, Open and Quit commands with their flags.
#include <QApplication>
#include <QLabel>
#include <QTest>

#include "documents_fixture.h"

namespace tallomer::testing {
namespace {

QRect px(int left, int top, int width, int height) { return {left / 15, top / 15, width / 15, height / 15}; }

TEST(GuardLayout, CaptionsTextsPlacesAndSizes) {
    struct Expect {
        const UnsavedDataGuard::Layout& layout;
        QSize client;
        QRect label1, label2, command1, command2;
        const char* label2Text;
        const char* command1Text;
        const char* command2Text;
    };
    const char* const question = "Do you want to go back and save it first?";
    const Expect all[] = {
        {newSheetGuardLayout(),
         {3855 / 15, 1560 / 15},
         px(420, 180, 2475, 255),
         px(420, 480, 2955, 255),
         px(420, 1080, 1200, 300),
         px(2100, 1080, 1200, 300),
         question,
         "Yes",
         "No"},
        {openGuardLayout(),
         {4035 / 15, 1245 / 15},
         px(660, 180, 2475, 255),
         px(660, 420, 2955, 255),
         px(660, 840, 1200, 300),
         px(2340, 840, 1200, 300),
         question,
         "Yes",
         "No"},
        {quitGuardLayout(),
         {4395 / 15, 1710 / 15},
         px(720, 180, 2475, 255),
         px(720, 480, 2955, 555),
         px(660, 1260, 1200, 300),
         px(2340, 1260, 1200, 300),
         "You can save it by going back to the  opening screen and clicking on the \"Save\" button.",
         "Go back",
         "Continue"},
    };
    for (const Expect& e : all) {
        UnsavedDataGuard guard(e.layout);
        SCOPED_TRACE(e.command1Text);
        EXPECT_EQ(guard.windowTitle(), "You have Unsaved Data");
        EXPECT_EQ(guard.size(), e.client);
        EXPECT_EQ(guard.Label1->text(), "You have some unsaved data.");
        EXPECT_EQ(guard.Label2->text(), e.label2Text);
        EXPECT_EQ(guard.Command1->text(), e.command1Text);
        EXPECT_EQ(guard.Command2->text(), e.command2Text);
        // Labels stand where designed; a box narrower than its text grows to the right only.
        for (auto [label, designed] : {std::pair{guard.Label1, e.label1}, std::pair{guard.Label2, e.label2}}) {
            EXPECT_EQ(label->pos(), designed.topLeft());
            EXPECT_EQ(label->height(), designed.height());
            EXPECT_GE(label->width(), designed.width());
            EXPECT_LE(label->geometry().right(), guard.width());
        }
        EXPECT_EQ(guard.Command1->geometry(), e.command1);
        EXPECT_EQ(guard.Command2->geometry(), e.command2);
        EXPECT_FALSE(guard.Command1->isDefault());
        EXPECT_FALSE(guard.Command2->isDefault());
        EXPECT_FALSE(guard.isModal());
    }
}

TEST(GuardLayout, EveryTextIsReadableInFull) {
    for (const auto* layout : {&newSheetGuardLayout(), &openGuardLayout(), &quitGuardLayout()}) {
        UnsavedDataGuard guard(*layout);
        for (QLabel* label : {guard.Label1, guard.Label2}) {
            const QRect needed = label->fontMetrics().boundingRect(QRect(0, 0, label->width(), 1000),
                                                                   Qt::TextWordWrap * label->wordWrap(), label->text());
            EXPECT_LE(needed.width(), label->width()) << label->text().toStdString();
            EXPECT_LE(needed.height(), label->height()) << label->text().toStdString();
        }
        for (QPushButton* button : {guard.Command1, guard.Command2}) {
            EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), button->width() - 8);
        }
    }
}

TEST(GuardLayout, TheFirstButtonByTabIndexHasTheFocusAndTabMovesOn) {
    // Form6: Yes 2, No 3. Form4: Yes 1, No 2. Form5: Continue 2, Go back 3.
    UnsavedDataGuard form6(newSheetGuardLayout()), form4(openGuardLayout()), form5(quitGuardLayout());
    const std::pair<UnsavedDataGuard*, QPushButton*> firsts[] = {
        {&form6, form6.Command1}, {&form4, form4.Command1}, {&form5, form5.Command2}};
    for (auto [guard, first] : firsts) {
        guard->showGuard();
        QApplication::setActiveWindow(guard);
        EXPECT_EQ(QApplication::focusWidget(), first) << first->text().toStdString();
        QTest::keyClick(first, Qt::Key_Tab);
        EXPECT_NE(QApplication::focusWidget(), first);
        EXPECT_TRUE(qobject_cast<QPushButton*>(QApplication::focusWidget()));
        guard->hide();
    }
}

using Commands = DocumentsTest;

TEST_F(Commands, StartUpCentresTheGuardsHidden) {
    // 12000 x 9000 twips: (12000 - 4155) / 2 = 3922.5, (9000 - 1650) / 2 = 3675.
    EXPECT_EQ(docs->form4.pos(), QPoint(qRound(3922.5 / 15), 3675 / 15));
    EXPECT_EQ(docs->form5.pos(), QPoint(qRound(3742.5 / 15), qRound(3442.5 / 15)));
    EXPECT_EQ(docs->form6.pos(), QPoint(qRound(4012.5 / 15), qRound(3517.5 / 15)));
    EXPECT_EQ(docs->form6.size(), QSize(3855 / 15, 1560 / 15));
    for (QWidget* w :
         {(QWidget*)&docs->form4, (QWidget*)&docs->form5, (QWidget*)&docs->form6, (QWidget*)&docs->form7}) {
        EXPECT_FALSE(w->isVisible());
    }
}

// --- the flag table, row by row ----------------------------------------------------------

TEST_F(Commands, NewWithNothingUnsavedMakesAFreshSheet) {
    state.Named = "True";
    state.ToDo = "Open";
    window.title = "Tallomer   /somewhere/x.xls";
    app.activeWorkbook()->activeSheet().setTyped({9, 9}, "from the old workbook");
    Form1_Command2_Click(*docs);
    EXPECT_EQ(cellText("J10"), "") << "a new workbook";
    EXPECT_EQ(state.Saved, "True");
    EXPECT_EQ(state.Named, "False");
    EXPECT_EQ(state.ToDo, "Open");
    EXPECT_EQ(window.title, "Tallomer");
    EXPECT_FALSE(window.processing);
    EXPECT_FALSE(docs->form6.isVisible());
    EXPECT_EQ(cellText("A1"), "Entries");
    EXPECT_EQ(app.activeCell().address(), "$A$3");
}

TEST_F(Commands, NewWithUnsavedRecordsAsksAndChangesNothing) {
    submit("1/2/2001", "10", "250", "2", "50", "100");
    state.Named = "True";
    state.ToDo = "Save As";
    host::Workbook* before = app.activeWorkbook();
    Form1_Command2_Click(*docs);
    EXPECT_TRUE(docs->form6.isVisible());
    EXPECT_EQ(app.activeWorkbook(), before);
    EXPECT_EQ(state.Saved, "False");
    EXPECT_EQ(state.Named, "True");
    EXPECT_EQ(state.ToDo, "Save As");
    EXPECT_EQ(cellText("B1"), "1");
}

TEST_F(Commands, NewSheetGuardYesGoesBackNoDropsTheRecords) {
    submit("1/2/2001", "10", "250", "2", "50", "100");
    Form1_Command2_Click(*docs);
    docs->form6.Command1->click();  // Yes
    EXPECT_FALSE(docs->form6.isVisible());
    EXPECT_EQ(state.Saved, "False");
    EXPECT_EQ(cellText("B1"), "1");

    Form1_Command2_Click(*docs);
    state.Named = "True";
    docs->form6.Command2->click();  // No
    EXPECT_FALSE(docs->form6.isVisible());
    EXPECT_EQ(state.Saved, "True");
    EXPECT_EQ(state.Named, "False");
    EXPECT_EQ(window.title, "Tallomer");
    EXPECT_FALSE(window.processing);
    EXPECT_EQ(cellText("B1"), "0");
    EXPECT_EQ(cellText("A3"), "");
    EXPECT_TRUE(QDir(documentsFolder()).entryList(QDir::Files).isEmpty()) << "nothing written";
}

TEST_F(Commands, OpenWithNothingUnsavedShowsTheDialogAtOnce) {
    Form1_Command5_Click(*docs);
    EXPECT_TRUE(docs->form7.isVisible());
    EXPECT_FALSE(docs->form4.isVisible());
    EXPECT_EQ(state.ToDo, "Open");
    EXPECT_EQ(state.Saved, "True");
    EXPECT_EQ(state.Named, "True") << "set as soon as the dialog is up";
}

TEST_F(Commands, OpenWithUnsavedRecordsAsksAndSetsOnlyToDo) {
    submit("1/2/2001", "10", "250", "2", "50", "100");
    Form1_Command5_Click(*docs);
    EXPECT_TRUE(docs->form4.isVisible());
    EXPECT_FALSE(docs->form7.isVisible());
    EXPECT_EQ(state.ToDo, "Open");
    EXPECT_EQ(state.Saved, "False");
    EXPECT_EQ(state.Named, "False");

    docs->form4.Command1->click();  // Yes
    EXPECT_FALSE(docs->form4.isVisible());
    EXPECT_FALSE(docs->form7.isVisible());
    EXPECT_EQ(state.Saved, "False");
    EXPECT_EQ(state.Named, "False");

    Form1_Command5_Click(*docs);
    docs->form4.Command2->click();  // No
    EXPECT_FALSE(docs->form4.isVisible());
    EXPECT_TRUE(docs->form7.isVisible());
    EXPECT_EQ(docs->form7.windowTitle(), "Open");
    EXPECT_EQ(state.Saved, "True");
    EXPECT_EQ(state.Named, "True");
    EXPECT_EQ(state.ToDo, "Open");
}

TEST_F(Commands, QuitWithNothingUnsavedEndsAtOnce) {
    Form1_Command4_Click(*docs);
    EXPECT_TRUE(app.hasQuit());
    EXPECT_EQ(programEnded, 1);
    EXPECT_FALSE(docs->form5.isVisible());
    // Nothing acts any more once the program has ended.
    docs->run(Form1_Command2_Click);
    EXPECT_EQ(programEnded, 1);
}

TEST_F(Commands, QuitGuardOpensOnGoBackAndContinueQuitsWithoutSaving) {
    submit("1/2/2001", "10", "250", "2", "50", "100");
    const std::string flags = state.Saved + state.Named + state.ToDo;
    Form1_Command4_Click(*docs);
    EXPECT_TRUE(docs->form5.isVisible());
    EXPECT_EQ(programEnded, 0);
    EXPECT_FALSE(app.hasQuit());
    EXPECT_EQ(state.Saved + state.Named + state.ToDo, flags);
    QApplication::setActiveWindow(&docs->form5);
    ASSERT_EQ(QApplication::focusWidget(), docs->form5.Command1) << "Go back has the focus";
    QTest::keyClick(docs->form5.Command1, Qt::Key_Return);  // Enter at once goes back
    EXPECT_FALSE(docs->form5.isVisible());
    EXPECT_EQ(programEnded, 0);

    Form1_Command4_Click(*docs);
    docs->form5.Command2->click();  // Continue
    EXPECT_TRUE(app.hasQuit());
    EXPECT_EQ(programEnded, 1);
    EXPECT_EQ(state.Saved + state.Named + state.ToDo, flags);
    EXPECT_TRUE(QDir(documentsFolder()).entryList(QDir::Files).isEmpty()) << "no file written";
}

TEST_F(Commands, TheCloseControlRunsQuitGuardIncluded) {
    submit("1/2/2001", "10", "250", "2", "50", "100");
    EXPECT_FALSE(docs->closeRequested()) << "the guard is shown instead";
    EXPECT_TRUE(docs->form5.isVisible());
    EXPECT_EQ(programEnded, 0);
    docs->form5.Command1->click();

    saveAsThroughDialog(documentsFolder(), "closing.xls");
    EXPECT_TRUE(docs->closeRequested());
    EXPECT_EQ(programEnded, 1);
    EXPECT_TRUE(app.hasQuit());
}

TEST_F(Commands, TheEndOfTheProgramHidesEveryWindow) {
    DocumentHooks hooks = docs->hooks;
    hooks.endProgram = nullptr;  // the real way out
    docs = std::make_unique<Documents>(window, state, hooks);
    docs->form6.show();
    docs->form7.show();
    Form1_Command4_Click(*docs);
    EXPECT_TRUE(docs->ended);
    for (QWidget* w : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(w->isVisible()) << w->metaObject()->className();
    }
}

TEST_F(Commands, AHostFailureDuringNewIsReportedAndTheNextNewRecovers) {
    app.beforeOperation = [](std::string_view operation) {
        if (operation == "Workbooks.Add") throw host::HostError("no memory for a workbook");
    };
    docs->run(Form1_Command2_Click);
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0], "The command could not be completed.\nno memory for a workbook");
    EXPECT_FALSE(window.processing);

    app.beforeOperation = nullptr;
    docs->run(Form1_Command2_Click);  // nothing left to close: a new sheet all the same
    EXPECT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(cellText("A1"), "Entries");
    EXPECT_EQ(app.activeCell().address(), "$A$3");
}

// --- the guards do not block: interleavings ---------------------------------------------

TEST_F(Commands, ShowingAGuardThatIsUpChangesNothing) {
    submit("1/2/2001", "10", "250", "2", "50", "100");
    Form1_Command2_Click(*docs);
    docs->form6.move(10, 20);
    Form1_Command2_Click(*docs);  // New twice: still one guard, where it was
    EXPECT_TRUE(docs->form6.isVisible());
    EXPECT_EQ(docs->form6.pos(), QPoint(10, 20));
    int guards = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        guards += w->isVisible() && w->windowTitle() == "You have Unsaved Data";
    }
    EXPECT_EQ(guards, 1);

    Form1_Command4_Click(*docs);
    docs->form5.Command2->setFocus();
    Form1_Command4_Click(*docs);  // Quit again: the focus stays where the user put it
    EXPECT_EQ(docs->form5.focusWidget(), docs->form5.Command2);
}

TEST_F(Commands, YesThenSaveThenNewActsAtOnce) {
    submit("1/2/2001", "10", "250", "2", "50", "100");
    Form1_Command2_Click(*docs);
    docs->form6.Command1->click();
    saveAsThroughDialog(documentsFolder(), "day.xls");
    ASSERT_EQ(state.Saved, "True");
    Form1_Command2_Click(*docs);
    EXPECT_FALSE(docs->form6.isVisible());
    EXPECT_EQ(state.Named, "False");
    EXPECT_EQ(cellText("B1"), "0");
}

TEST_F(Commands, AnswerActsOnTheStateWhenGiven) {
    // No before New makes a new sheet even after the user saved meanwhile.
    submit("1/2/2001", "10", "250", "2", "50", "100");
    Form1_Command2_Click(*docs);
    saveAsThroughDialog(documentsFolder(), "saved-meanwhile.xls");
    ASSERT_EQ(state.Named, "True");
    docs->form6.Command2->click();
    EXPECT_EQ(state.Named, "False");
    EXPECT_EQ(cellText("B1"), "0");
    EXPECT_EQ(window.title, "Tallomer");
}

TEST_F(Commands, OpenGuardThenSaveAsThenNoShowsOpenModeButTheButtonSaves) {
    submit("1/2/2001", "10", "250", "2", "50", "100");
    Form1_Command5_Click(*docs);  // open guard up, ToDo "Open"
    Form1_Command6_Click(*docs);  // Save As: ToDo "Save As", dialog in save mode
    docs->form4.Command2->click();  // No: the dialog in open mode
    Form7& f = docs->form7;
    EXPECT_EQ(f.windowTitle(), "Open");
    EXPECT_EQ(f.Command1->text(), "Open");
    EXPECT_FALSE(f.Text1->isVisibleTo(&f));
    EXPECT_EQ(state.ToDo, "Save As");
    f.Text1->setText("typed-before.xls");  // hidden, but its text is still there
    chooseFolder(documentsFolder());
    f.Command1->click();
    const QString path = documentsFolder() + "/typed-before.xls";
    EXPECT_TRUE(QFile::exists(path)) << "the button followed ToDo and saved";
    EXPECT_EQ(window.title, "Tallomer   " + path.toStdString());
    EXPECT_EQ(state.Saved, "True");
    EXPECT_EQ(state.Named, "True");
}

TEST_F(Commands, OpenThenSaveBeforeChoosingSavesDirectlyAndSaysItFailsWithoutAFile) {
    Form1_Command5_Click(*docs);
    ASSERT_EQ(state.Named, "True");
    docs->form4.show();
    window.visible = false;
    Form1_Command3_Click(*docs);  // Named: a direct save, but the workbook has no file yet
    ASSERT_EQ(window.messages.size(), 1u) << "a save that did not happen says so";
    EXPECT_EQ(window.messages[0].rfind("Error in saving file.\n", 0), 0u) << window.messages[0];
    EXPECT_TRUE(window.visible);
    EXPECT_EQ(waitWindowHidden, 1);
    EXPECT_FALSE(docs->form4.isVisible());
    EXPECT_EQ(state.Saved, "True");
}

}  // namespace
}  // namespace tallomer::testing
