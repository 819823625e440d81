// tallomer-cli: command-line companion to Tallomer's workbooks.
#include <iostream>
#include <string>
#include <vector>

#include "cli_help.h"
#include "command_table.h"

namespace {

int help(const std::vector<std::string>& args) {
    if (args.empty()) {
        cli::printUsage(std::cout);
        return 0;
    }
    const cli::CommandRow* row = args.size() == 1 ? cli::findCommand(args[0]) : nullptr;
    if (!row) {
        std::cerr << "tallomer-cli: no command named " << args[0] << "; see tallomer-cli --help\n";
        return 1;
    }
    cli::printCommandHelp(std::cout, *row);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        cli::printUsage(std::cerr);
        return 1;
    }
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "--help" || command == "-h") return help({});
    if (command == "help") return help(args);
    if (command == "--version") {
        cli::printVersion(std::cout);
        return 0;
    }
    if (command == "--commands") {
        cli::printCommandNames(std::cout);
        return 0;
    }
    if (command == "--man") {
        cli::printManPage(std::cout);
        return 0;
    }
    const cli::CommandRow* row = cli::findCommand(command);
    if (!row) {
        std::cerr << "tallomer-cli: unknown command " << command << "; see tallomer-cli --help\n";
        return 1;
    }
    return row->run(args);
}
