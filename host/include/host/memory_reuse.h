#pragma once

namespace host {

// Opening and saving a large workbook go through buffers of megabytes, one after another: the
// file's bytes, the workbook stream, the cell store, the records of a save. By default the C
// library hands such buffers back to the system when they are freed, and the next one is
// fresh memory that costs a page fault per 4 KB on first use (more than copying the data).
// Kept instead, the memory of one step serves the next. Called once, first thing in main.
void reuseFreedMemory();

}  // namespace host
