#pragma once
// Finds the workbook stream of an Excel 97-2003 file in its OLE2 compound-file container.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>

namespace host::xls {

// The "Workbook" stream of a compound file: either read where it lies in a file held in
// memory (when its sectors are consecutive, as in every file this program writes; that
// memory must then outlive this object), or gathered into a buffer of this object's own.
class WorkbookStreamBytes {
public:
    std::span<const std::uint8_t> bytes() const { return bytes_; }

private:
    WorkbookStreamBytes(std::unique_ptr<std::uint8_t[]> gathered, std::span<const std::uint8_t> bytes)
        : gathered_(std::move(gathered)), bytes_(bytes) {}
    friend WorkbookStreamBytes readWorkbookStream(std::span<const std::uint8_t> file);
    friend WorkbookStreamBytes readWorkbookStreamFromFile(const std::string& path);

    std::unique_ptr<std::uint8_t[]> gathered_;
    std::span<const std::uint8_t> bytes_;
};

// The workbook stream (named "Workbook" in any case) of a compound file in memory. Throws
// HostError saying why a file is not one: not a compound file, no workbook stream, a BIFF5
// "Book" stream, or a bare BIFF2-4 file.
WorkbookStreamBytes readWorkbookStream(std::span<const std::uint8_t> file);

// The same from the file at `path`: only the container's tables and the stream's own sectors
// are read, straight into the stream's memory. The file
// is read, not mapped, so a file changed or cut short by another program meanwhile can only
// give damaged bytes, never a crash. Also throws "cannot open ..." and "cannot read ...".
WorkbookStreamBytes readWorkbookStreamFromFile(const std::string& path);

}  // namespace host::xls
