#include "host/file_fingerprint.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace host {

// FNV-1a taken eight bytes at a time: a workbook of several megabytes is checked in about a
// millisecond. Not a cryptographic hash: it tells a changed file from an unchanged one, which
// is all it is for.
std::uint64_t fingerprintChecksum(const void* data, std::size_t size, std::uint64_t seed) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::uint64_t h = seed;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        h = (h ^ word) * 0x100000001b3ULL;
    }
    for (; i < size; ++i) h = (h ^ bytes[i]) * 0x100000001b3ULL;
    return h;
}

std::optional<FileFingerprint> fingerprintFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    FileFingerprint print;
    print.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    std::uint64_t h = 0xcbf29ce484222325ULL;
    std::vector<unsigned char> buffer(1 << 16);
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        // Checksummed in whole chunks: a short read would change where the eight-byte words
        // fall, so the chunk is topped up before it is taken in.
        std::size_t filled = static_cast<std::size_t>(n);
        while (filled < buffer.size()) {
            const ssize_t more = ::read(fd, buffer.data() + filled, buffer.size() - filled);
            if (more < 0) {
                ::close(fd);
                return std::nullopt;
            }
            if (more == 0) break;
            filled += static_cast<std::size_t>(more);
        }
        h = fingerprintChecksum(buffer.data(), filled, h);
        print.size += filled;
        if (filled < buffer.size()) break;
    }
    ::close(fd);
    print.checksum = h;
    return print;
}

}  // namespace host
