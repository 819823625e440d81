#include "xls/file_bytes.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <utility>

#include "host/host_error.h"

namespace host::xls {

namespace {

// Larger than any workbook the .xls format can describe sensibly; refused before reading.
constexpr std::uint64_t kMaxFileSize = std::uint64_t{1} << 30;

struct FileDescriptor {
    int fd;
    ~FileDescriptor() {
        if (fd >= 0) close(fd);
    }
};

}  // namespace

PrefaultedBuffer::PrefaultedBuffer(std::size_t size) {
    if (size == 0) return;
    data_ = new std::uint8_t[size];
    size_ = size;
#if defined(MADV_POPULATE_WRITE)
    // The whole pages inside the buffer, faulted in with one call; where the kernel does not
    // know the advice, they are faulted in as they are written.
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto start = (reinterpret_cast<std::uintptr_t>(data_) + page - 1) / page * page;
    const auto end = (reinterpret_cast<std::uintptr_t>(data_) + size) / page * page;
    if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
#endif
}

PrefaultedBuffer::~PrefaultedBuffer() { delete[] data_; }

PrefaultedBuffer::PrefaultedBuffer(PrefaultedBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

PrefaultedBuffer& PrefaultedBuffer::operator=(PrefaultedBuffer&& other) noexcept {
    if (this != &other) {
        delete[] data_;
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

FileBytes::FileBytes(const std::string& path) {
    FileDescriptor file{open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0) throw HostError("cannot open " + path + ": " + std::strerror(errno));
    struct stat st {};
    if (fstat(file.fd, &st) != 0) throw HostError("cannot read " + path + ": " + std::strerror(errno));
    if (S_ISDIR(st.st_mode)) throw HostError("cannot read " + path + ": " + std::strerror(EISDIR));
    if (static_cast<std::uint64_t>(st.st_size) > kMaxFileSize) {
        throw HostError("not an Excel 97-2003 workbook: the file is too large");
    }
    try {
        buffer_ = PrefaultedBuffer(static_cast<std::size_t>(st.st_size));
    } catch (const std::bad_alloc&) {
        throw HostError("cannot read " + path + ": " + std::strerror(ENOMEM));
    }
    // Reads until the end of the file or of the room taken: a file that grew since fstat is
    // read as far as it was then, one that shrank as far as it goes now.
    while (size_ < buffer_.size()) {
        const ssize_t n = read(file.fd, buffer_.data() + size_, buffer_.size() - size_);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            throw HostError("cannot read " + path + ": " + std::strerror(errno));
        }
        size_ += static_cast<std::size_t>(n);
    }
}

}  // namespace host::xls
