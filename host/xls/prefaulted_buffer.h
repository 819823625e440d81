#pragma once
// Memory for a large buffer, faulted in at once.
#include <cstddef>
#include <cstdint>

namespace host::xls {

// Sizes from which a buffer is faulted in (and a file read into it) by two threads at once.
inline constexpr std::size_t kTwoThreadsBytes = std::size_t{2} << 20;

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

}  // namespace host::xls
