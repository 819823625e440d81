#include <array>
#include <exception>
#include <iostream>

#include "commands.h"
#include "host/application.h"
#include "workbook/main_window.h"
#include "workbook/results_display.h"
#include "workbook/window_layout.h"

namespace cli {

namespace {
// The main window's boxes without a window: ShowResults fills them, show prints them.
class BoxesOnly : public tallomer::MainWindow {
public:
    std::string boxText(int box) const override { return boxes_.at(box); }
    void setBoxText(int box, const std::string& text) override { boxes_.at(box) = text; }
    void focusDateBox() override {}
    void setProcessingVisible(bool) override {}
    void setCaption(const std::string& caption) override { caption_ = caption; }
    std::string caption() const override { return caption_; }
    void showWindow() override {}
    void message(const std::string& text) override { std::cerr << "tallomer-cli: " << text << '\n'; }

private:
    std::array<std::string, 27> boxes_;
    std::string caption_;
};
}  // namespace

int show(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::cerr << "usage: tallomer-cli show FILE\n";
        return 1;
    }
    const std::string& path = args[0];
    BoxesOnly window;
    bool hasRecords = false;
    try {
        host::Application xl;
        xl.setVisible(false);
        xl.setDisplayAlerts(false);
        xl.openWorkbook(path);
        xl.selectSheet(1);
        hasRecords = tallomer::ShowResults(xl, window);
    } catch (const std::exception& failure) {
        std::cerr << "tallomer-cli: cannot show " << path << ": " << failure.what() << '\n';
        return 2;
    }
    if (!hasRecords) {
        std::cout << "File does not contain any records.\n";
        return 0;
    }
    for (const tallomer::BoxSpec& box : tallomer::displayBoxes()) {
        std::cout << "Text" << box.box << '\t' << box.label << '\t' << window.boxText(box.box) << '\n';
    }
    return 0;
}

}  // namespace cli
