#include "xls/ole_container_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

#include "host/host_error.h"
#include "xls/biff_version.h"
#include "xls/compound_file.h"

namespace host::xls {

namespace {

constexpr std::uint8_t kOleSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
// Larger than any workbook the .xls format can describe sensibly; refused before reading.
constexpr std::uint64_t kMaxFileSize = std::uint64_t{1} << 30;
// Enough of a file's start to tell what it is.
constexpr std::size_t kStartBytes = 512;

// Says what a file is when it is no compound file: an older Excel's, a zip archive, other.
void requireCompoundFile(std::span<const std::uint8_t> start, std::uint64_t fileSize) {
    if (fileSize == 0) throw HostError("not an Excel 97-2003 workbook: the file is empty");
    if (start.size() >= sizeof kOleSignature && std::memcmp(start.data(), kOleSignature, sizeof kOleSignature) == 0)
        return;
    // Excel 2.1 to 4.0 wrote their records straight into the file, without a container.
    if (const auto older = olderBiffVersion(start)) throw HostError(olderFormatMessage(*older));
    if (start.size() >= 4 && std::memcmp(start.data(), "PK\x03\x04", 4) == 0) {
        throw HostError(
            "not an Excel 97-2003 workbook: the file is a zip archive, such as a newer Excel (.xlsx) workbook");
    }
    throw HostError("not an Excel 97-2003 workbook: the file is not an OLE2 compound document");
}

std::unique_ptr<std::uint8_t[]> streamBuffer(std::size_t size) {
    try {
        return std::make_unique_for_overwrite<std::uint8_t[]>(size);
    } catch (const std::bad_alloc&) {
        throw HostError("the workbook is too large to open: no memory for its workbook stream");
    }
}

struct FileDescriptor {
    int fd;
    ~FileDescriptor() {
        if (fd >= 0) close(fd);
    }
};

// Reads until `count` bytes are in or the file ends; returns how many came, or -1 with errno.
ssize_t readFully(int fd, std::uint8_t* into, std::size_t count, std::uint64_t offset) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = pread(fd, into + done, count - done, static_cast<off_t>(offset + done));
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

// Stream bytes [from, to) read from their runs in the file into the same place of `buffer`.
struct StreamPart {
    std::size_t from;
    std::size_t to;
    int error = 0;
    bool cutShort = false;
};

void readStreamPart(int fd, const std::vector<ByteRun>& runs, std::uint8_t* buffer, StreamPart& part) {
    std::size_t runStart = 0;
    for (const ByteRun& run : runs) {
        const std::size_t runEnd = runStart + run.size;
        const std::size_t a = std::max(runStart, part.from);
        const std::size_t b = std::min(runEnd, part.to);
        if (a < b) {
            const ssize_t n = readFully(fd, buffer + a, b - a, run.offset + (a - runStart));
            if (n < 0) {
                part.error = errno;
                return;
            }
            if (static_cast<std::size_t>(n) < b - a) {
                part.cutShort = true;  // the file shrank since its container was read
                return;
            }
        }
        runStart = runEnd;
        if (runStart >= part.to) return;
    }
}

}  // namespace

WorkbookStreamBytes readWorkbookStream(std::span<const std::uint8_t> file) {
    requireCompoundFile(file.first(std::min(file.size(), kStartBytes)), file.size());
    const ReadAt read = [file](std::uint64_t offset, std::uint8_t* into, std::size_t count) -> std::size_t {
        if (offset >= file.size()) return 0;
        const std::size_t n = std::min<std::uint64_t>(count, file.size() - offset);
        std::memcpy(into, file.data() + offset, n);
        return n;
    };
    const StreamLayout layout = locateWorkbookStream(read, file.size());
    if (layout.runs.size() == 1) return WorkbookStreamBytes({}, file.subspan(layout.runs[0].offset, layout.size));
    auto gathered = streamBuffer(layout.size);
    std::size_t at = 0;
    for (const ByteRun& run : layout.runs) {
        std::memcpy(gathered.get() + at, file.data() + run.offset, run.size);
        at += run.size;
    }
    const std::span<const std::uint8_t> bytes(gathered.get(), layout.size);
    return WorkbookStreamBytes(std::move(gathered), bytes);
}

WorkbookStreamBytes readWorkbookStreamFromFile(const std::string& path) {
    // Without blocking: opening a named pipe would otherwise wait for a writer, for ever.
    FileDescriptor file{open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    if (file.fd < 0) throw HostError("cannot open " + path + ": " + std::strerror(errno));
    auto cannotRead = [&path](int error) { return HostError("cannot read " + path + ": " + std::strerror(error)); };
    struct stat st {};
    if (fstat(file.fd, &st) != 0) throw cannotRead(errno);
    if (S_ISDIR(st.st_mode)) throw cannotRead(EISDIR);
    if (!S_ISREG(st.st_mode)) throw HostError("cannot read " + path + ": it is not a regular file");
    if (static_cast<std::uint64_t>(st.st_size) > kMaxFileSize) {
        throw HostError("not an Excel 97-2003 workbook: the file is too large");
    }
    const auto fileSize = static_cast<std::uint64_t>(st.st_size);

    std::uint8_t start[kStartBytes];
    const ssize_t got = readFully(file.fd, start, std::min<std::uint64_t>(fileSize, kStartBytes), 0);
    if (got < 0) throw cannotRead(errno);
    requireCompoundFile({start, static_cast<std::size_t>(got)}, fileSize);

    const ReadAt read = [&](std::uint64_t offset, std::uint8_t* into, std::size_t count) -> std::size_t {
        const ssize_t n = readFully(file.fd, into, count, offset);
        if (n < 0) throw cannotRead(errno);
        return static_cast<std::size_t>(n);
    };
    const StreamLayout layout = locateWorkbookStream(read, fileSize);

    auto buffer = streamBuffer(layout.size);
    StreamPart whole{0, layout.size};
    readStreamPart(file.fd, layout.runs, buffer.get(), whole);
    if (whole.error) throw cannotRead(whole.error);
    if (whole.cutShort) throw HostError("the workbook is damaged: its workbook stream cannot be read to the end");
    const std::span<const std::uint8_t> bytes(buffer.get(), layout.size);
    return WorkbookStreamBytes(std::move(buffer), bytes);
}

}  // namespace host::xls
