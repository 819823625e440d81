#pragma once
// Text as BIFF8 stores it: UTF-16 code units, written "compressed" (one byte per character)
// when every character fits in Latin-1, else as UTF-16LE.
#include <cstdint>
#include <string>
#include <string_view>

namespace host::xls {

class BiffRecordWriter;

// The most characters a cell's text may hold in the format.
inline constexpr std::size_t kMaxCellTextChars = 32767;

struct BiffText {
    std::u16string units;
    bool wide = false;  // some character above U+00FF
    std::size_t bytesPerChar() const { return wide ? 2 : 1; }
};

// Decodes UTF-8 (a malformed byte becomes U+FFFD) and cuts the text to `maxUnits` code units
// without splitting a surrogate pair.
BiffText toBiffText(std::string_view utf8, std::size_t maxUnits = kMaxCellTextChars);

// The UTF-16 code units of the text as toBiffText reads it, uncut.
std::size_t biffUnitCount(std::string_view utf8);

// Writes the characters units[from, from+count) in the text's width.
void writeBiffChars(BiffRecordWriter& out, const BiffText& text, std::size_t from, std::size_t count);

// XLUnicodeString with a 16-bit (or 8-bit, for sheet names and formula strings) length:
// count, flag byte, characters. Only for text known to fit in the record.
void writeUnicodeString16(BiffRecordWriter& out, const BiffText& text);
void writeUnicodeString8(BiffRecordWriter& out, const BiffText& text);

}  // namespace host::xls
