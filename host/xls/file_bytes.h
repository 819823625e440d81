#pragma once
// A whole file read into memory in one go.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace host::xls {

// Heap memory for a large buffer, faulted in ahead of use (one madvise call, on two threads
// for a large one) instead of a page fault per 4 KB as the buffer is first written.
class PrefaultedBuffer {
public:
    PrefaultedBuffer() = default;
    // Throws std::bad_alloc. Without `prefault`, the caller prefaults the parts it fills.
    explicit PrefaultedBuffer(std::size_t size, bool prefault = true);
    // Faults in the whole pages of bytes [offset, offset + count).
    void prefault(std::size_t offset, std::size_t count);
    ~PrefaultedBuffer();
    PrefaultedBuffer(PrefaultedBuffer&& other) noexcept;
    PrefaultedBuffer& operator=(PrefaultedBuffer&& other) noexcept;

    std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

// The bytes of a file, read with pread into prefaulted memory (a large file in two halves at
// once): a workbook of several megabytes would otherwise pay a page fault per 4 KB and a zero
// fill it overwrites at once. The file is read, not mapped, so a file changed or cut short by
// another program while it is open can only give damaged bytes, never a crash.
class FileBytes {
public:
    // Throws HostError: "cannot open ...", "cannot read ...", or a file too large to be a workbook.
    explicit FileBytes(const std::string& path);
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    std::span<const std::uint8_t> bytes() const { return {buffer_.data(), size_}; }

private:
    PrefaultedBuffer buffer_;
    std::size_t size_ = 0;
};

}  // namespace host::xls
