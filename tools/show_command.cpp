#include <iostream>

#include "commands.h"

namespace cli {
int show(const std::vector<std::string>&) {
    std::cerr << "tallomer-cli: show is not available yet\n";
    return 2;
}
}  // namespace cli
