#pragma once
#include <iosfwd>
#include <string>

#include "command_table.h"

// What tallomer-cli says about itself, all made from the command table.
namespace cli {

void printUsage(std::ostream& out);  // --help
void printCommandHelp(std::ostream& out, const CommandRow& row);  // help COMMAND
void printVersion(std::ostream& out);  // --version
void printCommandNames(std::ostream& out);  // --commands, for the completion
void printManPage(std::ostream& out);  // --man, the tallomer-cli(1) page

}  // namespace cli
