// The file dialog: layout, the two modes, activation, drives, folders and the file filter.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>

#include "documents/default_places.h"
#include "documents/directory_list.h"
#include "documents/file_list.h"
#include "documents/full_path.h"
#include "documents_fixture.h"

namespace tallomer::testing {
namespace {

using FileDialog = DocumentsTest;

QRect px(int left, int top, int width, int height) {  // twips / 15
    return {left / 15, top / 15, width / 15, height / 15};
}

TEST_F(FileDialog, ControlsStandWhereDesignedWithTheirTexts) {
    Form7& f = docs->form7;
    EXPECT_EQ(f.Label1->text(), "Drive");
    EXPECT_EQ(f.Label2->text(), "Directory");
    EXPECT_EQ(f.Label3->text(), "File Name (*.xls)");
    EXPECT_EQ(f.Label4->text(), "Existing Files");
    EXPECT_EQ(f.Label1->geometry(), px(180, 180, 2355, 255));
    EXPECT_EQ(f.Drive1->geometry(), px(180, 435, 2400, 315));
    EXPECT_EQ(f.Label2->geometry(), px(180, 915, 2355, 255));
    EXPECT_EQ(f.Dir1->geometry(), px(180, 1155, 2385, 1665));
    EXPECT_EQ(f.Label3->geometry(), px(180, 3015, 2355, 255));
    EXPECT_EQ(f.Text1->geometry(), px(180, 3270, 2400, 345));
    EXPECT_EQ(f.Label4->geometry(), px(2880, 180, 2355, 255));
    EXPECT_EQ(f.File1->geometry(), px(2880, 420, 2850, 2430));
    EXPECT_EQ(f.Command1->geometry(), px(2880, 3000, 2820, 330));
    EXPECT_TRUE(f.Text1->text().isEmpty());
    EXPECT_FALSE(f.isVisible()) << "start-up places it hidden";
    EXPECT_FALSE(f.isModal());
}

TEST_F(FileDialog, TabGoesDriveDirectoryFilesButtonName) {
    Form1_Command6_Click(*docs);
    Form7& f = docs->form7;
    QApplication::setActiveWindow(&f);
    f.Drive1->setFocus();
    const QWidget* expected[] = {f.Dir1, f.File1, f.Command1, f.Text1, f.Drive1};
    for (const QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->metaObject()->className();
    }
}

TEST_F(FileDialog, SaveModeFromSaveAndFromSaveAs) {
    Form7& f = docs->form7;
    f.Text1->setText("left over");
    Form1_Command3_Click(*docs);  // nothing named yet: Save asks for a name
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.windowTitle(), "Save");
    EXPECT_EQ(f.Command1->text(), "Save");
    EXPECT_TRUE(f.Text1->isVisibleTo(&f));
    EXPECT_TRUE(f.Label3->isVisibleTo(&f));
    EXPECT_TRUE(f.Text1->text().isEmpty());
    EXPECT_EQ(state.ToDo, "Save As");
    // Screen 12000 x 9000: left 2985, top 2355, outer 6030 x 4290.
    EXPECT_EQ(f.pos(), QPoint(2985 / 15, 2355 / 15));
    EXPECT_EQ(f.size(), QSize((6030 - 120) / 15, (4290 - 405) / 15));
    EXPECT_EQ(f.Command1->y(), 3300 / 15);
    EXPECT_EQ(state.Saved, "True");
    EXPECT_EQ(state.Named, "False");

    f.hide();
    f.Text1->setText("again");
    Form1_Command6_Click(*docs);
    EXPECT_EQ(f.windowTitle(), "Save As");
    EXPECT_EQ(f.Command1->text(), "Save");
    EXPECT_TRUE(f.Text1->text().isEmpty());
    EXPECT_EQ(state.ToDo, "Save As");
}

TEST_F(FileDialog, OpenModeHidesTheNameRowAndStandsHigher) {
    Form7& f = docs->form7;
    f.Text1->setText("kept");
    Form1_Command5_Click(*docs);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.windowTitle(), "Open");
    EXPECT_EQ(f.Command1->text(), "Open");
    EXPECT_FALSE(f.Text1->isVisibleTo(&f));
    EXPECT_FALSE(f.Label3->isVisibleTo(&f));
    EXPECT_EQ(f.Text1->text(), "kept");
    // Centred for 4200 (top 2400), then 3930 high.
    EXPECT_EQ(f.pos(), QPoint(2985 / 15, 2400 / 15));
    EXPECT_EQ(f.size(), QSize((6030 - 120) / 15, (3930 - 405) / 15));
    EXPECT_EQ(f.Command1->y(), 3000 / 15);

    // Save mode again brings the name row back.
    Form1_Command6_Click(*docs);
    EXPECT_TRUE(f.Text1->isVisibleTo(&f));
    EXPECT_EQ(f.size().height(), (4290 - 405) / 15);
}

TEST_F(FileDialog, EveryActivationStartsAtTheDocumentsFolder) {
    Form7& f = docs->form7;
    QDir(documentsFolder()).mkpath("sub/deeper");
    Form1_Command6_Click(*docs);
    QApplication::processEvents();  // the activation of the shown window
    EXPECT_EQ(f.Drive1->drive(), QDir::homePath());
    EXPECT_EQ(f.Dir1->path(), documentsFolder());
    EXPECT_EQ(f.File1->path(), documentsFolder());

    chooseFolder(documentsFolder() + "/sub/deeper");
    EXPECT_EQ(f.File1->path(), documentsFolder() + "/sub/deeper");
    // Away to the main window and back: the dialog starts over.
    QApplication::setActiveWindow(&docs->form6);
    QApplication::setActiveWindow(&f);
    EXPECT_EQ(f.Dir1->path(), documentsFolder());
    EXPECT_EQ(f.File1->path(), documentsFolder());
    EXPECT_EQ(f.File1->pattern(), "*.xls;*.xlsx");
}

