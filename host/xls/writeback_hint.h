#pragma once
// Starting the disk write of a file's data while more is still being produced, so the fsync
// that ends a save waits for the last part only, not for all of it.
#include <cstdio>

namespace host::xls {

// Asks the system to begin writing to disk whatever `file` has handed to it so far, without
// waiting and without flushing the stream's own buffer. Only a hint: durability still comes
// from fsync, and failures show there.
void beginWriteback(std::FILE* file);

}  // namespace host::xls
