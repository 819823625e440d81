#pragma once
// Runs the real clients (python3 with openpyxl, LibreOffice, ssconvert) in a private folder.
#include <string>

namespace xlsx_test {

struct Folder {
    Folder();
    ~Folder();
    std::string path;
    std::string file(const std::string& name) const { return path + "/" + name; }
};

// Runs a shell command; returns its exit status and puts its output in `out`.
int run(const std::string& command, std::string* out = nullptr);
// Runs a python3 script with argv[1..] = args; the test fails when python exits non-zero.
std::string python(const std::string& script, const std::string& args);
std::string quote(const std::string& s);
// LibreOffice headless conversion of `from` into `folder` as `filter` ("xlsx", "csv"); with
// `recalculate`, LibreOffice computes every formula on load instead of taking stored results.
std::string sofficeConvert(const Folder& folder, const std::string& from, const std::string& filter,
                           bool recalculate = false);

}  // namespace xlsx_test
