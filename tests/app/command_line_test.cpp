// The program's command line: what the arguments ask for, and a workbook named there opened
// at start-up as the file dialog's Open button opens one.
#include <gtest/gtest.h>

#include <unistd.h>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "app/command_line.h"
#include "app/program.h"
#include "host/application.h"
#include "message_recorder.h"

using namespace tallomer;
using Action = CommandLine::Action;

TEST(CommandLine, ReadsHelpVersionAndOneFile) {
    EXPECT_EQ(parseCommandLine({}).action, Action::Run);
    EXPECT_EQ(parseCommandLine({}).file, "");
    EXPECT_EQ(parseCommandLine({"--help"}).action, Action::Help);
    EXPECT_EQ(parseCommandLine({"stats.xls", "-h"}).action, Action::Help);
    EXPECT_EQ(parseCommandLine({"--version"}).action, Action::Version);
    EXPECT_EQ(parseCommandLine({"My Stats.xls"}).file, "My Stats.xls");
    // After "--" a name that begins with a hyphen is a file.
    EXPECT_EQ(parseCommandLine({"--", "-odd.xls"}).file, "-odd.xls");
    EXPECT_EQ(parseCommandLine({"--", "--help"}).action, Action::Run);
}

TEST(CommandLine, RefusesWhatItCannotDo) {
    const CommandLine unknown = parseCommandLine({"--frobnicate"});
    EXPECT_EQ(unknown.action, Action::Wrong);
    EXPECT_NE(unknown.error.find("--frobnicate"), std::string::npos);
    EXPECT_EQ(parseCommandLine({"a.xls", "b.xls"}).action, Action::Wrong);
    EXPECT_EQ(parseCommandLine({""}).action, Action::Wrong);
}

namespace {
class GivenFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() / ("tallomer-given-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // A workbook with one entry, saved by the program's own host.
    std::string savedWorkbook() {
        Program maker;
        wireDocumentCommands(maker);
        EXPECT_TRUE(maker.Form1_Form_Load());
        const char* figures[] = {"1/2/2001", "10", "250", "2", "50", "100"};
        for (int n = 1; n <= 6; ++n) maker.form1().Text(n)->setText(figures[n - 1]);
        maker.form1().Form1_Command1_Click();
        const std::string path = (dir / "day one.xls").string();
        maker.xlApp()->saveActiveWorkbookAs(path);
        return path;
    }

    MessageRecorder messages;
    std::filesystem::path dir;
};
}  // namespace

TEST_F(GivenFile, OpensAtStartUpAsOpenWould) {
    const std::string path = savedWorkbook();
    Program program;
    wireDocumentCommands(program);
    ASSERT_TRUE(program.Form1_Form_Load());
    ASSERT_TRUE(program.openGivenFile);
    program.openGivenFile(path);
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(program.form1().windowTitle().toStdString(), "Tallomer   " + path);
    EXPECT_EQ(program.form1().Text(8)->text(), "10");
    EXPECT_EQ(program.shared().Saved, "True");
    EXPECT_EQ(program.shared().Named, "True");
    EXPECT_FALSE(program.form1().Label13()->isVisible());
}

TEST_F(GivenFile, ThatCannotBeOpenedLeavesTheNewSheet) {
    std::ofstream(dir / "not a workbook.xls") << "plain text, not a workbook";
    for (const std::string path : {(dir / "missing.xls").string(), (dir / "not a workbook.xls").string()}) {
        messages.texts.clear();
        Program program;
        wireDocumentCommands(program);
        ASSERT_TRUE(program.Form1_Form_Load());
        program.openGivenFile(path);
        ASSERT_EQ(messages.texts.size(), 1u) << path;
        EXPECT_EQ(messages.texts[0].rfind("The file could not be opened.\n", 0), 0u) << messages.texts[0];
        EXPECT_EQ(program.form1().windowTitle(), "Tallomer");
        EXPECT_EQ(program.shared().Named, "False");
        EXPECT_FALSE(program.form1().Label13()->isVisible());
        // The new sheet is still there to type into.
        ASSERT_NE(program.xlApp()->activeWorkbook(), nullptr);
    }
}
