// tallomer-cli chart: the drawing needs Qt, which would slow every other command's start-up if
// this program were linked with it. So the command replaces this process with tallomer-chart,
// the Qt-linked drawing program installed beside it, with the same arguments.
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "commands.h"

namespace cli {

const char* const kChartUsage =
    "usage: tallomer-cli chart FILE --out PICTURE [--series NAME] [--from yyyy-mm-dd] [--to yyyy-mm-dd]\n"
    "  Draws the Trends chart into PICTURE, SVG or PNG by its extension: one point per day with\n"
    "  7-day and 30-day moving averages. NAME is net_value (the default), net_orders, visitors,\n"
    "  orders, net_orders_per_visitor or net_value_per_visitor.\n";

namespace {
// The drawing program stands beside this one in a build tree, and in libexec/tallomer/ of the
// prefix once installed (it is no command of its own for a user to type).
std::string findDrawer(const char* name) {
    std::string self(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", self.data(), self.size() - 1);
    if (length <= 0) return name;
    self.resize(static_cast<std::size_t>(length));
    const std::string folder = self.substr(0, self.rfind('/') + 1);
    const std::string beside = folder + name;
    if (access(beside.c_str(), X_OK) == 0) return beside;
    return folder + "../libexec/tallomer/" + name;
}
}  // namespace

int chart(const std::vector<std::string>& args) {
    const std::string drawer = findDrawer("tallomer-chart");
    // The drawing program gets its own name, then FILE and the options.
    std::vector<char*> argv{const_cast<char*>(drawer.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(drawer.c_str(), argv.data());
    std::cerr << "tallomer-cli: cannot start " << drawer << ": " << std::strerror(errno) << '\n';
    return 2;
}

}  // namespace cli
