#pragma once
// Builds a BIFF8 record stream in memory: records are opened, filled with little-endian fields
// and closed, which patches their length.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace host::xls {

// The most data one BIFF8 record may carry; longer content continues in CONTINUE records.
inline constexpr std::size_t kMaxRecordData = 8224;

// Little-endian fields stored at `p`, for records laid out in one piece.
inline void store16(std::uint8_t* p, std::uint16_t v) {
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}
inline void store32(std::uint8_t* p, std::uint32_t v) {
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
    p[2] = std::uint8_t(v >> 16);
    p[3] = std::uint8_t(v >> 24);
}
inline void storeF64(std::uint8_t* p, double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, 8);
    store32(p, std::uint32_t(bits));
    store32(p + 4, std::uint32_t(bits >> 32));
}

class BiffRecordWriter {
public:
    explicit BiffRecordWriter(std::size_t capacity = 1 << 16) { grow(capacity); }
    ~BiffRecordWriter();
    BiffRecordWriter(BiffRecordWriter&& other) noexcept { swap(other); }
    BiffRecordWriter& operator=(BiffRecordWriter&& other) noexcept {
        swap(other);
        return *this;
    }

    // Starts a record; its length is filled in by endRecord().
    void beginRecord(std::uint16_t type) {
        recordStart_ = size_;
        u16(type);
        u16(0);
    }
    void endRecord();
    // A whole record whose body is already at hand.
    void record(std::uint16_t type, const std::uint8_t* body, std::size_t size);
    void emptyRecord(std::uint16_t type) { record(type, nullptr, 0); }
    void u16Record(std::uint16_t type, std::uint16_t value);

    void u8(std::uint8_t v) { *room(1) = v; }
    void u16(std::uint16_t v) { store16(room(2), v); }
    void u32(std::uint32_t v) { store32(room(4), v); }
    void f64(double v) { storeF64(room(8), v); }
    void raw(const std::uint8_t* data, std::size_t size) {
        if (size) std::memcpy(room(size), data, size);
    }
    void fill(std::size_t count, std::uint8_t byte) { std::memset(room(count), byte, count); }
    void zeros(std::size_t count) { fill(count, 0); }
    // Space for `n` bytes at the end, to be written by the caller.
    std::uint8_t* room(std::size_t n) {
        if (size_ + n > capacity_) grow(n);
        std::uint8_t* p = data_ + size_;
        size_ += n;
        return p;
    }

    // Bytes written so far: the stream offset of whatever comes next.
    std::size_t position() const { return size_; }
    // Data bytes of the open record so far.
    std::size_t recordDataSize() const { return size_ - recordStart_ - 4; }
    // Overwrites a 32-bit field already written (BOUNDSHEET offsets).
    void patchU32(std::size_t at, std::uint32_t v);
    // Bytes already written, to be filled in later (space kept for records whose content
    // becomes known only afterwards).
    std::uint8_t* at(std::size_t offset) { return data_ + offset; }
    // Removes `count` bytes at `offset`, moving what follows back.
    void erase(std::size_t offset, std::size_t count);

    const std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }
    void clear() { size_ = 0; }
    std::vector<std::uint8_t> copy() const { return {data_, data_ + size_}; }

private:
    void grow(std::size_t atLeast);
    void swap(BiffRecordWriter& other) noexcept;
    std::uint8_t* data_ = nullptr;  // new[]
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    std::size_t recordStart_ = 0;
};

}  // namespace host::xls
