#include "xls/stale_save_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <ctime>

namespace host::xls {
namespace {

constexpr std::time_t kStaleAfterSeconds = 60 * 60;

bool named(const char* name, const char* prefix) {
    const std::size_t length = std::strlen(prefix);
    return std::strncmp(name, prefix, length) == 0 && std::strlen(name) == length + 6;
}

void removeIfStale(int folder, const char* name, bool mayBeYoung, std::time_t now) {
    struct stat seen {};
    if (fstatat(folder, name, &seen, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(seen.st_mode)) return;
    if (!mayBeYoung && now - seen.st_mtim.tv_sec < kStaleAfterSeconds) return;
    const int fd = openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    // The lock tells a file some save is still writing from one it left behind; and the name
    // must still be the file that was locked.
    struct stat locked {};
    if (flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &locked) == 0 &&
        fstatat(folder, name, &seen, AT_SYMLINK_NOFOLLOW) == 0 && seen.st_dev == locked.st_dev &&
        seen.st_ino == locked.st_ino) {
        unlinkat(folder, name, 0);
    }
    close(fd);
}

}  // namespace

void removeStaleSaveFiles(const std::string& folder) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return;
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = readdir(dir)) {
        if (named(entry->d_name, kFinishedSaveFilePrefix)) {
            removeIfStale(dirfd(dir), entry->d_name, true, now);
        } else if (named(entry->d_name, kSaveFilePrefix)) {
            removeIfStale(dirfd(dir), entry->d_name, false, now);
        }
    }
    closedir(dir);
}

}  // namespace host::xls
