#pragma once
// Builds a BIFF8 record stream in memory: records are opened, filled with little-endian fields
// and closed, which patches their length.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace host::xls {

// The most data one BIFF8 record may carry; longer content continues in CONTINUE records.
inline constexpr std::size_t kMaxRecordData = 8224;

class BiffRecordWriter {
public:
    BiffRecordWriter() { bytes_.reserve(1 << 16); }

    // Starts a record; its length is filled in by endRecord().
    void beginRecord(std::uint16_t type);
    void endRecord();
    // A whole record whose body is already at hand.
    void record(std::uint16_t type, const std::uint8_t* body, std::size_t size);
    void emptyRecord(std::uint16_t type) { record(type, nullptr, 0); }
    void u16Record(std::uint16_t type, std::uint16_t value);

    void u8(std::uint8_t v) { bytes_.push_back(v); }
    void u16(std::uint16_t v) {
        std::uint8_t b[2] = {std::uint8_t(v), std::uint8_t(v >> 8)};
        bytes_.insert(bytes_.end(), b, b + 2);
    }
    void u32(std::uint32_t v) {
        std::uint8_t b[4] = {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16),
                             std::uint8_t(v >> 24)};
        bytes_.insert(bytes_.end(), b, b + 4);
    }
    void f64(double v) {
        std::uint64_t bits;
        std::memcpy(&bits, &v, 8);
        u32(std::uint32_t(bits));
        u32(std::uint32_t(bits >> 32));
    }
    void raw(const std::uint8_t* data, std::size_t size) { bytes_.insert(bytes_.end(), data, data + size); }
    void zeros(std::size_t count) { bytes_.insert(bytes_.end(), count, 0); }

    // Bytes written so far: the stream offset of whatever comes next.
    std::size_t position() const { return bytes_.size(); }
    // Data bytes of the open record so far.
    std::size_t recordDataSize() const { return bytes_.size() - recordStart_ - 4; }
    // Overwrites a 32-bit field already written (BOUNDSHEET offsets).
    void patchU32(std::size_t at, std::uint32_t v);

    std::vector<std::uint8_t>& bytes() { return bytes_; }
    std::vector<std::uint8_t> take() { return std::move(bytes_); }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t recordStart_ = 0;
    bool open_ = false;
};

}  // namespace host::xls
