#pragma once
// Replacing a file all at once: the new content is written beside the target and renamed over
// it only when complete and on disk, so a failure, or a save killed half-way, leaves the old
// file as it was and, on Linux, no temporary file either.
#include <functional>
#include <string>

namespace host::xls {

// Calls `write` with the descriptor of the new file, which lives in the target's folder;
// `write` returns false, errno saying why, when it failed. The new file takes the replaced
// file's mode, and its owner and group where the saver may give them. Throws HostError, with
// a message a person can read, when the file cannot be written (no temporary file is left
// behind then) or when the existing file is read-only for the saver ("book.xls is
// read-only."). Before writing it removes temporary files that killed saves left in the
// folder long ago.
void writeFileAtomically(const std::string& path, const std::function<bool(int fd)>& write);

}  // namespace host::xls
