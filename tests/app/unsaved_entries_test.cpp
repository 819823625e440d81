// The journal as the running program writes it and offers it back, through the real window
// offscreen, with the state folder of its own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/form1.h"
#include "app/message_box.h"
#include "app/program.h"
#include "host/application.h"
#include "message_recorder.h"
#include "workbook/entry_journal.h"
#include "workbook/state_folder.h"

using namespace tallomer;

namespace {

// Answers every question with `answer` and remembers title and text.
class QuestionRecorder {
public:
    explicit QuestionRecorder(int answer) {
        setQuestionHandler([this, answer](QWidget*, const QString& title, const QString& text,
                                          const QStringList& buttons, int defaultButton) {
            asked.push_back(
                (title + "|" + text + "|" + buttons.join(",") + "|" + QString::number(defaultButton)).toStdString());
            return answer;
        });
    }
    ~QuestionRecorder() { setQuestionHandler({}); }
    std::vector<std::string> asked;
};

class UnsavedEntriesTest : public ::testing::Test {
protected:
    UnsavedEntriesTest() : before(qgetenv("XDG_STATE_HOME")) { qputenv("XDG_STATE_HOME", state.path().toLocal8Bit()); }
    ~UnsavedEntriesTest() override { qputenv("XDG_STATE_HOME", before); }

    static void start(Program& program) {
        wireDocumentCommands(program);
        ASSERT_TRUE(program.Form1_Form_Load());
    }
    static void submit(Program& program, const std::vector<QString>& figures) {
        for (int n = 1; n <= 6; ++n) program.form1().Text(n)->setText(figures[n - 1]);
        program.form1().Command(1)->click();
    }
    static host::Value value(Program& program, const char* a1) {
        return program.xlApp()->activeWorkbook()->activeSheet().value(*host::parseAddress(a1));
    }

    QByteArray before;
    QTemporaryDir state;
    QTemporaryDir files;
    MessageRecorder messages;
};

}  // namespace

TEST_F(UnsavedEntriesTest, EntriesOfARunThatDiedComeBackOnItsWorkbook) {
    const std::string path = files.filePath("stats.xls").toStdString();
    std::string journalPath;
    {
        Program crashed;
        start(crashed);
        submit(crashed, {"1/2/2001", "10", "250", "2", "50", "100"});
        crashed.xlApp()->saveActiveWorkbookAs(path);
        crashed.shared().Named = "True";
        crashed.form1().Command(3)->click();  // Save: the journal starts afresh on the file
        submit(crashed, {"2/2/2001", "20", "500", "0", "0", "100"});
        submit(crashed, {"3/2/2001", "30", "600", "0", "0", "100"});
        crashed.form1().Command(1)->setFocus();
        crashed.entries().undo();
        journalPath = crashed.journal().path();
        ASSERT_EQ(readJournal(journalPath).steps.size(), 3u);
        // The process dies here: nothing removes its journal. (The Program's end would.)
        std::ifstream in(journalPath, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), {});
        in.close();
        crashed.journal().remove();
        std::ofstream(journalPath, std::ios::binary) << bytes;
    }
    Program program;
    start(program);
    QuestionRecorder questions(0);  // Restore
    offerUnsavedEntries(program);
    ASSERT_EQ(questions.asked.size(), 1u);
    EXPECT_EQ(questions.asked[0].substr(0, 24), "Restore Unsaved Entries|");
    EXPECT_NE(questions.asked[0].find("2 entries (2/2/2001, 3/2/2001)"), std::string::npos) << questions.asked[0];
    EXPECT_NE(questions.asked[0].find(path), std::string::npos);
    EXPECT_NE(questions.asked[0].find("|Restore,Discard|0"), std::string::npos);
    EXPECT_TRUE(messages.texts.empty()) << messages.texts[0];
    EXPECT_EQ(value(program, "B1"), host::Value::fromNumber(2));
    EXPECT_EQ(value(program, "B4"), host::Value::fromNumber(20));
    EXPECT_EQ(program.form1().Text(1)->text(), "3/2/2001");  // the undone entry is back in the boxes
    EXPECT_EQ(program.shared().Saved, "False");
    EXPECT_EQ(program.shared().Named, "True");
    EXPECT_FALSE(std::filesystem::exists(journalPath));
    // The restored steps are this run's unsaved ones now.
    EXPECT_EQ(readJournal(program.journal().path()).steps.size(), 3u);
    EXPECT_EQ(readJournal(program.journal().path()).base.path, path);
}

TEST_F(UnsavedEntriesTest, AChangedWorkbookTakesTheEntriesOntoANewSheet) {
    const std::string path = files.filePath("stats.xls").toStdString();
    {
        EntryJournal left(stateFolder());
        host::Application maker;
        maker.addWorkbook();
        maker.saveActiveWorkbookAs(path);
        left.startAfresh({path, host::fingerprintFile(path)});
        ASSERT_TRUE(left.record({EntryStep::Submit, {"1/2/2001", "10", "250", "2", "50", "100"}}));
        std::ofstream(path, std::ios::app) << "changed by another program";
    }
    Program program;
    start(program);
    QuestionRecorder questions(0);
    offerUnsavedEntries(program);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_NE(messages.texts[0].find("has changed"), std::string::npos);
    EXPECT_EQ(value(program, "B1"), host::Value::fromNumber(1));
    EXPECT_EQ(program.shared().Named, "False");
    EXPECT_EQ(program.shared().Saved, "False");
}

