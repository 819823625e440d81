// The format choice: opening looks at a file's first bytes, saving at the name's ending.
#include "host/workbook_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "host/host_error.h"
#include "xls/load_workbook_bytes.h"
#include "xlsx/xlsx_reader.h"
#include "xlsx/xlsx_writer.h"

namespace host {

namespace {
// The whole file when it starts as a zip does; empty otherwise (the .xls reader reads its own).
std::vector<std::uint8_t> zipFileBytes(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    std::vector<std::uint8_t> bytes(4);
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || read(fd, bytes.data(), 4) != 4 || !xlsx::looksLikeXlsx(bytes)) {
        close(fd);
        return {};
    }
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 4;
    while (done < bytes.size()) {
        const ssize_t n = read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            close(fd);
            throw HostError("\"" + path + "\" cannot be read: " + (n < 0 ? std::strerror(errno) : "it ended early"));
        }
        done += static_cast<std::size_t>(n);
    }
    close(fd);
    return bytes;
}
}  // namespace

std::unique_ptr<Workbook> loadWorkbookFile(const std::string& path) {
    const std::vector<std::uint8_t> zip = zipFileBytes(path);
    if (zip.empty()) return xls::loadXlsFile(path);
    auto workbook = xlsx::loadXlsxBytes(zip);
    workbook->setPath(path);
    return workbook;
}

Workbook::FileFormat fileFormatForName(const std::string& path) {
    constexpr std::string_view ext = ".xlsx";
    if (path.size() < ext.size()) return Workbook::FileFormat::Xls;
    for (std::size_t i = 0; i < ext.size(); ++i) {
        const char c = path[path.size() - ext.size() + i];
        if ((c >= 'A' && c <= 'Z' ? c | 0x20 : c) != ext[i]) return Workbook::FileFormat::Xls;
    }
    return Workbook::FileFormat::Xlsx;
}

void saveWorkbookFile(const Workbook& workbook, const std::string& path) {
    saveWorkbookFile(workbook, path, fileFormatForName(path));
}

void saveWorkbookFile(const Workbook& workbook, const std::string& path, Workbook::FileFormat format) {
    if (format == Workbook::FileFormat::Xlsx) {
        xlsx::saveXlsxFile(workbook, path);
    } else {
        xls::saveXlsFile(workbook, path);
    }
}

}  // namespace host
