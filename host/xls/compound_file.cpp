#include "xls/compound_file.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "host/host_error.h"
#include "xls/biff_version.h"
#include "xls/byte_reader.h"

namespace host::xls {

namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kLastSectorNumber = 0xFFFFFFFA;  // above it: markers, not sectors
constexpr std::uint32_t kNoEntry = 0xFFFFFFFF;
constexpr std::size_t kHeaderSize = 512;
constexpr std::size_t kHeaderFatSectors = 109;  // FAT sector numbers the header itself lists
constexpr std::size_t kEntrySize = 128;
constexpr std::uint8_t kStreamEntry = 2;
constexpr std::uint8_t kRootEntry = 5;

[[noreturn]] void damagedContainer() {
    throw HostError("not an Excel 97-2003 workbook: the compound document is damaged");
}
[[noreturn]] void streamCutShort() {
    throw HostError("the workbook is damaged: its workbook stream cannot be read to the end");
}

// An entry's name, compared with an ASCII name in any case (names are UTF-16LE).
bool entryNamed(const std::uint8_t* entry, std::string_view name) {
    const std::size_t bytes = std::min<std::size_t>(loadU16(entry + 64), 64);
    if (bytes != (name.size() + 1) * 2) return false;  // the length counts the closing NUL
    for (std::size_t i = 0; i < name.size(); ++i) {
        const std::uint16_t c = loadU16(entry + 2 * i);
        const auto want = static_cast<unsigned char>(name[i]);
        if (c > 0x7F || std::tolower(static_cast<int>(c)) != std::tolower(want)) return false;
    }
    return true;
}

class CompoundFile {
public:
    CompoundFile(const ReadAt& read, std::uint64_t fileSize) : read_(read), fileSize_(fileSize) {
        readHeader();
        readFat();
        readDirectory();
    }

    StreamLayout workbookStream() const {
        const std::uint8_t* entry = findWorkbookEntry();
        const std::uint64_t size = entrySize(entry);
        if (size > fileSize_) {
            throw HostError("the workbook is damaged: its workbook stream claims more bytes than the file has");
        }
        StreamLayout layout;
        layout.size = static_cast<std::size_t>(size);
        if (size == 0) return layout;
        if (size < miniCutoff_) {
            miniStreamRuns(loadU32(entry + 116), layout);
        } else {
            bigStreamRuns(loadU32(entry + 116), layout);
        }
        return layout;
    }

private:
    void readHeader() {
        std::uint8_t h[kHeaderSize];
        if (fileSize_ < kHeaderSize || read_(0, h, kHeaderSize) != kHeaderSize) damagedContainer();
        majorVersion_ = loadU16(h + 26);
        const std::uint16_t byteOrder = loadU16(h + 28);
        const std::uint16_t shift = loadU16(h + 30);
        const std::uint16_t miniShift = loadU16(h + 32);
        // Version 3 files use 512-byte sectors, version 4 files 4096; nothing else is written.
        if (byteOrder != 0xFFFE || shift < 9 || shift > 16 || miniShift < 2 || miniShift >= shift) damagedContainer();
        sectorSize_ = std::size_t{1} << shift;
        miniSectorSize_ = std::size_t{1} << miniShift;
        // Sector n starts at (n + 1) sector sizes, after the header's own sector.
        sectorCount_ = fileSize_ > sectorSize_ ? (fileSize_ - sectorSize_ + sectorSize_ - 1) / sectorSize_ : 0;
        fatSectorCount_ = loadU32(h + 44);
        firstDirectorySector_ = loadU32(h + 48);
        miniCutoff_ = loadU32(h + 56);
        firstMiniFatSector_ = loadU32(h + 60);
        firstDifatSector_ = loadU32(h + 68);
        difatSectorCount_ = loadU32(h + 72);
        if (fatSectorCount_ > sectorCount_) damagedContainer();
        for (std::size_t i = 0; i < kHeaderFatSectors && fatSectors_.size() < fatSectorCount_; ++i) {
            const std::uint32_t s = loadU32(h + 76 + 4 * i);
            if (s > kLastSectorNumber) break;
            fatSectors_.push_back(s);
        }
    }

    // The whole sectors `first` to `first + count - 1`, which must lie in the file.
    void readSectors(std::uint32_t first, std::size_t count, std::uint8_t* into) const {
        if (first >= sectorCount_ || count > sectorCount_ - first) damagedContainer();
        const std::uint64_t offset = (std::uint64_t{first} + 1) * sectorSize_;
        if (read_(offset, into, count * sectorSize_) != count * sectorSize_) damagedContainer();
    }
    void readSector(std::uint32_t s, std::uint8_t* into) const { readSectors(s, 1, into); }

