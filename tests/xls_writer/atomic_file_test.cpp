// Replacing a file atomically: a failed save leaves the old file byte for byte and no
// temporary file. The read-only folder and the full disk are real: small tmpfs mounts.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
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
    const fs::path target = dir / "book";  // no extension added
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

// Nothing of a save stays open: neither the new file nor the one it replaced.
TEST_F(AtomicFile, RepeatedSavesLeaveNoFileOpen) {
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

// A save killed while it writes: the old file stays, and no temporary file is left beside it.
TEST_F(AtomicFile, AKilledSaveLeavesTheOldFileAndNothingElse) {
    const fs::path target = dir / "book.xls";
    writeAll(target, "precious");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        try {
            writeFileAtomically(target.string(), [](int fd) {
                const std::string half(1 << 20, 'x');
                if (write(fd, half.data(), half.size()) < 0) _exit(3);
                raise(SIGKILL);
                return true;
            });
        } catch (...) {}
        _exit(4);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the save was not killed: " << status;
    EXPECT_EQ(readAll(target), "precious");
    EXPECT_EQ(entries(dir), std::set<std::string>{"book.xls"});
}

// Temporary files of our naming that nothing writes any more go before a save; a fresh one
// named from its creation, a locked one (a save at work) and other names stay.
TEST_F(AtomicFile, StaleTemporaryFilesAreRemovedBeforeASave) {
    const auto make = [&](const std::string& name, int hoursOld) {
        writeAll(dir / name, std::string(1000, 'x'));
        const timespec when[2] = {{time(nullptr) - hoursOld * 3600, 0}, {time(nullptr) - hoursOld * 3600, 0}};
        utimensat(AT_FDCWD, (dir / name).c_str(), when, 0);
    };
    make(".tallomer-save-Old123", 2);
    make(".tallomer-save-Fresh1", 0);
    make(".tallomer-save-Locked", 2);
    make(".tallomer-saved-Done12", 0);  // complete and unlocked: its save was killed before the rename
    make(".tallomer-saved-Held12", 0);
    make(".tallomer-save-longer-name", 2);
    make("notes.txt", 2);
    fs::create_symlink(dir / "notes.txt", dir / ".tallomer-save-Link12");
    const int held = open((dir / ".tallomer-save-Locked").c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    const int finishing = open((dir / ".tallomer-saved-Held12").c_str(), O_RDONLY);
    ASSERT_EQ(flock(finishing, LOCK_EX), 0);

    writeFileAtomically((dir / "book.xls").string(), writer("new"));
    close(held);
    close(finishing);
    EXPECT_EQ(entries(dir), (std::set<std::string>{"book.xls", ".tallomer-save-Fresh1", ".tallomer-save-Locked",
                                                   ".tallomer-saved-Held12", ".tallomer-save-longer-name", "notes.txt",
                                                   ".tallomer-save-Link12"}));
}

// Runs `body` as the user nobody (when the test runs as root) in a child process; returns its
// exit status, or -1 when the child could not become nobody.
int asNobody(const std::function<int()>& body) {
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(100);
        _exit(body());
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status) == 100 ? -1 : WEXITSTATUS(status);
}

// A read-only file is not replaced, although its folder would allow it; root may replace it.
TEST_F(AtomicFile, AReadOnlyFileIsRefusedExceptForRoot) {
    const fs::path folder = dir / "home";
    fs::create_directory(folder);
    chmod(dir.c_str(), 0755);
    const fs::path target = folder / "book.xls";
    writeAll(target, "precious");
    chmod(target.c_str(), 0444);
    if (geteuid() == 0) {
        ASSERT_EQ(chown(folder.c_str(), 65534, 65534), 0);
        ASSERT_EQ(chown(target.c_str(), 65534, 65534), 0);
    }
    const int status = asNobody([&] {
        try {
            writeFileAtomically(target.string(), writer("new"));
            return 1;
        } catch (const HostError& e) {
            return std::string(e.what()) == "book.xls is read-only." ? 0 : 2;
        }
    });
    ASSERT_NE(status, -1) << "could not become the user nobody";
    EXPECT_EQ(status, 0) << (status == 1 ? "replaced" : "refused with another message");
    EXPECT_EQ(readAll(target), "precious");
    EXPECT_EQ(entries(folder), std::set<std::string>{"book.xls"});

    if (geteuid() == 0) {
        writeFileAtomically(target.string(), writer("new"));
        EXPECT_EQ(readAll(target), "new");
        EXPECT_EQ(fs::status(target).permissions(), fs::perms(0444));
    }
}

// Root saving another user's file keeps its owner and group, so that user can still write it.
TEST_F(AtomicFile, TheReplacedFilesOwnerAndGroupAreKept) {
    if (geteuid() != 0) GTEST_SKIP() << "giving a file to another user needs root";
    const fs::path target = dir / "book.xls";
    writeAll(target, "old");
    ASSERT_EQ(chown(target.c_str(), 65534, 65534), 0);
    chmod(target.c_str(), 0664);
    writeFileAtomically(target.string(), writer("new"));
    struct stat after {};
    ASSERT_EQ(stat(target.c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, 65534u);
    EXPECT_EQ(after.st_gid, 65534u);
    EXPECT_EQ(after.st_mode & 07777, 0664u);
    EXPECT_EQ(readAll(target), "new");
}
