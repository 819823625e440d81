#pragma once
// Little-endian reads from a byte span that never step past its end: a short read throws
// HostError naming the damaged record, so every length and count taken from a file is checked
// at the place it is used.
#include <cstdint>
#include <cstring>
#include <span>

#include "host/host_error.h"

namespace host::xls {

[[noreturn]] void throwDamaged(const char* what);

class ByteReader {
public:
    ByteReader(std::span<const std::uint8_t> bytes, const char* what) : bytes_(bytes), what_(what) {}

    std::size_t position() const { return pos_; }
    std::size_t remaining() const { return bytes_.size() - pos_; }
    bool atEnd() const { return pos_ >= bytes_.size(); }

    std::uint8_t u8() {
        need(1);
        return bytes_[pos_++];
    }
    std::uint16_t u16() {
        need(2);
        const std::uint16_t v = static_cast<std::uint16_t>(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
        pos_ += 2;
        return v;
    }
    std::uint32_t u32() {
        need(4);
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | bytes_[pos_ + i];
        pos_ += 4;
        return v;
    }
    double f64() {
        need(8);
        std::uint64_t bits = 0;
        for (int i = 7; i >= 0; --i) bits = (bits << 8) | bytes_[pos_ + i];
        pos_ += 8;
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    std::span<const std::uint8_t> take(std::size_t n) {
        need(n);
        auto s = bytes_.subspan(pos_, n);
        pos_ += n;
        return s;
    }
    void skip(std::size_t n) {
        need(n);
        pos_ += n;
    }
    std::span<const std::uint8_t> rest() const { return bytes_.subspan(pos_); }

private:
    void need(std::size_t n) const {
        if (n > bytes_.size() - pos_) throwDamaged(what_);
    }
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    const char* what_;
};

// Plain little-endian loads for callers that checked the length already.
inline std::uint16_t loadU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
inline std::uint32_t loadU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline double loadF64(const std::uint8_t* p) {
    std::uint64_t bits = static_cast<std::uint64_t>(loadU32(p)) | (static_cast<std::uint64_t>(loadU32(p + 4)) << 32);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

}  // namespace host::xls
