#include <iostream>

#include "commands.h"

namespace cli {
int dump(const std::vector<std::string>&) {
    std::cerr << "tallomer-cli: dump is not available yet\n";
    return 2;
}
}  // namespace cli
