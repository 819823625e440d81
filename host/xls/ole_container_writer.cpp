#include "xls/ole_container_writer.h"

#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "xls/writeback_hint.h"

// The file is a version 3 compound file laid out so that it is written front to back in one
// pass: the header, the workbook stream in consecutive sectors from sector 0, the FAT, the
// DIFAT sectors the FAT needs when it has more than the header's 109 places, and last the
// directory. Nothing goes to the mini stream: the workbook stream is never shorter than the
// cutoff.

namespace host::xls {
namespace {

constexpr std::size_t kSectorSize = 512;
constexpr std::size_t kEntriesPerSector = kSectorSize / 4;
constexpr std::size_t kHeaderDifatEntries = 109;
constexpr std::size_t kDirectoryEntrySize = 128;
// Readers of version 3 files take a stream's size as 32 bits, and some as signed.
constexpr std::uint64_t kMaxStreamSize = 0x80000000;

constexpr std::uint32_t kDifSect = 0xFFFFFFFC;
constexpr std::uint32_t kFatSect = 0xFFFFFFFD;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFreeSect = 0xFFFFFFFF;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;

// The disk starts on each megabyte while the next is handed over, so the fsync that ends the
// save waits for the last one only.
constexpr std::size_t kWritebackSlice = std::size_t(1) << 20;

std::size_t sectorsFor(std::size_t bytes) { return (bytes + kSectorSize - 1) / kSectorSize; }

void put16(std::uint8_t* at, std::uint16_t v) {
    at[0] = std::uint8_t(v);
    at[1] = std::uint8_t(v >> 8);
}

void put32(std::uint8_t* at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) at[i] = std::uint8_t(v >> (8 * i));
}

void put64(std::uint8_t* at, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) at[i] = std::uint8_t(v >> (8 * i));
}

// Where each part of the file lies, in sectors.
struct Layout {
    std::size_t streamSectors = 0;
    std::size_t fatSectors = 0;
    std::size_t difatSectors = 0;
    std::size_t fatStart() const { return streamSectors; }
    std::size_t difatStart() const { return fatStart() + fatSectors; }
    std::size_t directory() const { return difatStart() + difatSectors; }
    std::size_t total() const { return directory() + 1; }
};

// The FAT covers every sector, its own and the DIFAT's among them, and more FAT sectors may
// need more DIFAT sectors: grow both until they describe the file they are part of.
Layout layoutFor(std::size_t streamSize) {
    Layout layout;
    layout.streamSectors = sectorsFor(streamSize);
    for (;;) {
        const std::size_t fat = (layout.total() + kEntriesPerSector - 1) / kEntriesPerSector;
        const std::size_t beyondHeader = fat > kHeaderDifatEntries ? fat - kHeaderDifatEntries : 0;
        const std::size_t difat = (beyondHeader + kEntriesPerSector - 2) / (kEntriesPerSector - 1);
        if (fat == layout.fatSectors && difat == layout.difatSectors) return layout;
        layout.fatSectors = fat;
        layout.difatSectors = difat;
    }
}

void putHeader(std::uint8_t* h, const Layout& layout) {
    static constexpr std::uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::memcpy(h, kSignature, sizeof kSignature);
    put16(h + 24, 0x003E);  // minor version
    put16(h + 26, 0x0003);  // major version: 512-byte sectors
    put16(h + 28, 0xFFFE);  // little-endian
    put16(h + 30, 9);  // sector shift
    put16(h + 32, 6);  // mini sector shift
    put32(h + 44, std::uint32_t(layout.fatSectors));
    put32(h + 48, std::uint32_t(layout.directory()));
    put32(h + 56, 4096);  // mini stream cutoff
    put32(h + 60, kEndOfChain);  // no mini FAT
    put32(h + 68, layout.difatSectors ? std::uint32_t(layout.difatStart()) : kEndOfChain);
    put32(h + 72, std::uint32_t(layout.difatSectors));
    for (std::size_t i = 0; i < kHeaderDifatEntries; ++i)
        put32(h + 76 + 4 * i, i < layout.fatSectors ? std::uint32_t(layout.fatStart() + i) : kFreeSect);
}

