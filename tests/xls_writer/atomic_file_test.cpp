// Replacing a file atomically: a failed save leaves the old file byte for byte and no
// temporary file. The read-only folder and the full disk are real: small tmpfs mounts.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "host/host_error.h"
#include "xls/atomic_file_writer.h"

namespace fs = std::filesystem;
using host::HostError;
using host::xls::writeFileAtomically;

namespace {

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeAll(const fs::path& p, const std::string& s) { std::ofstream(p, std::ios::binary) << s; }

auto writer(const std::string& content) {
    return [content](int fd) {
        for (std::size_t done = 0; done < content.size();) {
            const ssize_t n = write(fd, content.data() + done, content.size() - done);
            if (n < 0) return false;
            done += std::size_t(n);
        }
        return true;
    };
}

class AtomicFile : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/tallomer-atomic-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override {
        if (mounted) umount2(mountPoint.c_str(), MNT_DETACH);
        fs::remove_all(dir);
    }
    std::set<std::string> entries(const fs::path& d) const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(d)) names.insert(e.path().filename().string());
        return names;
    }
    // A small tmpfs, so that a full disk and a read-only folder are real ones.
    bool mountTmpfs(unsigned long flags, const char* options) {
        mountPoint = dir / "mnt";
        fs::create_directory(mountPoint);
        if (mount("tmpfs", mountPoint.c_str(), "tmpfs", flags, options) != 0) {
            reason = std::string("cannot mount a tmpfs here (") + std::strerror(errno) + "): needs root";
            return false;
        }
        mounted = true;
        return true;
    }
    fs::path dir;
    fs::path mountPoint;
    bool mounted = false;
    std::string reason;
};

}  // namespace

TEST_F(AtomicFile, WritesANewFileUnderExactlyTheGivenName) {
    const fs::path target = dir / "book";   // no extension added
    writeFileAtomically(target.string(), writer("hello"));
    EXPECT_EQ(readAll(target), "hello");
    EXPECT_EQ(entries(dir), std::set<std::string>{"book"});
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(fs::status(target).permissions(), fs::perms(0666 & ~mask));
}

TEST_F(AtomicFile, ReplacesAnExistingFileKeepingItsPermissions) {
    const fs::path target = dir / "book.xls";
    writeAll(target, "old content that is longer");
    chmod(target.c_str(), 0640);
    writeFileAtomically(target.string(), writer("new"));
    EXPECT_EQ(readAll(target), "new");
    EXPECT_EQ(fs::status(target).permissions(), fs::perms(0640));
    EXPECT_EQ(entries(dir), std::set<std::string>{"book.xls"});
}

// The replaced file is held until the rename is done and then let go in the background:
// nothing of it may stay open.
TEST_F(AtomicFile, ReplacedFilesAreLetGo) {
    const auto openFiles = [] {
        std::size_t n = 0;
        for ([[maybe_unused]] const auto& e : fs::directory_iterator("/proc/self/fd")) ++n;
        return n;
    };
    const fs::path target = dir / "book.xls";
    writeAll(target, "v0");
    const std::size_t before = openFiles();
    for (int i = 1; i <= 20; ++i) writeFileAtomically(target.string(), writer("v" + std::to_string(i)));
    EXPECT_EQ(readAll(target), "v20");
    EXPECT_EQ(entries(dir), std::set<std::string>{"book.xls"});
    for (int tries = 0; tries < 500 && openFiles() > before; ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(openFiles(), before);
}

TEST_F(AtomicFile, SavingThroughASymbolicLinkReplacesTheFileItPointsAt) {
    writeAll(dir / "real.xls", "old");
    fs::create_symlink(dir / "real.xls", dir / "link.xls");
    writeFileAtomically((dir / "link.xls").string(), writer("new"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.xls"));
    EXPECT_EQ(readAll(dir / "real.xls"), "new");
}

TEST_F(AtomicFile, RefusesNamesThatAreNoFile) {
    EXPECT_THROW(writeFileAtomically("", writer("x")), HostError);
    EXPECT_THROW(writeFileAtomically((dir / "sub/").string(), writer("x")), HostError);
    EXPECT_THROW(writeFileAtomically(dir.string() + "/", writer("x")), HostError);
    EXPECT_THROW(writeFileAtomically((dir / "no such folder" / "book.xls").string(), writer("x")), HostError);
    fs::create_directory(dir / "folder.xls");
    EXPECT_THROW(writeFileAtomically((dir / "folder.xls").string(), writer("x")), HostError);
    EXPECT_TRUE(fs::is_directory(dir / "folder.xls"));
    EXPECT_EQ(entries(dir), std::set<std::string>{"folder.xls"});
}

TEST_F(AtomicFile, AFailedWriteLeavesTheOldFileAndNoTemporary) {
    const fs::path target = dir / "book.xls";
    writeAll(target, "precious");
    try {
        writeFileAtomically(target.string(), [](int fd) {
            EXPECT_EQ(write(fd, "half", 4), 4);
            errno = EIO;
            return false;
        });
        FAIL() << "no error";
    } catch (const HostError& e) {
        EXPECT_NE(std::string(e.what()).find("book.xls"), std::string::npos) << e.what();
    }
    EXPECT_EQ(readAll(target), "precious");
    EXPECT_EQ(entries(dir), std::set<std::string>{"book.xls"});
}

TEST_F(AtomicFile, AFullDiskFailsCleanly) {
    if (!mountTmpfs(0, "size=64k")) GTEST_SKIP() << reason;
    const fs::path target = mountPoint / "book.xls";
    writeAll(target, "precious");
    const std::string big(1 << 20, 'x');
    try {
        writeFileAtomically(target.string(), writer(big));
        FAIL() << "a megabyte fitted into 64 KB";
    } catch (const HostError& e) {
        EXPECT_NE(std::string(e.what()).find("No space left"), std::string::npos) << e.what();
    }
    EXPECT_EQ(readAll(target), "precious");
    EXPECT_EQ(entries(mountPoint), std::set<std::string>{"book.xls"});
}

TEST_F(AtomicFile, AReadOnlyFolderFailsCleanly) {
    if (!mountTmpfs(0, "size=64k")) GTEST_SKIP() << reason;
    const fs::path target = mountPoint / "book.xls";
    writeAll(target, "precious");
    ASSERT_EQ(mount(nullptr, mountPoint.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0) << std::strerror(errno);
    EXPECT_THROW(writeFileAtomically(target.string(), writer("new")), HostError);
    EXPECT_THROW(writeFileAtomically((mountPoint / "other.xls").string(), writer("new")), HostError);
    EXPECT_EQ(readAll(target), "precious");
    EXPECT_EQ(entries(mountPoint), std::set<std::string>{"book.xls"});
}
