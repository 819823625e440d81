// Save and Save As: through the dialog, straight to the workbook's file, over an existing
// file, and failing without harm.
#include <QFile>

#include "documents/directory_list.h"
#include "documents_fixture.h"
#include "host/workbook_files.h"
#include "read_only_folder.h"
#include "workbook/stats_sheet.h"

namespace tallomer::testing {
namespace {

using Saving = DocumentsTest;

TEST_F(Saving, ThroughTheDialogNamesTheWorkbook) {
    submit("1/2/2001", "10", "250", "2", "50", "100");
    Form1_Command3_Click(*docs);
    ASSERT_TRUE(docs->form7.isVisible());
    chooseFolder(documentsFolder());
    docs->form7.Text1->setText("stats.xls");
    docs->form7.Command1->click();

    const QString path = documentsFolder() + "/stats.xls";
    EXPECT_FALSE(docs->form7.isVisible());
    EXPECT_EQ(window.title, "Tallomer   " + path.toStdString());
    EXPECT_EQ(state.Saved, "True");
    EXPECT_EQ(state.Named, "True");
    EXPECT_FALSE(window.processing);
    EXPECT_GE(window.dateBoxFocused, 1);
    EXPECT_TRUE(window.messages.empty());
    const auto back = host::loadWorkbookFile(path.toStdString());
    EXPECT_EQ(back->sheet(0).value({0, 1}).number, 1) << "B1 counts the entry";
}

TEST_F(Saving, ANameWithoutExtensionIsUsedAsTyped) {
    saveAsThroughDialog(documentsFolder(), "stats");
    EXPECT_TRUE(QFile::exists(documentsFolder() + "/stats"));
    EXPECT_EQ(window.title, "Tallomer   " + (documentsFolder() + "/stats").toStdString());
}

TEST_F(Saving, ANamedWorkbookIsSavedStraightToItsFile) {
    saveAsThroughDialog(documentsFolder(), "day.xls");
    const std::string caption = window.title;
    submit("2/2/2001", "20", "500", "0", "0", "100");
    ASSERT_EQ(state.Saved, "False");
    Form1_Command3_Click(*docs);
    EXPECT_FALSE(docs->form7.isVisible()) << "no dialog";
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(window.title, caption);
    EXPECT_EQ(state.Saved, "True");
    const auto back = host::loadWorkbookFile((documentsFolder() + "/day.xls").toStdString());
    EXPECT_EQ(back->sheet(0).value({0, 1}).number, 1);
}

TEST_F(Saving, SavingOverAnotherFileAsksFirst) {
    const QString path = documentsFolder() + "/old.xls";
    writeBytes(path, "not a workbook at all");
    submit("1/2/2001", "10", "250", "2", "50", "100");

    // Cancel: the file stays byte for byte, the dialog stays up with the name selected.
    replaceAnswer = 1;
    saveAsThroughDialog(documentsFolder(), "old.xls");
    ASSERT_EQ(replaceQuestions,
              std::vector<std::string>{"old.xls already exists and is not a statistics workbook. Replace it?"});
    EXPECT_EQ(readBytes(path), "not a workbook at all");
    EXPECT_TRUE(docs->form7.isVisible());
    EXPECT_EQ(docs->form7.Text1->selectedText(), "old.xls");
    EXPECT_EQ(state.Saved, "False");

    // Replace: saved as before the question existed, without a message.
    replaceAnswer = 0;
    saveAsThroughDialog(documentsFolder(), "old.xls");
    EXPECT_EQ(replaceQuestions.size(), 2u);
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(host::loadWorkbookFile(path.toStdString())->sheet(0).value({2, 1}).number, 10);

    // The workbook's own file: no question, by Save As or Save.
    submit("2/2/2001", "20", "500", "0", "0", "100");
    saveAsThroughDialog(documentsFolder(), "old.xls");
    Form1_Command3_Click(*docs);
    EXPECT_EQ(replaceQuestions.size(), 2u);

    // A statistics workbook says how many entries it holds.
    replaceAnswer = 1;
    NewStatsSheet(app, window);
    saveAsThroughDialog(documentsFolder(), "old.xls");
    ASSERT_EQ(replaceQuestions.size(), 3u);
    EXPECT_EQ(replaceQuestions[2], "old.xls already exists and holds 2 entries. Replace it?");
    EXPECT_EQ(host::loadWorkbookFile(path.toStdString())->sheet(0).value({0, 1}).number, 2);
}

TEST_F(Saving, AnEmptyNameFailsWithTheTwoLineMessage) {
    submit("1/2/2001", "10", "250", "2", "50", "100");
    window.title = "Tallomer";
    saveAsThroughDialog(documentsFolder(), "");
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0], "Error in saving file.\nPlease check the file name.");
    EXPECT_EQ(state.Saved, "False");
    EXPECT_EQ(state.Named, "False");
    EXPECT_EQ(window.title, "Tallomer");
    EXPECT_FALSE(window.processing);
    EXPECT_TRUE(window.visible);
    EXPECT_FALSE(docs->form7.isVisible());
    EXPECT_EQ(cellText("B1"), "1") << "the workbook stays open";
}

TEST_F(Saving, AFailedSaveIntoAReadOnlyFolderLeavesTheOldFileByteForByte) {
    const QString folder = documentsFolder() + "/locked";
    QDir(folder).mkpath(".");
    const QString path = folder + "/stats.xls";
    saveAsThroughDialog(folder, "stats.xls");  // an empty sheet, saved while writable
    ASSERT_TRUE(window.messages.empty());
    const std::string before = readBytes(path);
    ASSERT_FALSE(before.empty());

    submit("1/2/2001", "10", "250", "2", "50", "100");
    std::string how;
    {
        ReadOnlyFolder locked(folder);
        how = locked.how();
        ASSERT_FALSE(how.empty()) << "could not make the folder read-only";
        saveAsThroughDialog(folder, "stats.xls");
        ASSERT_EQ(window.messages.size(), 1u) << how;
        EXPECT_EQ(window.messages[0], "Error in saving file.\nPlease check the file name.");
        EXPECT_EQ(state.Saved, "False");

        // The direct Save fails too, and says so with the reason.
        Form1_Command3_Click(*docs);
        ASSERT_EQ(window.messages.size(), 2u);
        EXPECT_EQ(window.messages[1].rfind("Error in saving file.\nCannot save \"" + path.toStdString() + "\": ", 0),
                  0u)
            << window.messages[1];
        EXPECT_EQ(state.Saved, "False");
    }
    EXPECT_EQ(readBytes(path), before) << how;
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"stats.xls"})
        << "no half-written file left beside it";
}

}  // namespace
}  // namespace tallomer::testing
