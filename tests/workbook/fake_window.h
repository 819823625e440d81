#pragma once
#include <array>
#include <string>
#include <vector>

#include "workbook/main_window.h"

// A main window without a display: records what the sheet code does to it.
class FakeWindow : public tallomer::MainWindow {
public:
    std::array<std::string, 27> boxes;  // Text1..Text26
    bool focusInDateBox = false;
    bool processingVisible = true;
    bool shown = false;
    std::string title;
    std::vector<std::string> messages;
    int processingShownCount = 0;

    std::string boxText(int box) const override { return boxes.at(box); }
    void setBoxText(int box, const std::string& text) override { boxes.at(box) = text; }
    void focusDateBox() override { focusInDateBox = true; }
    void setProcessingVisible(bool visible) override {
        processingVisible = visible;
        if (visible) ++processingShownCount;
    }
    void setCaption(const std::string& caption) override { title = caption; }
    std::string caption() const override { return title; }
    void showWindow() override { shown = true; }
    void message(const std::string& text) override { messages.push_back(text); }

    void type(const std::string& date, const std::string& orders, const std::string& value, const std::string& refunds,
              const std::string& refundValue, const std::string& visitors) {
        boxes[1] = date;
        boxes[2] = orders;
        boxes[3] = value;
        boxes[4] = refunds;
        boxes[5] = refundValue;
        boxes[6] = visitors;
    }
};
