#pragma once
// Running the independent readers the writer's files are checked with: xlrd (system Python),
// LibreOffice headless and Gnumeric's ssconvert.
#include <map>
#include <string>
#include <vector>

namespace writer_test {

struct CommandResult {
    int status = -1;
    std::string output;  // stdout and stderr together
};

CommandResult runCommand(const std::string& command);
std::string quote(const std::string& s);

// The Python that has xlrd; the scripts beside these tests.
std::string systemPython();
std::string scriptPath(const std::string& name);

// A csv file as rows of fields.
using Csv = std::vector<std::vector<std::string>>;
Csv readCsv(const std::string& path);

// Every sheet of every file as csv, in one LibreOffice run: result[file][sheet name].
// LibreOffice recomputes every formula of an .xls as it loads it.
std::map<std::string, std::map<std::string, Csv>> libreOfficeSheets(const std::vector<std::string>& files,
                                                                    const std::string& workDir);
// Every sheet of a file as csv by Gnumeric, which shows the cached formula results.
// `messages` gets whatever ssconvert said (warnings about the file, if any).
std::vector<Csv> gnumericSheets(const std::string& file, const std::string& workDir, std::string* messages = nullptr);

// Two fields the same: numbers within a relative 1e-9 (readers print them differently),
// anything else as text.
bool sameField(const std::string& a, const std::string& b);

}  // namespace writer_test
