#pragma once

namespace host {

// A save puts the new file in place of the old one, whose blocks the system frees once nothing
// holds it: on a file system that discards freed blocks, milliseconds for a large workbook. By
// default a thread of the program lets the old file go after the save. A command that ends
// right after its save calls this first thing in main: the old file is then let go by a small
// process of its own once the command has ended, so that whoever waits for the command does
// not wait for that too.
void releaseReplacedFilesAfterExit();

}  // namespace host
