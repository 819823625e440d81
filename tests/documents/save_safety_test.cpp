// Saving that loses nothing: a failed Save says so, another program's changes are not
// overwritten without a question, a read-only file is left alone.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include "documents/replace_question.h"
#include "documents_fixture.h"
#include "host/workbook_files.h"

namespace tallomer::testing {
namespace {

// The question answered as `answer` says, each one remembered.
class SaveSafety : public DocumentsTest {
protected:
    void SetUp() override {
        DocumentsTest::SetUp();
        setReplaceQuestionHandler([this](const QString& question) {
            questions.push_back(question.toStdString());
            return answer;
        });
        path = documentsFolder() + "/day.xls";
        saveAsThroughDialog(documentsFolder(), "day.xls");
        ASSERT_TRUE(window.messages.empty());
        submit("1/2/2001", "10", "250", "2", "50", "100");
    }
    void TearDown() override {
        setReplaceQuestionHandler({});
        DocumentsTest::TearDown();
    }
    double entriesInFile() { return host::loadWorkbookFile(path.toStdString())->sheet(0).value({0, 1}).number; }

    QString path;
    bool answer = false;
    std::vector<std::string> questions;
};

const std::string kChanged =
    "day.xls was changed by another program since you opened it. Replace it with this workbook?";

TEST_F(SaveSafety, APlainSaveThatFailsSaysWhyAndTheEntriesStayUnsaved) {
    const std::string before = readBytes(path);
    const QString away = documentsFolder() + "-away";
    ASSERT_TRUE(QDir().rename(documentsFolder(), away));
    docs->form4.show();
    window.visible = false;

    Form1_Command3_Click(*docs);
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].rfind("Error in saving file.\n", 0), 0u) << window.messages[0];
    EXPECT_NE(window.messages[0].find("does not exist"), std::string::npos) << window.messages[0];
    EXPECT_EQ(state.Saved, "False");
    EXPECT_TRUE(window.visible);
    EXPECT_FALSE(docs->form4.isVisible());
    EXPECT_EQ(waitWindowHidden, 1);
    EXPECT_TRUE(questions.empty()) << "a file that has gone is not one another program changed";
    EXPECT_EQ(readBytes(away + "/day.xls"), before);

    // With the folder back, the same Save goes through without a question.
    ASSERT_TRUE(QDir().rename(away, documentsFolder()));
    Form1_Command3_Click(*docs);
    EXPECT_EQ(window.messages.size(), 1u);
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(state.Saved, "True");
    EXPECT_EQ(entriesInFile(), 1);
}

TEST_F(SaveSafety, AnotherProgramsChangeIsReplacedOnlyWhenTheUserSaysSo) {
    writeBytes(path, "another program's workbook");
    Form1_Command3_Click(*docs);
    ASSERT_EQ(questions, std::vector<std::string>{kChanged});
    EXPECT_EQ(readBytes(path), "another program's workbook") << "Cancel leaves the file byte for byte";
    EXPECT_EQ(state.Saved, "False");
    EXPECT_TRUE(window.messages.empty());

    answer = true;
    Form1_Command3_Click(*docs);
    EXPECT_EQ(questions.size(), 2u);
    EXPECT_EQ(state.Saved, "True");
    EXPECT_EQ(entriesInFile(), 1);

    // What this run wrote is what it compares with next time: no question now.
    submit("2/2/2001", "20", "500", "0", "0", "100");
    Form1_Command3_Click(*docs);
    EXPECT_EQ(questions.size(), 2u);
    EXPECT_EQ(entriesInFile(), 2);
}

// A rewrite of the same size that keeps the modification time is still caught (the checksum),
// for a workbook that was opened, and for Save As onto its own file through the dialog.
TEST_F(SaveSafety, AnOpenedFileRewrittenInPlaceIsCaughtBySaveAsOntoItToo) {
    Form1_Command3_Click(*docs);
    openThroughDialog(documentsFolder(), "day.xls");
    ASSERT_TRUE(window.messages.empty());
    submit("2/2/2001", "20", "500", "0", "0", "100");

    std::string other = readBytes(path);
    other[other.size() - 1] ^= 0x5a;
    struct stat st {};
    ASSERT_EQ(stat(path.toLocal8Bit().constData(), &st), 0);
    writeBytes(path, other);
    const timespec times[2] = {st.st_atim, st.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, path.toLocal8Bit().constData(), times, 0), 0);

    saveAsThroughDialog(documentsFolder(), "day.xls");
    ASSERT_EQ(questions, std::vector<std::string>{kChanged});
    EXPECT_EQ(readBytes(path), other);
    EXPECT_EQ(state.Saved, "False");
    EXPECT_FALSE(window.processing);
    EXPECT_TRUE(window.visible);
    EXPECT_FALSE(docs->form7.isVisible());

    // A file that another program removed is simply written again.
    ASSERT_TRUE(QFile::remove(path));
    Form1_Command3_Click(*docs);
    EXPECT_EQ(questions.size(), 1u);
    EXPECT_EQ(state.Saved, "True");
    EXPECT_EQ(entriesInFile(), 2);
}

// Makes a file read-only for this process: plain permissions, or for root, for whom they do
// not apply, the immutable attribute. Undone when it goes.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const QString& file) : path_(file.toStdString()) {
        if (geteuid() != 0) {
            held_ = chmod(path_.c_str(), 0444) == 0;
        } else {
            held_ = setImmutable(true);
        }
    }
    ~ReadOnlyFile() {
        if (geteuid() != 0)
            chmod(path_.c_str(), 0644);
        else if (held_)
            setImmutable(false);
    }
    bool held() const { return held_; }

private:
    bool setImmutable(bool on) {
        const int fd = open(path_.c_str(), O_RDONLY);
        if (fd < 0) return false;
        int flags = 0;
        bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ok && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        close(fd);
        return ok;
    }
    std::string path_;
    bool held_ = false;
};

TEST_F(SaveSafety, AReadOnlyFileIsRefusedAndLeftAsItWas) {
    const std::string before = readBytes(path);
    {
        ReadOnlyFile locked(path);
        ASSERT_TRUE(locked.held()) << "could not make the file read-only";
        Form1_Command3_Click(*docs);
        saveAsThroughDialog(documentsFolder(), "day.xls");
        EXPECT_EQ(window.messages, (std::vector<std::string>{"day.xls is read-only.", "day.xls is read-only."}));
        EXPECT_EQ(state.Saved, "False");
        EXPECT_TRUE(questions.empty());
        EXPECT_FALSE(window.processing);
    }
    EXPECT_EQ(readBytes(path), before);
    EXPECT_TRUE(QDir(documentsFolder()).entryList({".tallomer-save-*"}, QDir::Files | QDir::Hidden).isEmpty());
}

}  // namespace
}  // namespace tallomer::testing
