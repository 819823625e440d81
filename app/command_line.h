#pragma once
#include <string>
#include <vector>

namespace tallomer {

// What `tallomer [--help | --version | FILE]` asks for. Qt's own options (-platform, -style,
// ...) have been taken out by QApplication before this sees the arguments.
struct CommandLine {
    enum class Action { Run, Help, Version, Wrong };
    Action action = Action::Run;
    std::string file;  // Run: the workbook to open at start-up, empty for a new sheet
    std::string error;  // Wrong: what is wrong, one line
};

CommandLine parseCommandLine(const std::vector<std::string>& arguments);  // without argv[0]

std::string helpText();
std::string versionText();

}  // namespace tallomer
