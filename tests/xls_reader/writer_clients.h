#pragma once
// Workbooks written at test time by other programs: LibreOffice, Gnumeric's ssconvert, xlwt.
// A missing program fails the test that needs it (scripts/install-deps installs them all).
#include <filesystem>
#include <string>

namespace xls_test {

// A fresh folder under the system temporary folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

void writeText(const std::filesystem::path& file, const std::string& text);

// Each converts `input` to an .xls file in the same folder and returns its path; a failure to
// run or convert is reported as a test failure (ADD_FAILURE) and returns an empty path.
std::filesystem::path libreOfficeToXls(const std::filesystem::path& input);
std::filesystem::path ssconvertToXls(const std::filesystem::path& input);
// Runs a Python script with the system Python that has xlwt; the script writes `output`.
std::filesystem::path xlwtScript(const std::filesystem::path& script, const std::filesystem::path& output);

// What xlrd reads from the first sheet of `file`: one line a cell, "ROW COL TYPE VALUE" (TYPE
// xlrd's cell type number, VALUE its repr), rows and columns from 0. A failure to run is a
// test failure and gives "".
std::string xlrdFirstSheet(const std::filesystem::path& file);

}  // namespace xls_test
