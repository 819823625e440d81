#pragma once
// The temporary files a save writes beside its target, and the removal of those that a save
// killed before its rename left behind.
#include <string>

namespace host::xls {

// The start of a temporary file's name; six characters follow. A file named so from its
// creation (where the system has no unnamed files):
inline constexpr const char* kSaveFilePrefix = ".tallomer-save-";
// A complete file, given its name just before the rename over the target, and locked by its
// save from before it had a name until the rename:
inline constexpr const char* kFinishedSaveFilePrefix = ".tallomer-saved-";

// Removes from `folder` the temporary files of our own naming that no save is writing: not
// locked (a save holds a lock on its file until the rename) and, for a file named from its
// creation, which is not yet locked in its first instant, older than an hour. Anything it
// cannot remove is left; it never fails.
void removeStaleSaveFiles(const std::string& folder);

}  // namespace host::xls