TEST_F(UnsavedEntriesTest, DiscardRemovesAndQuitLeavesNothing) {
    {
        EntryJournal left(stateFolder());
        ASSERT_TRUE(left.record({EntryStep::Submit, {"1/2/2001", "10", "250", "2", "50", "100"}}));
    }
    Program program;
    start(program);
    {
        QuestionRecorder questions(1);  // Discard
        offerUnsavedEntries(program);
        EXPECT_EQ(questions.asked.size(), 1u);
    }
    EXPECT_TRUE(leftJournals(stateFolder()).empty());
    EXPECT_EQ(value(program, "B1"), host::Value::fromNumber(0));
    submit(program, {"1/2/2001", "10", "250", "2", "50", "100"});
    const std::string mine = program.journal().path();
    EXPECT_TRUE(std::filesystem::exists(mine));
    program.end(0);  // Quit, without saving
    EXPECT_FALSE(std::filesystem::exists(mine));
}

TEST_F(UnsavedEntriesTest, AfterOneSetIsRestoredTheOthersWaitForTheNextStart) {
    for (const char* date : {"1/2/2001", "2/2/2001"}) {
        EntryJournal left(stateFolder());
        ASSERT_TRUE(left.record({EntryStep::Submit, {date, "10", "250", "2", "50", "100"}}));
    }
    ASSERT_EQ(leftJournals(stateFolder()).size(), 2u);
    {
        Program program;
        start(program);
        QuestionRecorder questions(0);  // Restore
        offerUnsavedEntries(program);
        EXPECT_EQ(questions.asked.size(), 1u);
        // One set on the sheet, not two mixed, and the other kept, said so.
        EXPECT_EQ(value(program, "B1"), host::Value::fromNumber(1));
        ASSERT_EQ(messages.texts.size(), 1u);
        EXPECT_NE(messages.texts[0].find("1 more set of unsaved entries"), std::string::npos) << messages.texts[0];
        program.end(0);
    }
    ASSERT_EQ(leftJournals(stateFolder()).size(), 1u);
    Program next;
    start(next);
    QuestionRecorder questions(1);  // Discard
    offerUnsavedEntries(next);
    EXPECT_EQ(questions.asked.size(), 1u);
    EXPECT_TRUE(leftJournals(stateFolder()).empty());
}

TEST_F(UnsavedEntriesTest, SetsThatAreDiscardedAreOfferedOneAfterTheOther) {
    for (const char* date : {"1/2/2001", "2/2/2001"}) {
        EntryJournal left(stateFolder());
        ASSERT_TRUE(left.record({EntryStep::Submit, {date, "10", "250", "2", "50", "100"}}));
    }
    Program program;
    start(program);
    QuestionRecorder questions(1);  // Discard
    offerUnsavedEntries(program);
    EXPECT_EQ(questions.asked.size(), 2u);
    EXPECT_TRUE(leftJournals(stateFolder()).empty());
    EXPECT_TRUE(messages.texts.empty());
}

namespace {

// A small file system of its own (root only), filled or made read-only, to stand for a full or
// read-only disk under the state folder.
class SmallDisk {
public:
    explicit SmallDisk(const QString& at) : path_(at.toStdString()) {
        std::filesystem::create_directories(path_);
        mounted_ = std::system(("mount -t tmpfs -o size=32k tmpfs '" + path_ + "' 2>/dev/null").c_str()) == 0;
    }
    ~SmallDisk() {
        if (mounted_) std::system(("umount '" + path_ + "'").c_str());
    }
    bool mounted() const { return mounted_; }
    void fill() { std::system(("dd if=/dev/zero of='" + path_ + "/fill' bs=1k count=64 2>/dev/null").c_str()); }
    void makeReadOnly() { std::system(("mount -o remount,ro '" + path_ + "'").c_str()); }

private:
    std::string path_;
    bool mounted_ = false;
};

}  // namespace

TEST_F(UnsavedEntriesTest, AFullOrReadOnlyDiskStillTakesTheEntriesAndSaysSoOnce) {
    for (const bool full : {true, false}) {
        SCOPED_TRACE(full ? "full disk" : "read-only disk");
        const QString disk = state.filePath(full ? "full" : "ro");
        SmallDisk small(disk);
        if (!small.mounted()) GTEST_SKIP() << "mounting a small file system needs root; not run";
        if (full)
            small.fill();
        else
            small.makeReadOnly();
        qputenv("XDG_STATE_HOME", disk.toLocal8Bit());
        messages.texts.clear();
        {
            Program program;
            start(program);
            submit(program, {"1/2/2001", "10", "250", "2", "50", "100"});
            submit(program, {"2/2/2001", "20", "500", "0", "0", "100"});
            EXPECT_EQ(value(program, "B1"), host::Value::fromNumber(2));
            EXPECT_EQ(program.shared().Saved, "False");
            ASSERT_EQ(messages.texts.size(), 1u);  // said once, not at every Submit
            EXPECT_NE(messages.texts[0].find("not protected until the next Save"), std::string::npos)
                << messages.texts[0];
            program.end(0);
        }
        qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    }
}
