#pragma once
#include <string>
#include <vector>

// The commands of tallomer-cli. Each returns the process exit status: 0 done, 2 a file it
// cannot read (one line on stderr says why), 1 wrong usage.
namespace cli {
int dump(const std::vector<std::string>& args);   // dump FILE
int copy(const std::vector<std::string>& args);   // copy FILE NEWFILE
int show(const std::vector<std::string>& args);   // show FILE
int summary(const std::vector<std::string>& args);  // summary FILE [--by week|month|year]
// chart FILE --out PICTURE ...: replaces this process with tallomer-chart, found beside it,
// passing it argv from FILE on.
int chart(char** argv);
// Usage texts of the commands above that have their own.
extern const char* const kSummaryUsage;
extern const char* const kChartUsage;
}  // namespace cli
