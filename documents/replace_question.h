#pragma once
// The question before a file is replaced: a modal box titled "Tallomer" with the buttons
// "Replace" and "Cancel", Cancel the default (Enter and Escape both cancel).
#include <functional>

#include <QString>

namespace tallomer {

// Whether the user answered Replace.
bool askReplace(const QString& question);

// Tests answer the question through a handler instead, so that no box waits for a click; an
// empty handler brings the real box back.
using ReplaceQuestionHandler = std::function<bool(const QString& question)>;
void setReplaceQuestionHandler(ReplaceQuestionHandler handler);

}  // namespace tallomer
