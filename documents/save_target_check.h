#pragma once
#include <string>

namespace tallomer {

class Documents;

// What is checked before a save writes to `path`, so that a save never takes away what the
// user or another program meant to keep:
// - an existing file the user may not write to is refused with "<name> is read-only.";
// - when `path` is the active workbook's own file and another program (or another Tallomer)
//   has changed it since this run read or wrote it, the user is asked "<name> was changed by
//   another program since you opened it. Replace it with this workbook?", Cancel the default.
// Returns whether the save may go ahead. A file that has gone is no reason to stop: nothing
// of it can be lost.
bool mayWriteTo(Documents& d, const std::string& path);

}  // namespace tallomer
