#include "app/command_line.h"

#ifndef TALLOMER_VERSION
#define TALLOMER_VERSION "unknown"
#endif

namespace tallomer {

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (argument == "--help" || argument == "-h")) {
            line.action = CommandLine::Action::Help;
            return line;
        } else if (!optionsEnded && argument == "--version") {
            line.action = CommandLine::Action::Version;
            return line;
        } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
            return {CommandLine::Action::Wrong, {}, "unknown option " + argument};
        } else if (!line.file.empty()) {
            return {CommandLine::Action::Wrong, {}, "one workbook at a time: " + argument};
        } else if (argument.empty()) {
            return {CommandLine::Action::Wrong, {}, "an empty file name"};
        } else {
            line.file = argument;
        }
    }
    return line;
}

std::string helpText() {
    return "Usage: tallomer [FILE]\n"
           "Keeps a day-by-day record of an online shop's trade in a statistics workbook (.xls).\n"
           "\n"
           "  FILE         open this workbook at start-up instead of a new sheet\n"
           "  --help       print this help and exit\n"
           "  --version    print the version and exit\n"
           "\n"
           "tallomer-cli reads and writes the same workbooks without a window; see tallomer-cli --help.\n";
}

std::string versionText() { return std::string("tallomer ") + TALLOMER_VERSION + "\n"; }

}  // namespace tallomer
