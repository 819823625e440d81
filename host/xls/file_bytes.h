#pragma once
// A whole file read into memory in one go.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace host::xls {

// The bytes of a file, read with read() into memory mapped up front: a workbook of several
// megabytes would otherwise pay a page fault per 4 KB and a zero fill it overwrites at once.
// The file is read, not mapped, so a file changed or cut short by another program while it is
// open can only give damaged bytes, never a crash.
class FileBytes {
public:
    // Throws HostError: "cannot open ...", "cannot read ...", or a file too large to be a workbook.
    explicit FileBytes(const std::string& path);
    ~FileBytes();
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    std::span<const std::uint8_t> bytes() const { return {data_, size_}; }

private:
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t mapped_ = 0;
};

}  // namespace host::xls
