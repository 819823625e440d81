#pragma once
#include <stdexcept>
#include <string>

#include "host/application.h"
#include "workbook/headless_window.h"
#include "workbook/main_window.h"

namespace cli {

// A command's refusal: one line for stderr, exit status 2.
class Refusal : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A statistics workbook opened for adding entries, as the window holds one after Open (or
// after New, for --new on a file that does not exist yet): the host, the shared state and a
// window without a display whose boxes Submit and ShowResults fill.
class StatsFile {
public:
    // Refusal when the file cannot be read or is not a statistics workbook.
    StatsFile(const std::string& path, bool makeNew);

    bool created() const { return created_; }  // a new workbook, FILE not there yet
    host::Application& xl() { return xl_; }
    tallomer::SharedState& state() { return state_; }
    tallomer::HeadlessWindow& window() { return window_; }
    host::Worksheet& sheet() { return xl_.activeWorkbook()->activeSheet(); }

    // Saves through the host, in the file's own format, replacing the file atomically.
    // Refusal, with the file untouched, when another program changed it (or made it) since
    // it was read.
    void save();

private:
    std::string path_;
    bool created_ = false;
    host::Application xl_;
    tallomer::SharedState state_;
    tallomer::HeadlessWindow window_;
};

// The whole of a file; Refusal when it cannot be read.
std::string readWholeFile(const std::string& path, const std::string& what);

}  // namespace cli
