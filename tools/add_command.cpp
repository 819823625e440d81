#include <iostream>

#include "commands.h"
#include "stats_file.h"
#include "workbook/add_entry.h"
#include "workbook/window_layout.h"

namespace cli {

const char* const kAddUsage =
    "tallomer-cli add [--new] FILE DATE ORDERS VALUE REFUNDS REFUND_VALUE VISITORS\n"
    "    Adds one day to FILE exactly as Submit would with those six figures typed (DATE day\n"
    "    first, dd/mm/yyyy), saves FILE and prints the new LAST RECORD. --new makes a new\n"
    "    statistics workbook when FILE does not exist. A refused entry leaves FILE untouched.\n";

int add(const std::vector<std::string>& args) {
    std::vector<std::string> rest;
    bool makeNew = false;
    for (const std::string& arg : args) {
        if (arg == "--new")
            makeNew = true;
        else
            rest.push_back(arg);
    }
    if (rest.size() != 1 + tallomer::kEntryFieldCount) {
        std::cerr << "usage: " << kAddUsage;
        return 1;
    }
    tallomer::EntryTexts texts;
    for (int field = 0; field < tallomer::kEntryFieldCount; ++field) texts[field] = rest[1 + field];
    try {
        StatsFile file(rest[0], makeNew);
        const tallomer::AddResult result = tallomer::AddEntry(file.state(), file.window(), texts);
        if (!result.added) throw Refusal(result.fault);
        file.save();
        for (const tallomer::BoxSpec& box : tallomer::displayBoxes()) {
            if (box.group != tallomer::BoxGroup::LastRecord) continue;
            std::cout << "Text" << box.box << '\t' << box.label << '\t' << file.window().boxText(box.box) << '\n';
        }
    } catch (const Refusal& refusal) {
        std::cerr << "tallomer-cli: " << refusal.what() << '\n';
        return 2;
    }
    return 0;
}

}  // namespace cli
