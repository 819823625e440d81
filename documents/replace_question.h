#pragma once
// The questions before a file is replaced: modal boxes titled "Tallomer" with the buttons
// "Replace" and "Cancel", Cancel the default (Enter and Escape both cancel).
#include <functional>
#include <string>

#include <QString>

namespace tallomer {

class Documents;

// Whether the user answered Replace.
bool askReplace(const QString& question);

// Tests answer the question through a handler instead, so that no box waits for a click; an
// empty handler brings the real box back.
using ReplaceQuestionHandler = std::function<bool(const QString& question)>;
void setReplaceQuestionHandler(ReplaceQuestionHandler handler);

// Before the file dialog saves over an existing file that is not the workbook's own: asks
// "<name> already exists and holds N entries. Replace it?" (or "... is not a statistics
// workbook. Replace it?"), "Replace" or "Cancel", Cancel the default. True when the save may go
// on: no such file, the workbook's own file, or Replace.
bool mayReplace(Documents& d, const std::string& path);

// What the question says about the file at `path`.
std::string replaceQuestionText(const std::string& path);

}  // namespace tallomer
