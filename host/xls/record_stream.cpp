#include "xls/record_stream.h"

#include "xls/biff_constants.h"
#include "xls/byte_reader.h"

namespace host::xls {

bool RecordStream::next(BiffRecord& out) {
    if (pos_ >= stream_.size() || stream_.size() - pos_ < 4) return false;
    const std::uint8_t* p = stream_.data() + pos_;
    const std::uint16_t length = loadU16(p + 2);
    if (length > stream_.size() - pos_ - 4) throwDamaged("a record runs past the end of the workbook stream");
    out.id = loadU16(p);
    out.data = stream_.subspan(pos_ + 4, length);
    out.offset = pos_;
    pos_ += 4 + std::size_t{length};
    return true;
}

std::optional<std::uint16_t> RecordStream::peekId() const {
    if (pos_ >= stream_.size() || stream_.size() - pos_ < 4) return std::nullopt;
    return loadU16(stream_.data() + pos_);
}

void RecordStream::collectContinues(std::vector<std::span<const std::uint8_t>>& segments) {
    BiffRecord r;
    while (peekId() == kContinue && next(r)) segments.push_back(r.data);
}

}  // namespace host::xls