// The sectors after the stream: FAT, DIFAT and directory.
std::vector<std::uint8_t> tableSectors(const Layout& layout, std::uint64_t streamSize) {
    std::vector<std::uint8_t> out((layout.fatSectors + layout.difatSectors + 1) * kSectorSize, 0);
    std::uint8_t* fat = out.data();
    for (std::size_t s = 0; s < layout.fatSectors * kEntriesPerSector; ++s) {
        std::uint32_t next = kFreeSect;
        if (s + 1 < layout.streamSectors)
            next = std::uint32_t(s + 1);
        else if (s + 1 == layout.streamSectors || s == layout.directory())
            next = kEndOfChain;
        else if (s >= layout.fatStart() && s < layout.difatStart())
            next = kFatSect;
        else if (s >= layout.difatStart() && s < layout.directory())
            next = kDifSect;
        put32(fat + 4 * s, next);
    }

    // Each DIFAT sector lists 127 more FAT sectors and ends with the next DIFAT sector.
    std::uint8_t* difat = fat + layout.fatSectors * kSectorSize;
    for (std::size_t d = 0; d < layout.difatSectors; ++d) {
        std::uint8_t* sector = difat + d * kSectorSize;
        for (std::size_t i = 0; i + 1 < kEntriesPerSector; ++i) {
            const std::size_t f = kHeaderDifatEntries + d * (kEntriesPerSector - 1) + i;
            put32(sector + 4 * i, f < layout.fatSectors ? std::uint32_t(layout.fatStart() + f) : kFreeSect);
        }
        const bool last = d + 1 == layout.difatSectors;
        put32(sector + kSectorSize - 4, last ? kEndOfChain : std::uint32_t(layout.difatStart() + d + 1));
    }

    // The root holds the workbook stream and nothing else; unused entries are empty ones.
    std::uint8_t* directory = difat + layout.difatSectors * kSectorSize;
    const auto entry = [&](std::size_t i, const char* name, std::uint8_t type, std::uint32_t child, std::uint32_t start,
                           std::uint64_t size) {
        std::uint8_t* e = directory + i * kDirectoryEntrySize;
        const std::size_t length = std::strlen(name);
        for (std::size_t c = 0; c < length; ++c) put16(e + 2 * c, std::uint8_t(name[c]));
        if (type != 0) put16(e + 64, std::uint16_t(2 * (length + 1)));
        e[66] = type;
        e[67] = type != 0 ? 1 : 0;  // black
        put32(e + 68, kNoStream);
        put32(e + 72, kNoStream);
        put32(e + 76, child);
        put32(e + 116, start);
        put64(e + 120, size);
    };
    entry(0, "Root Entry", 5, 1, kEndOfChain, 0);
    entry(1, "Workbook", 2, kNoStream, 0, streamSize);
    for (std::size_t i = 2; i < kSectorSize / kDirectoryEntrySize; ++i) entry(i, "", 0, kNoStream, 0, 0);
    return out;
}

// Hands pieces of memory to the file with as few writev calls as it can, starting writeback
// after each megabyte.
class FileSink {
public:
    explicit FileSink(int fd) : fd_(fd) {}

    bool add(const std::uint8_t* data, std::size_t size) {
        while (size > 0) {
            const std::size_t n = std::min(size, kWritebackSlice - sinceWriteback_);
            pending_.push_back({const_cast<std::uint8_t*>(data), n});
            data += n;
            size -= n;
            sinceWriteback_ += n;
            if (sinceWriteback_ == kWritebackSlice) {
                if (!flush()) return false;
                beginWriteback(fd_);
                sinceWriteback_ = 0;
            } else if (pending_.size() == kMaxPieces && !flush()) {
                return false;
            }
        }
        return true;
    }

    // Writes what is pending, through short writes and interruptions.
    bool flush() {
        iovec* piece = pending_.data();
        std::size_t left = pending_.size();
        while (left > 0) {
            const ssize_t written = writev(fd_, piece, int(left));
            if (written < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            if (written == 0) {  // no progress and no reason given
                errno = EIO;
                return false;
            }
            for (std::size_t done = std::size_t(written); done > 0;) {
                const std::size_t n = std::min(done, piece->iov_len);
                piece->iov_base = static_cast<std::uint8_t*>(piece->iov_base) + n;
                piece->iov_len -= n;
                done -= n;
                if (piece->iov_len == 0) {
                    ++piece;
                    --left;
                }
            }
        }
        pending_.clear();
        return true;
    }

private:
    static constexpr std::size_t kMaxPieces = IOV_MAX;
    int fd_;
    std::vector<iovec> pending_;
    std::size_t sinceWriteback_ = 0;
};

}  // namespace

bool writeCompoundFile(int fd, const std::vector<ByteSpan>& workbookStream) {
    std::uint64_t streamSize = 0;
    for (const ByteSpan& part : workbookStream) streamSize += part.size;
    // Trailing zero bytes after the last EOF are ignored by readers; they keep a small
    // workbook out of the mini stream.
    const std::size_t padding = streamSize < kMinWorkbookStreamSize ? kMinWorkbookStreamSize - streamSize : 0;
    streamSize += padding;
    if (streamSize > kMaxStreamSize) {
        errno = EFBIG;
        return false;
    }
    const Layout layout = layoutFor(streamSize);

    std::uint8_t header[kSectorSize] = {};
    putHeader(header, layout);
    static constexpr std::uint8_t kZeros[kMinWorkbookStreamSize] = {};
    const std::size_t sectorTail = layout.streamSectors * kSectorSize - streamSize;
    const std::vector<std::uint8_t> tables = tableSectors(layout, streamSize);

    FileSink sink(fd);
    bool ok = sink.add(header, sizeof header);
    for (const ByteSpan& part : workbookStream) ok = ok && sink.add(part.data, part.size);
    return ok && sink.add(kZeros, padding + sectorTail) && sink.add(tables.data(), tables.size()) && sink.flush();
}

}  // namespace host::xls
