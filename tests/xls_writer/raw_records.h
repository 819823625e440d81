#pragma once
// The records of a BIFF8 workbook stream, as they lie, for tests that look at what the writer
// put where.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace writer_test {

struct RawRecord {
    std::uint16_t type;
    std::vector<std::uint8_t> data;
    std::uint16_t u16(std::size_t at) const { return std::uint16_t(data.at(at) | data.at(at + 1) << 8); }
    std::uint32_t u32(std::size_t at) const { return std::uint32_t(u16(at)) | std::uint32_t(u16(at + 2)) << 16; }
};

inline std::vector<RawRecord> records(const std::vector<std::uint8_t>& s) {
    std::vector<RawRecord> out;
    for (std::size_t pos = 0; pos + 4 <= s.size();) {
        const std::size_t len = s[pos + 2] | s[pos + 3] << 8;
        out.push_back({std::uint16_t(s[pos] | s[pos + 1] << 8), {s.begin() + pos + 4, s.begin() + pos + 4 + len}});
        pos += 4 + len;
    }
    return out;
}

}  // namespace writer_test
