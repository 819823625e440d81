#pragma once
// Finds the workbook stream of an Excel 97-2003 file in its OLE2 compound-file container.
#include <cstdint>
#include <memory>
#include <span>

#include "xls/file_bytes.h"

namespace host::xls {

// The "Workbook" stream of a compound file held in memory. Where the container stores the
// stream in consecutive sectors (as every file this program writes does), the bytes are read
// where they lie in the file, without a copy; otherwise they are gathered once into a buffer
// of this object's own. The file's bytes must outlive this object.
class WorkbookStreamBytes {
public:
    WorkbookStreamBytes(WorkbookStreamBytes&&) noexcept;
    WorkbookStreamBytes& operator=(WorkbookStreamBytes&&) noexcept;
    ~WorkbookStreamBytes();

    std::span<const std::uint8_t> bytes() const { return bytes_; }
    // True when the bytes are this object's own copy, not the file's bytes read in place.
    bool gathered() const { return gathered_.data() != nullptr; }

private:
    struct Container;  // the container objects the bytes belong to
    WorkbookStreamBytes(std::unique_ptr<Container> container, PrefaultedBuffer gathered,
                        std::span<const std::uint8_t> bytes);
    friend WorkbookStreamBytes readWorkbookStream(std::span<const std::uint8_t> file);

    std::unique_ptr<Container> container_;
    PrefaultedBuffer gathered_;  // the stream's bytes when they lie scattered in the file
    std::span<const std::uint8_t> bytes_;
};

// The workbook stream (named "Workbook" in any case). Throws HostError saying why a file is
// not one: not a compound file, no workbook stream, a BIFF5 "Book" stream, or a bare BIFF2-4
// file.
WorkbookStreamBytes readWorkbookStream(std::span<const std::uint8_t> file);

}  // namespace host::xls
