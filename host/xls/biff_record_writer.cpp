#include "xls/biff_record_writer.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace host::xls {

BiffRecordWriter::~BiffRecordWriter() { delete[] data_; }

void BiffRecordWriter::swap(BiffRecordWriter& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
    std::swap(recordStart_, other.recordStart_);
}

void BiffRecordWriter::grow(std::size_t atLeast) {
    // Not zero-filled: every byte up to size_ is written before it is read.
    std::size_t capacity = std::max(capacity_ * 2, size_ + atLeast);
    // Plain heap memory: huge pages would spare some page faults, but the kernel may stall a
    // save for tens of milliseconds compacting memory to find them.
    auto* bigger = new std::uint8_t[capacity];
    if (size_) std::memcpy(bigger, data_, size_);
    delete[] data_;
    data_ = bigger;
    capacity_ = capacity;
}

void BiffRecordWriter::endRecord() {
    const std::size_t size = recordDataSize();
    // Callers split long content themselves; a longer record would be unreadable.
    if (size > kMaxRecordData) throw std::logic_error("BIFF record too long");
    data_[recordStart_ + 2] = std::uint8_t(size);
    data_[recordStart_ + 3] = std::uint8_t(size >> 8);
}

void BiffRecordWriter::record(std::uint16_t type, const std::uint8_t* body, std::size_t size) {
    beginRecord(type);
    raw(body, size);
    endRecord();
}

void BiffRecordWriter::u16Record(std::uint16_t type, std::uint16_t value) {
    beginRecord(type);
    u16(value);
    endRecord();
}

void BiffRecordWriter::erase(std::size_t offset, std::size_t count) {
    if (offset + count > size_) throw std::logic_error("erase past the end of the stream");
    std::memmove(data_ + offset, data_ + offset + count, size_ - offset - count);
    size_ -= count;
}

void BiffRecordWriter::patchU32(std::size_t at, std::uint32_t v) {
    if (at + 4 > size_) throw std::logic_error("patch past the end of the stream");
    for (int i = 0; i < 4; ++i) data_[at + i] = std::uint8_t(v >> (8 * i));
}

}  // namespace host::xls
