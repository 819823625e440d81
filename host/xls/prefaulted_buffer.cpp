#include "xls/prefaulted_buffer.h"

#include "both_at_once.h"

#include <sys/mman.h>
#include <unistd.h>

#include <utility>

namespace host::xls {

PrefaultedBuffer::PrefaultedBuffer(std::size_t size, bool prefault) {
    if (size == 0) return;
    data_ = new std::uint8_t[size];
    size_ = size;
    if (!prefault) return;
    // A large buffer is faulted in by two threads, half each.
    if (size < kTwoThreadsBytes) {
        this->prefault(0, size);
        return;
    }
    const std::size_t half = size / 2;
    bothAtOnce([this, half] { this->prefault(0, half); }, [this, half] { this->prefault(half, size_ - half); });
}

void PrefaultedBuffer::prefault(std::size_t offset, std::size_t count) {
#if defined(MADV_POPULATE_WRITE)
    // One call for all the pages; where the kernel does not know the advice, they are
    // faulted in as they are written.
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto from = reinterpret_cast<std::uintptr_t>(data_ + offset);
    const auto start = (from + page - 1) / page * page;
    const auto end = (from + count) / page * page;
    if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
#else
    (void)offset;
    (void)count;
#endif
}

PrefaultedBuffer::~PrefaultedBuffer() { delete[] data_; }

PrefaultedBuffer::PrefaultedBuffer(PrefaultedBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

PrefaultedBuffer& PrefaultedBuffer::operator=(PrefaultedBuffer&& other) noexcept {
    if (this != &other) {
        delete[] data_;
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

}  // namespace host::xls
