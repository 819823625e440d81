// The journal of unsaved entries as files on disk: what it reads back after a crash cut it
// anywhere, the lock that keeps two programs apart, and a folder it cannot write.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "workbook/entry_journal.h"

using namespace tallomer;
namespace fs = std::filesystem;

namespace {

class EntryJournalTest : public ::testing::Test {
protected:
    EntryJournalTest() {
        char name[] = "/tmp/tallomer-journal-test.XXXXXX";
        folder = ::mkdtemp(name);
    }
    ~EntryJournalTest() override { fs::remove_all(folder); }

    static std::string bytesOf(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static void writeBytes(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }

    std::string folder;
    const EntryTexts dayOne{"1/2/2001", "10", "250", "2", "50", "100"};
    const EntryTexts odd{"2/2/2001", "tab\there", "back\\slash", "new\nline", "0", "100"};
};

}  // namespace

TEST_F(EntryJournalTest, ReadsBackEveryStepAndItsBase) {
    EntryJournal journal(folder + "/tallomer");
    journal.startAfresh({"/home/a/stats.xls", host::FileFingerprint{1234, 5678, 99}});
    ASSERT_TRUE(journal.record({EntryStep::Submit, dayOne}));
    ASSERT_TRUE(journal.record({EntryStep::Submit, odd}));
    ASSERT_TRUE(journal.record({EntryStep::Undo, {}}));
    ASSERT_TRUE(journal.record({EntryStep::Redo, {}}));

    const JournalContents back = readJournal(journal.path());
    EXPECT_EQ(back.base.path, "/home/a/stats.xls");
    EXPECT_EQ(back.base.fingerprint, (host::FileFingerprint{1234, 5678, 99}));
    ASSERT_EQ(back.steps.size(), 4u);
    EXPECT_EQ(back.steps[0].texts, dayOne);
    EXPECT_EQ(back.steps[1].texts, odd);  // tabs, backslashes and newlines survive
    EXPECT_EQ(back.steps[2].step, EntryStep::Undo);
    EXPECT_EQ(back.steps[3].step, EntryStep::Redo);
    EXPECT_EQ(back.lostBytes, 0u);

    // Save starts it afresh: only what follows is kept, on the new base.
    journal.startAfresh({"/home/a/other.xls", std::nullopt});
    EXPECT_TRUE(readJournal(journal.path()).steps.empty());
    ASSERT_TRUE(journal.record({EntryStep::Submit, dayOne}));
    EXPECT_EQ(readJournal(journal.path()).base.path, "/home/a/other.xls");
    EXPECT_EQ(readJournal(journal.path()).steps.size(), 1u);

    journal.remove();
    EXPECT_FALSE(fs::exists(journal.path()));
}

TEST_F(EntryJournalTest, CutAtEveryByteOfItsLastRecordKeepsEveryCompleteOne) {
    std::string path;
    std::size_t beforeLast = 0;
    {
        EntryJournal journal(folder);
        journal.startAfresh({"", std::nullopt});
        ASSERT_TRUE(journal.record({EntryStep::Submit, dayOne}));
        beforeLast = bytesOf(journal.path()).size();
        ASSERT_TRUE(journal.record({EntryStep::Submit, odd}));
        path = journal.path();
    }  // the program dies: its file stays, its lock goes
    const std::string whole = bytesOf(path);
    const std::string cut = folder + "/journal-cut.tlj";
    for (std::size_t size = beforeLast; size < whole.size(); ++size) {
        writeBytes(cut, whole.substr(0, size));
        const JournalContents back = readJournal(cut);
        ASSERT_EQ(back.steps.size(), 1u) << "cut at " << size;
        EXPECT_EQ(back.steps[0].texts, dayOne);
        EXPECT_EQ(back.lostBytes, size - beforeLast);
    }
    writeBytes(cut, whole);
    EXPECT_EQ(readJournal(cut).steps.size(), 2u);
    // A flipped byte in the last record, or garbage after it: the records before it still count.
    std::string flipped = whole;
    flipped[whole.size() - 20] ^= 1;
    writeBytes(cut, flipped);
    EXPECT_EQ(readJournal(cut).steps.size(), 1u);
    writeBytes(cut, whole + "\x01\x02garbage\n\xff");
    EXPECT_EQ(readJournal(cut).steps.size(), 2u);
    EXPECT_EQ(readJournal(cut).lostBytes, 11u);
    writeBytes(cut, "nothing a journal holds");
    EXPECT_TRUE(readJournal(cut).steps.empty());
    EXPECT_TRUE(readJournal(folder + "/absent.tlj").steps.empty());
}

TEST_F(EntryJournalTest, TwoRunningProgramsNeverShareOrOfferEachOthers) {
    auto first = std::make_unique<EntryJournal>(folder);
    EntryJournal second(folder);
    ASSERT_TRUE(first->record({EntryStep::Submit, dayOne}));
    ASSERT_TRUE(second.record({EntryStep::Submit, odd}));
    EXPECT_NE(first->path(), second.path());
    EXPECT_TRUE(leftJournals(folder).empty());  // both are locked by their running programs
    const std::string firstPath = first->path();
    first.reset();  // the first program dies without removing its journal
    EXPECT_EQ(leftJournals(folder), std::vector<std::string>{firstPath});
    EXPECT_EQ(readJournal(firstPath).steps[0].texts, dayOne);
}

TEST_F(EntryJournalTest, AFolderThatCannotBeWrittenIsAFailureNotACrash) {
    writeBytes(folder + "/file", "x");
    EntryJournal journal(folder + "/file/tallomer");  // its parent is a file: never a folder
    EXPECT_FALSE(journal.record({EntryStep::Submit, dayOne}));
    EXPECT_FALSE(journal.error().empty());
    journal.remove();
}
