#include "xls/continued_record_writer.h"

#include <algorithm>

#include "xls/biff_constants.h"

namespace host::xls {

ContinuedRecordWriter::ContinuedRecordWriter(BiffRecordWriter& out, std::uint16_t type) : out_(out) {
    out_.beginRecord(type);
}

void ContinuedRecordWriter::startContinue() {
    out_.endRecord();
    out_.beginRecord(kContinue);
}

void ContinuedRecordWriter::reserve(std::size_t bytes) {
    if (room() < bytes) startContinue();
}

ContinuedRecordWriter::Place ContinuedRecordWriter::writeString(const BiffText& text) {
    const std::size_t count = text.units.size();
    const std::size_t perChar = text.bytesPerChar();
    // The header with at least the first character (both halves of a surrogate pair) stays
    // in one record.
    reserve(3 + (count ? 2 * perChar : 0));
    const Place place{out_.position(), out_.recordDataSize() + 4};
    out_.u16(std::uint16_t(count));
    out_.u8(text.wide ? 1 : 0);
    std::size_t done = 0;
    while (done < count) {
        std::size_t n = std::min(count - done, room() / perChar);
        // Readers decode each record's part on its own: never split a surrogate pair.
        const auto high = [](char16_t u) { return u >= 0xD800 && u <= 0xDBFF; };
        if (n > 0 && done + n < count && high(text.units[done + n - 1])) --n;
        writeBiffChars(out_, text, done, n);
        done += n;
        if (done < count) {
            startContinue();
            out_.u8(text.wide ? 1 : 0);
        }
    }
    return place;
}

void ContinuedRecordWriter::finish() { out_.endRecord(); }

}  // namespace host::xls
