// tallomer-cli: command-line companion to Tallomer's workbooks.
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "commands.h"
#include "host/replaced_files.h"

namespace {
int usage() {
    std::cerr << "usage: tallomer-cli dump FILE\n"
                 "       tallomer-cli copy FILE NEWFILE\n"
                 "       tallomer-cli show FILE\n";
    return 1;
}
}  // namespace

int main(int argc, char** argv) {
    host::releaseReplacedFilesAfterExit();
    if (argc < 2) return usage();
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "dump") return cli::dump(args);
    if (command == "copy") return cli::copy(args);
    if (command == "show") return cli::show(args);
    return usage();
}