    void readFat() {
        std::vector<std::uint8_t> sector(sectorSize_);
        const std::size_t perSector = sectorSize_ / 4;
        // FAT sectors past the header's 109 are listed in a chain of DIFAT sectors, each
        // ending in the number of the next.
        std::vector<bool> seen(sectorCount_);
        std::uint32_t next = firstDifatSector_;
        for (std::uint32_t n = 0;
             fatSectors_.size() < fatSectorCount_ && n < difatSectorCount_ && next <= kLastSectorNumber; ++n) {
            if (next >= sectorCount_ || seen[next]) damagedContainer();
            seen[next] = true;
            readSector(next, sector.data());
            for (std::size_t i = 0; i + 1 < perSector && fatSectors_.size() < fatSectorCount_; ++i) {
                const std::uint32_t s = loadU32(sector.data() + 4 * i);
                if (s <= kLastSectorNumber) fatSectors_.push_back(s);
            }
            next = loadU32(sector.data() + 4 * (perSector - 1));
        }
        // Writers keep the FAT's sectors together: each run of neighbouring ones is one read,
        // straight into the table.
        fat_.resize(fatSectors_.size() * perSector);
        auto* bytes = reinterpret_cast<std::uint8_t*>(fat_.data());
        for (std::size_t i = 0, j = 0; i < fatSectors_.size(); i = j) {
            for (j = i + 1; j < fatSectors_.size() && fatSectors_[j] == fatSectors_[j - 1] + 1; ++j) {}
            readSectors(fatSectors_[i], j - i, bytes + i * sectorSize_);
        }
        for (std::size_t i = 0; i < fat_.size(); ++i) fat_[i] = loadU32(bytes + 4 * i);
    }

    // The sectors of the chain that starts at `start`, at most `limit` of them. Each must be a
    // sector the table describes, below `sectors`, and none may come twice.
    // Calls `visit` with each, and returns how many there were.
    template <typename Visit>
    static std::size_t walkChain(std::uint32_t start, std::size_t limit, const std::vector<std::uint32_t>& table,
                                 std::uint64_t sectors, Visit&& visit) {
        std::vector<bool> seen(table.size());
        std::size_t count = 0;
        for (std::uint32_t s = start; s != kEndOfChain && count < limit; ++count) {
            if (s >= table.size() || s >= sectors || seen[s]) damagedContainer();
            seen[s] = true;
            visit(s);
            s = table[s];
        }
        return count;
    }
    static std::vector<std::uint32_t> chain(std::uint32_t start, std::size_t limit,
                                            const std::vector<std::uint32_t>& table, std::uint64_t sectors) {
        std::vector<std::uint32_t> out;
        walkChain(start, limit, table, sectors, [&out](std::uint32_t s) { out.push_back(s); });
        return out;
    }

    void readDirectory() {
        const auto sectors = chain(firstDirectorySector_, sectorCount_, fat_, sectorCount_);
        directory_.resize(sectors.size() * sectorSize_);
        for (std::size_t i = 0; i < sectors.size(); ++i) readSector(sectors[i], directory_.data() + i * sectorSize_);
        entryCount_ = directory_.size() / kEntrySize;
        if (entryCount_ == 0 || directory_[66] != kRootEntry) damagedContainer();
    }

    const std::uint8_t* entry(std::uint32_t id) const { return directory_.data() + std::size_t{id} * kEntrySize; }

    // Stream sizes are 64 bits, of which version 3 files use only the low 32: the high half
    // may hold anything there.
    std::uint64_t entrySize(const std::uint8_t* e) const {
        const std::uint64_t low = loadU32(e + 120);
        return majorVersion_ == 3 ? low : low | (std::uint64_t{loadU32(e + 124)} << 32);
    }

