#pragma once
#include <string>
#include <vector>

#include "app/message_box.h"

// Answers every message box at once and remembers its text; the real box comes back when the
// recorder goes.
class MessageRecorder {
public:
    MessageRecorder() {
        tallomer::setMessageBoxHandler([this](QWidget*, const QString& text) { texts.push_back(text.toStdString()); });
    }
    ~MessageRecorder() { tallomer::setMessageBoxHandler({}); }
    std::vector<std::string> texts;
};
