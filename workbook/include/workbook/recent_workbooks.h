#pragma once
#include <string>
#include <vector>

namespace tallomer {

// The last eight workbooks opened or saved, newest first, kept in the file "recent" of the
// state folder, one path a line.
std::vector<std::string> recentWorkbooks(const std::string& folder);
// Puts `path` first (once); written beside and renamed over, so a crash leaves the old list.
void rememberWorkbook(const std::string& folder, const std::string& path);

}  // namespace tallomer
