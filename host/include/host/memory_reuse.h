#pragma once
#include <cstddef>
#include <thread>

namespace host {

// Opening and saving a large workbook go through buffers of megabytes, one after another: the
// file's bytes, the workbook stream, the cell store, the records of a save. By default the C
// library hands such buffers back to the system when they are freed, and the next one is
// fresh memory that costs a page fault per 4 KB on first use (more than copying the data).
// Kept instead, the memory of one step serves the next. Called once, first thing in main.
void reuseFreedMemory();

// Room in the heap for about `bytes` of allocations about to come (the workbook stream, the
// cells of a workbook being opened, the records of its save), in 2 MB pages where the system
// offers them, faulted in by a thread of its own while the caller goes on: a page fault per
// 4 KB, taken one by one as the cells arrive, costs more than reading them. The room is free heap memory at once, for any allocation to use; the
// object only waits for the thread when it goes. Does nothing unless reuseFreedMemory() was
// called: otherwise a block this large is a mapping of its own, gone again when freed.
class HeapRoom {
public:
    // The first `callerFills` bytes go to a buffer the caller fills at once; they are left to it.
    explicit HeapRoom(std::size_t bytes, std::size_t callerFills = 0);
    ~HeapRoom();
    HeapRoom(const HeapRoom&) = delete;
    HeapRoom& operator=(const HeapRoom&) = delete;

private:
    std::thread filler_;
};

}  // namespace host
