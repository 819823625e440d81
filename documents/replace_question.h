#pragma once
#include <string>

namespace tallomer {

class Documents;

// Before the file dialog saves over an existing file that is not the workbook's own: asks
// "<name> already exists and holds N entries. Replace it?" (or "... is not a statistics
// workbook. Replace it?"), "Replace" or "Cancel", Cancel the default. True when the save may go
// on: no such file, the workbook's own file, or Replace.
bool mayReplace(Documents& d, const std::string& path);

// What the question says about the file at `path`.
std::string replaceQuestionText(const std::string& path);

}  // namespace tallomer
