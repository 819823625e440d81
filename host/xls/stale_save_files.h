#pragma once
// The temporary files a save writes beside its target, and the removal of those that a save
// killed before its rename left behind.
#include <string>

namespace host::xls {

// The start of every temporary file's name; six characters follow.
inline constexpr const char* kSaveFilePrefix = ".tallomer-save-";

// Removes from `folder` the temporary files of our own naming that no save is writing: older
// than an hour and not locked (a save holds a lock on its file from its creation until the
// rename). Anything it cannot remove is left; it never fails.
void removeStaleSaveFiles(const std::string& folder);

}  // namespace host::xls
