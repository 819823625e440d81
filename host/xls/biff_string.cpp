#include "xls/biff_string.h"

#include "xls/byte_reader.h"

namespace host::xls {

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

ContinuedReader::ContinuedReader(std::span<const std::span<const std::uint8_t>> segments, const char* what)
    : segments_(segments), what_(what) {}

bool ContinuedReader::advanceSegment() {
    while (segment_ < segments_.size() && pos_ >= segments_[segment_].size()) {
        if (segment_ + 1 >= segments_.size()) return false;
        ++segment_;
        pos_ = 0;
    }
    return segment_ < segments_.size();
}

bool ContinuedReader::atEnd() { return !advanceSegment(); }

std::uint8_t ContinuedReader::u8() {
    if (!advanceSegment()) throwDamaged(what_);
    return segments_[segment_][pos_++];
}

std::uint16_t ContinuedReader::u16() {
    const std::uint16_t lo = u8();
    return static_cast<std::uint16_t>(lo | (u8() << 8));
}

std::uint32_t ContinuedReader::u32() {
    const std::uint32_t lo = u16();
    return lo | (static_cast<std::uint32_t>(u16()) << 16);
}

void ContinuedReader::skip(std::size_t n) {
    while (n > 0) {
        if (!advanceSegment()) throwDamaged(what_);
        const std::size_t step = std::min(n, segments_[segment_].size() - pos_);
        pos_ += step;
        n -= step;
    }
}

void ContinuedReader::characters(std::size_t count, bool wide, std::string& out) {
    std::uint32_t pendingHigh = 0;  // a high surrogate waiting for its partner
    if (segment_ >= segments_.size()) throwDamaged(what_);
    while (count > 0) {
        if (pos_ >= segments_[segment_].size()) {
            // The characters go on in the next CONTINUE record, after a flag byte of their own.
            if (segment_ + 1 >= segments_.size()) throwDamaged(what_);
            ++segment_;
            pos_ = 0;
            if (segments_[segment_].empty()) throwDamaged(what_);
            wide = (segments_[segment_][pos_++] & 0x01) != 0;
            continue;
        }
        const auto seg = segments_[segment_];
        if (!wide) {
            const std::size_t n = std::min(count, seg.size() - pos_);
            for (std::size_t i = 0; i < n; ++i) {
                const std::uint8_t c = seg[pos_ + i];
                if (c < 0x80) {
                    out.push_back(static_cast<char>(c));
                } else {
                    appendUtf8(out, c);
                }
            }
            pos_ += n;
            count -= n;
            continue;
        }
        if (seg.size() - pos_ < 2) throwDamaged(what_);
        const std::uint32_t unit = loadU16(seg.data() + pos_);
        pos_ += 2;
        --count;
        if (pendingHigh != 0) {
            if (unit >= 0xDC00 && unit <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((pendingHigh - 0xD800) << 10) + (unit - 0xDC00));
                pendingHigh = 0;
                continue;
            }
            appendUtf8(out, 0xFFFD);
            pendingHigh = 0;
        }
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            pendingHigh = unit;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            appendUtf8(out, 0xFFFD);
        } else {
            appendUtf8(out, unit);
        }
    }
    if (pendingHigh != 0) appendUtf8(out, 0xFFFD);
}

void ContinuedReader::unicodeString(std::string& out, bool eightBitCount) {
    const std::size_t count = eightBitCount ? u8() : u16();
    const std::uint8_t flags = u8();
    const bool wide = (flags & 0x01) != 0;
    const bool farEast = (flags & 0x04) != 0;
    const bool rich = (flags & 0x08) != 0;
    std::size_t runs = rich ? u16() : 0;
    std::size_t farEastSize = farEast ? u32() : 0;
    characters(count, wide, out);
    skip(runs * 4);
    skip(farEastSize);
}

std::string readRecordString(std::span<const std::uint8_t> bytes, bool eightBitCount, const char* what,
                             std::size_t* consumed) {
    const std::span<const std::uint8_t> one[1] = {bytes};
    ContinuedReader reader(one, what);
    std::string out;
    reader.unicodeString(out, eightBitCount);
    if (consumed) *consumed = reader.offsetInSegment();
    return out;
}

}  // namespace host::xls
