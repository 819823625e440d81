#pragma once
// Starting the disk write of a file's data while more is still being produced, so the fsync
// that ends a save waits for the last part only, not for all of it.

namespace host::xls {

// Asks the system to begin writing to disk whatever has been written to `fd` so far, without
// waiting. Only a hint: durability still comes from fsync, and failures show there.
void beginWriteback(int fd);

}  // namespace host::xls