TEST_F(FileDialog, BackFromAMessageBoxIsNoNewActivation) {
    Form7& f = docs->form7;
    QDir(documentsFolder()).mkpath("sub");
    Form1_Command6_Click(*docs);
    QApplication::setActiveWindow(&f);
    chooseFolder(documentsFolder() + "/sub");
    QDialog box;  // what a message box is: application modal
    box.setModal(true);
    box.show();
    QApplication::setActiveWindow(&box);
    box.hide();
    QApplication::setActiveWindow(&f);
    EXPECT_EQ(f.Dir1->path(), documentsFolder() + "/sub");
    // A real return from another window still starts over.
    QApplication::setActiveWindow(&docs->form6);
    QApplication::setActiveWindow(&f);
    EXPECT_EQ(f.Dir1->path(), documentsFolder());
}

TEST_F(FileDialog, AnUnreadableDriveIsReportedAndTheListsStay) {
    const QString gone = QDir::homePath() + "/unplugged-volume";
    docs = std::make_unique<Documents>(window, state, docs->hooks, [gone] {
        return QStringList{QDir::homePath(), "/", gone};
    });
    Form7& f = docs->form7;
    Form7_Form_Activate(*docs);
    ASSERT_EQ(f.Dir1->path(), documentsFolder());

    f.Drive1->setCurrentText(gone);
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0], "Error! Check Drive " + gone.toStdString());
    EXPECT_EQ(f.Drive1->drive(), gone) << "the drive list keeps the drive that failed";
    EXPECT_EQ(f.Dir1->path(), documentsFolder());
    EXPECT_EQ(f.File1->path(), documentsFolder());

    f.Drive1->setCurrentText("/");
    EXPECT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(f.Dir1->path(), "/");
    EXPECT_EQ(f.File1->path(), "/");
}

TEST_F(FileDialog, DrivesAreTheHomeFolderThenRealVolumes) {
    const QStringList drives = availableDrives();
    ASSERT_FALSE(drives.isEmpty());
    EXPECT_EQ(drives.first(), QDir::homePath());
    EXPECT_TRUE(drives.contains("/"));
    for (const QString& pseudo : {"/proc", "/sys", "/dev", "/dev/pts", "/sys/fs/cgroup"}) {
        EXPECT_FALSE(drives.contains(pseudo)) << pseudo.toStdString();
    }
    EXPECT_EQ(docs->form7.Drive1->itemText(0), QDir::homePath());
}

TEST_F(FileDialog, DocumentsFolderFallsBackToHome) {
    EXPECT_EQ(defaultDocumentsFolder(), documentsFolder());
    QDir(documentsFolder()).removeRecursively();
    EXPECT_EQ(defaultDocumentsFolder(), QDir::homePath());
    QDir(QDir::homePath()).mkpath("Documents");
}

TEST_F(FileDialog, FileListShowsOnlyWorkbookFiles) {
    const QString folder = documentsFolder() + "/mixed";
    QDir(folder).mkpath(".");
    for (const char* name : {"a.xls", "B.XLS", "c.xlsx", "D.XLSX", "d.txt", "e.xls.bak", "f.xlsx.bak", "xls"}) {
        writeBytes(folder + "/" + name, "x");
    }
    QDir(folder).mkpath("folder.xls");
    Form1_Command5_Click(*docs);
    chooseFolder(folder);
    QStringList listed;
    for (int i = 0; i < docs->form7.File1->count(); ++i) {
        listed << docs->form7.File1->item(i)->text();
    }
    EXPECT_EQ(listed, (QStringList{"a.xls", "B.XLS", "c.xlsx", "D.XLSX"}));
    EXPECT_TRUE(docs->form7.File1->fileName().isEmpty()) << "nothing selected yet";
    chooseFile("B.XLS");
    EXPECT_EQ(docs->form7.File1->fileName(), "B.XLS");
}

TEST_F(FileDialog, DirectoryListShowsTheChainAndSubfoldersAndNavigates) {
    QDir(documentsFolder()).mkpath("2026/december");
    Form7_Form_Activate(*docs);
    DirectoryList& dir = *docs->form7.Dir1;
    // home (the drive), Documents, then Documents' subfolders.
    ASSERT_GE(dir.count(), 3);
    EXPECT_EQ(dir.item(0)->text().trimmed(), QDir::homePath());
    EXPECT_EQ(dir.item(1)->text().trimmed(), "Documents");
    EXPECT_EQ(dir.currentRow(), 1);
    const auto sub = dir.findItems("2026", Qt::MatchEndsWith);
    ASSERT_EQ(sub.size(), 1);
    emit dir.itemActivated(sub.first());
    EXPECT_EQ(dir.path(), documentsFolder() + "/2026");
    EXPECT_EQ(docs->form7.File1->path(), documentsFolder() + "/2026");
    emit dir.itemActivated(dir.item(0));
    EXPECT_EQ(dir.path(), QDir::homePath());
}

TEST(FullPath, FolderSeparatorAndNameAsTyped) {
    EXPECT_EQ(fullPath("/home/ann/Documents", "stats"), "/home/ann/Documents/stats");
    EXPECT_EQ(fullPath("/home/ann/Documents", " stats .xls "), "/home/ann/Documents/ stats .xls ");
    EXPECT_EQ(fullPath("/", "stats.xls"), "/stats.xls") << "no doubled separator at the root";
    EXPECT_EQ(fullPath("/home/ann", ""), "/home/ann/");
}

}  // namespace
}  // namespace tallomer::testing
