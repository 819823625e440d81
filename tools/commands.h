#pragma once
#include <string>
#include <vector>

// The commands of tallomer-cli. Each returns the process exit status: 0 done, 2 a file it
// cannot read (one line on stderr says why), 1 wrong usage.
namespace cli {
int dump(const std::vector<std::string>& args);   // dump FILE
int copy(const std::vector<std::string>& args);   // copy FILE NEWFILE
int show(const std::vector<std::string>& args);   // show FILE
}  // namespace cli