    // The "Workbook" stream among the root storage's children (a tree kept by left and right
    // siblings); an embedded workbook's stream, deeper down, is not the file's own.
    const std::uint8_t* findWorkbookEntry() const {
        std::vector<bool> seen(entryCount_);
        std::vector<std::uint32_t> todo = {loadU32(entry(0) + 76)};
        bool book = false;
        while (!todo.empty()) {
            const std::uint32_t id = todo.back();
            todo.pop_back();
            if (id == kNoEntry || id >= entryCount_ || seen[id]) continue;
            seen[id] = true;
            const std::uint8_t* e = entry(id);
            if (e[66] == kStreamEntry && entryNamed(e, "Workbook")) return e;
            if (e[66] == kStreamEntry && entryNamed(e, "Book")) book = true;
            todo.push_back(loadU32(e + 68));
            todo.push_back(loadU32(e + 72));
        }
        if (book) throw HostError(olderFormatMessage(BiffVersion::Biff5));
        throw HostError("not an Excel 97-2003 workbook: the file has no workbook stream");
    }

    // Adds bytes [offset, offset + size) of the file to the layout, joined to the run before
    // when they follow it.
    void addRun(StreamLayout& layout, std::uint64_t offset, std::size_t size) const {
        if (offset > fileSize_ || size > fileSize_ - offset) streamCutShort();
        if (!layout.runs.empty() && layout.runs.back().offset + layout.runs.back().size == offset) {
            layout.runs.back().size += size;
        } else {
            layout.runs.push_back({offset, size});
        }
    }

    void bigStreamRuns(std::uint32_t start, StreamLayout& layout) const {
        const std::size_t count = (layout.size + sectorSize_ - 1) / sectorSize_;
        // A large stream has thousands of sectors, mostly in a row: they go into the layout as
        // they are found, as runs.
        std::size_t left = layout.size;
        const std::size_t found = walkChain(start, count, fat_, sectorCount_, [&](std::uint32_t s) {
            const std::size_t n = std::min(left, sectorSize_);
            addRun(layout, (std::uint64_t{s} + 1) * sectorSize_, n);
            left -= n;
        });
        if (found < count) streamCutShort();
    }

    // A small stream lies in the mini stream: 64-byte sectors inside the root entry's own
    // stream, chained by the mini FAT.
    void miniStreamRuns(std::uint32_t start, StreamLayout& layout) const {
        const std::uint8_t* root = entry(0);
        const std::uint64_t rootSize = std::min(entrySize(root), fileSize_);
        const auto container =
            chain(loadU32(root + 116), (rootSize + sectorSize_ - 1) / sectorSize_, fat_, sectorCount_);
        std::vector<std::uint32_t> miniFat;
        std::vector<std::uint8_t> sector(sectorSize_);
        for (const std::uint32_t s : chain(firstMiniFatSector_, sectorCount_, fat_, sectorCount_)) {
            readSector(s, sector.data());
            for (std::size_t j = 0; j < sectorSize_ / 4; ++j) miniFat.push_back(loadU32(sector.data() + 4 * j));
        }
        const std::uint64_t miniSectors = std::uint64_t{container.size()} * (sectorSize_ / miniSectorSize_);
        const std::size_t count = (layout.size + miniSectorSize_ - 1) / miniSectorSize_;
        const auto minis = chain(start, count, miniFat, miniSectors);
        if (minis.size() < count) streamCutShort();
        std::size_t left = layout.size;
        for (const std::uint32_t m : minis) {
            const std::uint64_t at = std::uint64_t{m} * miniSectorSize_;
            const std::uint32_t s = container[static_cast<std::size_t>(at / sectorSize_)];
            const std::size_t n = std::min(left, miniSectorSize_);
            addRun(layout, (std::uint64_t{s} + 1) * sectorSize_ + at % sectorSize_, n);
            left -= n;
        }
    }

    const ReadAt& read_;
    std::uint64_t fileSize_;
    std::uint16_t majorVersion_ = 3;
    std::size_t sectorSize_ = 512;
    std::size_t miniSectorSize_ = 64;
    std::uint64_t sectorCount_ = 0;
    std::uint32_t fatSectorCount_ = 0;
    std::uint32_t firstDirectorySector_ = kEndOfChain;
    std::uint32_t miniCutoff_ = 4096;
    std::uint32_t firstMiniFatSector_ = kEndOfChain;
    std::uint32_t firstDifatSector_ = kEndOfChain;
    std::uint32_t difatSectorCount_ = 0;
    std::vector<std::uint32_t> fatSectors_;
    std::vector<std::uint32_t> fat_;
    std::vector<std::uint8_t> directory_;
    std::size_t entryCount_ = 0;
};

}  // namespace

StreamLayout locateWorkbookStream(const ReadAt& read, std::uint64_t fileSize) {
    return CompoundFile(read, fileSize).workbookStream();
}

}  // namespace host::xls
