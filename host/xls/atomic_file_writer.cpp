#include "xls/atomic_file_writer.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "host/host_error.h"
#include "xls/stale_save_files.h"

namespace host::xls {
namespace {

[[noreturn]] void fail(const std::string& path, const std::string& why) {
    throw HostError("Cannot save \"" + path + "\": " + why);
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string fileNameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Saving through a symbolic link replaces the file it points at, not the link.
std::string resolveLink(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) == nullptr) return path;
    return resolved;
}

// A file its owner made read-only says "keep this", even where the folder would let the
// rename through. Root, for whom permissions do not apply, may replace it; an immutable file
// refuses everyone.
bool isReadOnly(const std::string& path) {
    return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 && (errno == EACCES || errno == EPERM);
}

mode_t newFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

void syncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;  // the rename is done; syncing the folder only hastens its durability
    fsync(fd);
    close(fd);
}

// The new file while it is written. Where the system allows, it has no name until it is
// complete and on disk, so a save killed before that leaves nothing behind; elsewhere it is
// named beside the target from the start.
struct NewFile {
    int fd = -1;
    std::string name;  // empty while unnamed
};

// An unnamed file is given its name through /proc; without /proc only root could name it.
NewFile createNewFile(const std::string& folder) {
#if defined(O_TMPFILE)
    if (access("/proc/self/fd", X_OK) == 0) {
        const int fd = open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0) return {fd, {}};
        // Some file systems have no unnamed files: a named one then.
    }
#endif
    std::string name = folder + "/" + kSaveFilePrefix + "XXXXXX";
    std::vector<char> buffer(name.begin(), name.end());
    buffer.push_back('\0');
    const int fd = mkostemp(buffer.data(), O_CLOEXEC);
    if (fd < 0) return {};
    return {fd, buffer.data()};
}

// Links the finished unnamed file into the folder under a temporary name of our own; the
// rename over the target follows at once. A save killed between the two leaves that complete
// file behind, unlocked, and the next save into the folder removes it.
bool nameNewFile(NewFile& file, const std::string& folder) {
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::minstd_rand random(std::random_device{}());
    const std::string self = "/proc/self/fd/" + std::to_string(file.fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = folder + "/" + kFinishedSaveFilePrefix;
        for (int i = 0; i < 6; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
        if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            file.name = std::move(name);
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

// The new file keeps the old one's owner and group where the saver may give them (root both;
// a member of the file's group the group), and its mode, set after them because a change of
// owner clears the set-id bits. Not keeping the owner is no reason to fail the save.
bool takeOwnerAndMode(int fd, const struct stat& old) {
    struct stat now {};
    if (fstat(fd, &now) == 0 && (now.st_uid != old.st_uid || now.st_gid != old.st_gid)) {
        if (fchown(fd, old.st_uid, old.st_gid) != 0) (void)!fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    }
    return fchmod(fd, old.st_mode & 07777) == 0;
}

}  // namespace

void writeFileAtomically(const std::string& givenPath, const std::function<bool(int fd)>& write) {
    if (givenPath.empty()) throw HostError("Cannot save: the file name is empty.");
    if (givenPath.back() == '/') fail(givenPath, "the name is a folder, not a file name.");
    const std::string path = resolveLink(givenPath);

    struct stat target {};
    const bool exists = stat(path.c_str(), &target) == 0;
    if (exists && S_ISDIR(target.st_mode)) fail(givenPath, "a folder of that name exists.");
    if (exists && !S_ISREG(target.st_mode)) fail(givenPath, "it is not a regular file.");
    if (exists && isReadOnly(path)) throw HostError(fileNameOf(givenPath) + " is read-only.");

    const std::string folder = folderOf(path);
    struct stat folderStat {};
    if (stat(folder.c_str(), &folderStat) != 0 || !S_ISDIR(folderStat.st_mode))
        fail(givenPath, "the folder \"" + folder + "\" does not exist.");

    // What killed saves left would otherwise eat the room this one needs.
    removeStaleSaveFiles(folder);

    NewFile file = createNewFile(folder);
    if (file.fd < 0) fail(givenPath, std::strerror(errno) + std::string("."));
    // Held until the file has the target's name (taken before an unnamed file has any): it
    // tells the stale-file removal that this one is being written.
    flock(file.fd, LOCK_EX | LOCK_NB);

    int error = 0;
    auto step = [&](bool ok) {
        if (!ok && error == 0) error = errno ? errno : EIO;
        return ok;
    };
    errno = 0;
    bool ok = step(write(file.fd));
    ok = ok && step(exists ? takeOwnerAndMode(file.fd, target) : fchmod(file.fd, newFileMode()) == 0);
    ok = ok && step(fsync(file.fd) == 0);
    ok = ok && (!file.name.empty() || step(nameNewFile(file, folder)));
    ok = ok && step(std::rename(file.name.c_str(), path.c_str()) == 0);
    if (!ok && !file.name.empty()) unlink(file.name.c_str());
    close(file.fd);  // its data is on disk already: fsync said so
    if (!ok) fail(givenPath, std::strerror(error) + std::string("."));
    syncFolder(folder);
}

}  // namespace host::xls
