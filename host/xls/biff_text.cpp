#include "xls/biff_text.h"

#include "xls/biff_record_writer.h"

namespace host::xls {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// One code point from UTF-8 at text[i]; advances i. Overlong forms, surrogates and truncated
// sequences give U+FFFD and consume one byte, so nothing malformed reaches the file.
char32_t nextCodePoint(std::string_view text, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    int extra = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        cp = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        cp = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        cp = lead & 0x07;
        minimum = 0x10000;
    } else {
        ++i;
        return kReplacement;
    }
    for (int k = 1; k <= extra; ++k) {
        if (i + k >= text.size() || (byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i += extra + 1;
    return cp;
}

}  // namespace

std::size_t biffUnitCount(std::string_view utf8) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < utf8.size();) units += nextCodePoint(utf8, i) >= 0x10000 ? 2 : 1;
    return units;
}

BiffText toBiffText(std::string_view utf8, std::size_t maxUnits) {
    BiffText out;
    out.units.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const char32_t cp = nextCodePoint(utf8, i);
        if (cp >= 0x10000) {
            if (out.units.size() + 2 > maxUnits) break;
            const char32_t v = cp - 0x10000;
            out.units.push_back(char16_t(0xD800 + (v >> 10)));
            out.units.push_back(char16_t(0xDC00 + (v & 0x3FF)));
        } else {
            if (out.units.size() + 1 > maxUnits) break;
            out.units.push_back(char16_t(cp));
        }
        if (cp > 0xFF) out.wide = true;
    }
    return out;
}

void writeBiffChars(BiffRecordWriter& out, const BiffText& text, std::size_t from, std::size_t count) {
    std::uint8_t* p = out.room(count * text.bytesPerChar());
    if (text.wide) {
        for (std::size_t k = from; k < from + count; ++k) {
            *p++ = std::uint8_t(text.units[k]);
            *p++ = std::uint8_t(text.units[k] >> 8);
        }
    } else {
        for (std::size_t k = from; k < from + count; ++k) *p++ = std::uint8_t(text.units[k]);
    }
}

void writeUnicodeString16(BiffRecordWriter& out, const BiffText& text) {
    out.u16(std::uint16_t(text.units.size()));
    out.u8(text.wide ? 1 : 0);
    writeBiffChars(out, text, 0, text.units.size());
}

void writeUnicodeString8(BiffRecordWriter& out, const BiffText& text) {
    out.u8(std::uint8_t(text.units.size()));
    out.u8(text.wide ? 1 : 0);
    writeBiffChars(out, text, 0, text.units.size());
}

}  // namespace host::xls
