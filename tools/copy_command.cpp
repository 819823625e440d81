#include <iostream>

#include "commands.h"

namespace cli {
int copy(const std::vector<std::string>&) {
    std::cerr << "tallomer-cli: copy is not available yet\n";
    return 2;
}
}  // namespace cli
