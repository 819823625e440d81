#pragma once
#include <string>
#include <vector>

// The commands of tallomer-cli. Each returns the process exit status: 0 done, 2 a file it
// cannot read or an entry refused (one line on stderr says why), 1 wrong usage.
namespace cli {
int dump(const std::vector<std::string>& args);  // dump FILE
int copy(const std::vector<std::string>& args);  // copy FILE NEWFILE
int show(const std::vector<std::string>& args);  // show FILE
int add(const std::vector<std::string>& args);
int import(const std::vector<std::string>& args);
int exportCsv(const std::vector<std::string>& args);

// Each command's usage text, beside its code.
extern const char* const kAddUsage;
extern const char* const kImportUsage;
extern const char* const kExportUsage;
int summary(const std::vector<std::string>& args);  // summary FILE [--by week|month|year]
// chart FILE --out PICTURE ...: replaces this process with tallomer-chart, found beside it,
// passing it FILE and the options.
int chart(const std::vector<std::string>& args);
// Usage texts of the commands above that have their own.
extern const char* const kSummaryUsage;
extern const char* const kChartUsage;
}  // namespace cli
