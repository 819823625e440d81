#pragma once
// Where the workbook stream lies in an OLE2 compound file: the header, the sector allocation
// table (FAT), the directory and the mini stream, read through a narrow "read these bytes"
// function, so the same code serves a file in memory and a file on disk read piece by piece.
#include <cstdint>
#include <functional>
#include <vector>

namespace host::xls {

// Copies up to `count` bytes from `offset` of the compound file into `into`; returns how many
// it copied, fewer only past the end of the file. Throws HostError when the file cannot be read.
using ReadAt = std::function<std::size_t(std::uint64_t offset, std::uint8_t* into, std::size_t count)>;

// A run of consecutive bytes of the file.
struct ByteRun {
    std::uint64_t offset = 0;
    std::size_t size = 0;
};

// The workbook stream as runs of the file's bytes, in stream order; adjacent sectors are
// joined, so a stream stored in consecutive sectors is one run. Every run lies inside the file.
struct StreamLayout {
    std::vector<ByteRun> runs;
    std::size_t size = 0;
};

// The compound file's size in bytes, up to which `read` answers.
// Throws HostError saying why a file is not a workbook: a damaged compound document, no
// workbook stream (or a BIFF5 "Book" stream), a stream that claims more than the file holds or
// whose sectors cannot be followed to its end. Every sector number, count and chain read from
// the file is checked; a chain that loops is damage, never a hang.
StreamLayout locateWorkbookStream(const ReadAt& read, std::uint64_t fileSize);

}  // namespace host::xls
