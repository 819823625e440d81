#pragma once
#include <array>
#include <string>
#include <vector>

#include "workbook/entry_texts.h"
#include "workbook/main_window.h"

namespace tallomer {

// The main window's boxes without a window, for the command line and the import: Submit and
// ShowResults fill it exactly as they fill the real one, and the messages they would show are
// kept instead of shown.
class HeadlessWindow : public MainWindow {
public:
    std::string boxText(int box) const override { return boxes_.at(box); }
    void setBoxText(int box, const std::string& text) override { boxes_.at(box) = text; }
    void focusDateBox() override {}
    void setProcessingVisible(bool) override {}
    void setCaption(const std::string& caption) override { caption_ = caption; }
    std::string caption() const override { return caption_; }
    void showWindow() override {}
    void message(const std::string& text) override { messages_.push_back(text); }

    // Puts the six texts into Text1 to Text6, as if typed.
    void type(const EntryTexts& texts) {
        for (int field = 0; field < kEntryFieldCount; ++field) boxes_[1 + field] = texts[field];
    }
    const std::vector<std::string>& messages() const { return messages_; }
    void clearMessages() { messages_.clear(); }

private:
    std::array<std::string, 27> boxes_;  // Text1 .. Text26
    std::string caption_;
    std::vector<std::string> messages_;
};

}  // namespace tallomer
