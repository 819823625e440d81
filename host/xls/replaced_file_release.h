#pragma once
// Letting go of the file a save has replaced, after the save (see host/replaced_files.h).

namespace host::xls {

// Takes over `fd`, the replaced file held across the rename (nothing when it is negative).
void releaseReplacedFile(int fd);

}  // namespace host::xls
