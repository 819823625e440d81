#include "workbook/text_file_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace tallomer {

void WriteTextFileAtomically(const std::string& path, const std::string& bytes) {
    std::string name = path + ".tallomer-XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0) throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
    std::size_t done = 0;
    bool ok = true;
    while (ok && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        ok = n > 0;
        if (ok) done += static_cast<std::size_t>(n);
    }
    ok = ok && ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0;
    const int writeError = errno;
    ok = ::close(fd) == 0 && ok;
    if (!ok || std::rename(name.c_str(), path.c_str()) != 0) {
        const int error = ok ? errno : writeError;
        ::unlink(name.c_str());
        throw std::runtime_error("cannot write " + path + ": " + std::strerror(error));
    }
}

}  // namespace tallomer
