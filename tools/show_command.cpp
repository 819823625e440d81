#include <exception>
#include <iostream>

#include "commands.h"
#include "host/application.h"
#include "workbook/headless_window.h"
#include "workbook/results_display.h"
#include "workbook/window_layout.h"

namespace cli {

int show(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::cerr << "usage: tallomer-cli show FILE\n";
        return 1;
    }
    const std::string& path = args[0];
    // The main window's boxes without a window: ShowResults fills them, show prints them.
    tallomer::HeadlessWindow window;
    bool hasRecords = false;
    try {
        host::Application xl;
        xl.setVisible(false);
        xl.setDisplayAlerts(false);
        xl.openWorkbook(path);
        xl.selectSheet(1);
        hasRecords = tallomer::ShowResults(xl, window);
        for (const std::string& text : window.messages()) std::cerr << "tallomer-cli: " << text << '\n';
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
