#pragma once
#include <string>

namespace tallomer {

class Documents;

// The save branch of the file dialog's button: the host writes the workbook to `path`
// (atomically: a failed save leaves the old file as it was).
void saveBranch(Documents& d, const std::string& path);

// The open branch: `path` is empty when no file is selected. The new workbook is read and
// shown first; the current one is closed only then. A failed open leaves the current
// workbook, the boxes, the caption and the flags as they were, and says why.
void openBranch(Documents& d, const std::string& path);

// What a successful save or open ends with: focus in the date box, the path in the caption,
// Saved and Named "True", "Processing ..." hidden.
void completeFileOperation(Documents& d, const std::string& path);

}  // namespace tallomer
