// Commands that later work fills in; each says so until then.
#include <iostream>

#include "commands.h"

namespace cli {
namespace {
int notYet(const char* name) {
    std::cerr << "tallomer-cli: " << name << " is not available yet\n";
    return 2;
}
}  // namespace
int dump(const std::vector<std::string>&) { return notYet("dump"); }
int copy(const std::vector<std::string>&) { return notYet("copy"); }
int show(const std::vector<std::string>&) { return notYet("show"); }
}  // namespace cli
