#pragma once
#include <array>
#include <string>
#include <vector>

#include "workbook/main_window.h"

namespace tallomer::testing {

// The main window as the document commands see it, recording what they did to it.
class FakeMainWindow : public MainWindow {
public:
    std::array<std::string, 27> boxes{};  // 1..26
    std::string title = "Tallomer";
    bool visible = true;
    bool processing = false;
    int dateBoxFocused = 0;
    std::vector<std::string> messages;

    std::string boxText(int box) const override { return boxes.at(box); }
    void setBoxText(int box, const std::string& text) override { boxes.at(box) = text; }
    void focusDateBox() override { ++dateBoxFocused; }
    void setProcessingVisible(bool shown) override { processing = shown; }
    void setCaption(const std::string& caption) override { title = caption; }
    std::string caption() const override { return title; }
    void showWindow() override { visible = true; }
    void message(const std::string& text) override { messages.push_back(text); }
};

}  // namespace tallomer::testing
