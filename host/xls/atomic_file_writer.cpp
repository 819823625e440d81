#include "xls/atomic_file_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "host/host_error.h"
#include "xls/replaced_file_release.h"

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

// Saving through a symbolic link replaces the file it points at, not the link.
std::string resolveLink(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) == nullptr) return path;
    return resolved;
}

mode_t newFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

void syncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;   // the rename is done; syncing the folder only hastens its durability
    fsync(fd);
    close(fd);
}

// The file a save replaces, held across the rename. Its data goes when its last reference
// does, and for a large file that takes milliseconds (each of its cached pages is dropped):
// holding it lets that happen after the save rather than inside the rename.
int holdReplaced(const std::string& path, bool exists) {
#if defined(O_PATH)
    return exists ? open(path.c_str(), O_PATH | O_CLOEXEC) : -1;
#else
    (void)path;
    (void)exists;
    return -1;
#endif
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

    const std::string folder = folderOf(path);
    struct stat folderStat {};
    if (stat(folder.c_str(), &folderStat) != 0 || !S_ISDIR(folderStat.st_mode))
        fail(givenPath, "the folder \"" + folder + "\" does not exist.");

    std::string tempName = folder + "/.tallomer-save-XXXXXX";
    std::vector<char> buffer(tempName.begin(), tempName.end());
    buffer.push_back('\0');
    const int fd = mkstemp(buffer.data());
    if (fd < 0) fail(givenPath, std::strerror(errno) + std::string("."));
    tempName = buffer.data();

    int error = 0;
    auto step = [&](bool ok) {
        if (!ok && error == 0) error = errno ? errno : EIO;
        return ok;
    };
    errno = 0;
    bool ok = step(write(fd));
    ok = ok && step(fchmod(fd, exists ? (target.st_mode & 07777) : newFileMode()) == 0);
    ok = ok && step(fsync(fd) == 0);
    ok = step(close(fd) == 0) && ok;
    const int replaced = ok ? holdReplaced(path, exists) : -1;
    ok = ok && step(std::rename(tempName.c_str(), path.c_str()) == 0);
    if (!ok) {
        if (replaced >= 0) close(replaced);
        unlink(tempName.c_str());
        fail(givenPath, std::strerror(error) + std::string("."));
    }
    // The replaced file is handed over before the folder is synced: letting go of a large
    // file's blocks takes milliseconds of its own.
    releaseReplacedFile(replaced);
    syncFolder(folder);
}

}  // namespace host::xls
