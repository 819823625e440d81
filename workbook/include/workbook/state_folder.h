#pragma once
#include <string>

namespace tallomer {

// Where the program keeps what lives between runs (the journals of unsaved entries, the recent
// workbooks): $XDG_STATE_HOME/tallomer, or ~/.local/state/tallomer when that is not set (or
// not an absolute path, as the XDG rules say). Not created here.
std::string stateFolder();

// Creates the folder and its parents (mode 0700) when missing; false when it cannot be made.
bool makeStateFolder(const std::string& folder);

}  // namespace tallomer
