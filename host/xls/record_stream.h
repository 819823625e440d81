#pragma once
// Walks the records of a BIFF8 workbook stream: a 2-byte id, a 2-byte length, the body.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace host::xls {

struct BiffRecord {
    std::uint16_t id = 0;
    std::span<const std::uint8_t> data;
    std::size_t offset = 0;  // of the record header in the stream
};

class RecordStream {
public:
    explicit RecordStream(std::span<const std::uint8_t> stream) : stream_(stream) {}

    // The next record; false at the end of the stream (a few bytes of padding included).
    // Throws HostError when a record's length runs past the end of the stream.
    bool next(BiffRecord& out);
    std::optional<std::uint16_t> peekId() const;

    // Appends the bodies of the CONTINUE records that follow, consuming them.
    void collectContinues(std::vector<std::span<const std::uint8_t>>& segments);

    std::size_t offset() const { return pos_; }
    void seek(std::size_t offset) { pos_ = offset; }
    std::size_t size() const { return stream_.size(); }
    std::span<const std::uint8_t> bytes() const { return stream_; }

private:
    std::span<const std::uint8_t> stream_;
    std::size_t pos_ = 0;
};

}  // namespace host::xls
