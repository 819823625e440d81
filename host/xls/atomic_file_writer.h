#pragma once
// Replacing a file all at once: the new content is written beside the target and renamed over
// it only when complete and on disk, so a failure leaves the old file as it was.
#include <functional>
#include <string>

namespace host::xls {

// Calls `write` with the descriptor of a temporary file in the target's folder; `write`
// returns false, errno saying why, when it failed. Throws HostError, with a message a person can read, when the file cannot be
// written; no temporary file is left behind then. The file replaced is let go (its space
// and cached pages freed) after the new one is in place, see host/replaced_files.h.
void writeFileAtomically(const std::string& path, const std::function<bool(int fd)>& write);

}  // namespace host::xls
