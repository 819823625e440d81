#include "documents/save_target_check.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "documents/documents.h"
#include "documents/replace_question.h"
#include "host/application.h"
#include "host/file_fingerprint.h"

namespace tallomer {

namespace {

std::string fileNameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool sameFile(const std::string& a, const std::string& b) {
    if (a == b) return true;
    struct stat sa {
    }, sb{};
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// Root, for whom permissions do not apply, may replace a read-only file; an immutable one
// refuses everyone.
bool isReadOnly(const std::string& path) {
    return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 && (errno == EACCES || errno == EPERM);
}

}  // namespace

bool mayWriteTo(Documents& d, const std::string& path) {
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return true;
    const std::string name = fileNameOf(path);
    if (isReadOnly(path)) {
        d.main.message(name + " is read-only.");
        return false;
    }
    const host::Workbook* workbook = d.state.xlApp->activeWorkbook();
    if (workbook == nullptr || workbook->path().empty() || !workbook->fileFingerprint() ||
        !sameFile(path, workbook->path())) {
        return true;
    }
    if (host::fingerprintFile(path) == workbook->fileFingerprint()) return true;
    return askReplace(QString::fromStdString(
        name + " was changed by another program since you opened it. Replace it with this workbook?"));
}

}  // namespace tallomer
