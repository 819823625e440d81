#include "xls/biff_record_writer.h"

#include <cassert>
#include <stdexcept>

namespace host::xls {

void BiffRecordWriter::beginRecord(std::uint16_t type) {
    assert(!open_);
    recordStart_ = bytes_.size();
    open_ = true;
    u16(type);
    u16(0);
}

void BiffRecordWriter::endRecord() {
    assert(open_);
    const std::size_t size = recordDataSize();
    // Callers split long content themselves; a longer record would be unreadable.
    if (size > kMaxRecordData) throw std::logic_error("BIFF record too long");
    bytes_[recordStart_ + 2] = std::uint8_t(size);
    bytes_[recordStart_ + 3] = std::uint8_t(size >> 8);
    open_ = false;
}

void BiffRecordWriter::record(std::uint16_t type, const std::uint8_t* body, std::size_t size) {
    beginRecord(type);
    if (size) raw(body, size);
    endRecord();
}

void BiffRecordWriter::u16Record(std::uint16_t type, std::uint16_t value) {
    beginRecord(type);
    u16(value);
    endRecord();
}

void BiffRecordWriter::patchU32(std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_.at(at + i) = std::uint8_t(v >> (8 * i));
}

}  // namespace host::xls
