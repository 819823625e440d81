#include "xls/file_bytes.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>
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

// Files (and buffers) from this size on are read (and faulted in) by two threads.
constexpr std::size_t kTwoReadersBytes = std::size_t{2} << 20;

struct ReadPart {
    std::size_t offset;
    std::size_t count;
    std::size_t done = 0;
    int error = 0;
};

// Reads bytes [offset, offset + count) of the file into the same place in `buffer`, until
// the end of the file; the memory is faulted in first, in one call.
void readPart(int fd, PrefaultedBuffer& buffer, ReadPart& part) {
    buffer.prefault(part.offset, part.count);
    while (part.done < part.count) {
        const ssize_t n = pread(fd, buffer.data() + part.offset + part.done, part.count - part.done,
                                static_cast<off_t>(part.offset + part.done));
        if (n == 0) return;
        if (n < 0) {
            if (errno == EINTR) continue;
            part.error = errno;
            return;
        }
        part.done += static_cast<std::size_t>(n);
    }
}

}  // namespace

PrefaultedBuffer::PrefaultedBuffer(std::size_t size, bool prefault) {
    if (size == 0) return;
    data_ = new std::uint8_t[size];
    size_ = size;
    if (!prefault) return;
    // A large buffer is faulted in by two threads, half each.
    const std::size_t half = size >= kTwoReadersBytes ? size / 2 : size;
    std::thread helper;
    if (half < size) {
        try {
            helper = std::thread([this, half] { this->prefault(half, size_ - half); });
        } catch (const std::system_error&) {
            this->prefault(half, size - half);
        }
    }
    this->prefault(0, half);
    if (helper.joinable()) helper.join();
}

void PrefaultedBuffer::prefault(std::size_t offset, std::size_t count) {
#if defined(MADV_POPULATE_WRITE)
    // One call for all the pages; where the kernel does not know the advice, they are
    // faulted in as they are written.
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto from = reinterpret_cast<std::uintptr_t>(data_ + offset);
    const auto start = (from + page - 1) / page * page;
    const auto end = (from + count) / page * page;
    if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
#else
    (void)offset;
    (void)count;
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
    const auto expected = static_cast<std::size_t>(st.st_size);
    try {
        buffer_ = PrefaultedBuffer(expected, false);
    } catch (const std::bad_alloc&) {
        throw HostError("cannot read " + path + ": " + std::strerror(ENOMEM));
    }
    // A large file is read in two halves at once, each on its own core, its memory faulted in
    // by the thread that fills it. A file that grew since fstat is read as far as it was then,
    // one that shrank as far as it goes now.
    const std::size_t half = expected >= kTwoReadersBytes ? expected / 2 : expected;
    ReadPart second{half, expected - half};
    std::thread helper;
    if (second.count > 0) {
        try {
            helper = std::thread([&] { readPart(file.fd, buffer_, second); });
        } catch (const std::system_error&) {
            readPart(file.fd, buffer_, second);   // no thread to be had: one after the other
        }
    }
    ReadPart first{0, half};
    readPart(file.fd, buffer_, first);
    if (helper.joinable()) helper.join();
    for (const ReadPart* part : {&first, &second}) {
        if (part->error) throw HostError("cannot read " + path + ": " + std::strerror(part->error));
    }
    size_ = first.done < first.count ? first.done : first.count + second.done;
}

}  // namespace host::xls
