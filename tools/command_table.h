#pragma once
#include <span>
#include <string>
#include <vector>

// The commands of tallomer-cli, one row each. --help, help COMMAND, the man page and the bash
// completion are all made from this table, so a new command is one more row here and its
// handler in cli_main.cpp.
namespace cli {

using CommandHandler = int (*)(const std::vector<std::string>& args);

struct CommandRow {
    const char* name;  // as typed: tallomer-cli NAME ...
    const char* synopsis;  // the arguments after the name, in usage form
    const char* description;  // one or two sentences; what it prints and how it ends
    CommandHandler run;
};

std::span<const CommandRow> commandTable();
// The row of that name; nullptr when there is none.
const CommandRow* findCommand(const std::string& name);

}  // namespace cli
