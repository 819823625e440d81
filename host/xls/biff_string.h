#pragma once
// BIFF8 strings: a character count, a flag byte (bit 0: two bytes per character, bit 2:
// Far-East data follows, bit 3: rich-text runs follow), the characters, then the runs and the
// Far-East block. A string may continue into the next CONTINUE record, where the characters go
// on after a fresh flag byte that says their width.
#include <cstdint>
#include <span>
#include <string>

namespace host::xls {

// Reads across record boundaries: the first segment is the record body, the others its
// CONTINUE records. Every read is checked; a short read throws HostError.
class ContinuedReader {
public:
    ContinuedReader(std::span<const std::span<const std::uint8_t>> segments, const char* what);

    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    void skip(std::size_t n);
    bool atEnd();
    std::size_t offsetInSegment() const { return pos_; }

    // A string with a 16-bit (or 8-bit) character count, as UTF-8 appended to `out`.
    void unicodeString(std::string& out, bool eightBitCount = false);

private:
    void characters(std::size_t count, bool wide, std::string& out);
    bool advanceSegment();
    std::span<const std::span<const std::uint8_t>> segments_;
    std::size_t segment_ = 0;
    std::size_t pos_ = 0;
    const char* what_;
};

// Appends a code point as UTF-8.
void appendUtf8(std::string& out, std::uint32_t codePoint);

// A string inside one record body, starting at `bytes`; `consumed` receives its size in bytes.
std::string readRecordString(std::span<const std::uint8_t> bytes, bool eightBitCount, const char* what,
                             std::size_t* consumed = nullptr);

}  // namespace host::xls
