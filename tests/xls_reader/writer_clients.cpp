#include "writer_clients.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>

namespace xls_test {

namespace {

bool run(const std::string& command) {
    const int status = std::system(command.c_str());
    if (status != 0) ADD_FAILURE() << "failed (" << status << "): " << command;
    return status == 0;
}

bool haveProgram(const std::string& name) {
    if (std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0) return true;
    ADD_FAILURE() << name << " is not installed (scripts/install-deps installs it)";
    return false;
}

std::filesystem::path converted(const std::filesystem::path& input) {
    auto out = input;
    out.replace_extension(".xls");
    if (!std::filesystem::exists(out)) {
        ADD_FAILURE() << "no " << out << " was written";
        return {};
    }
    return out;
}

}  // namespace

TempDir::TempDir() {
    std::random_device rd;
    path_ =
        std::filesystem::temp_directory_path() / ("tallomer-xls-reader-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void writeText(const std::filesystem::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary);
    out << text;
}

std::filesystem::path libreOfficeToXls(const std::filesystem::path& input) {
    if (!haveProgram("soffice")) return {};
    const auto dir = input.parent_path();
    // Its own profile, so that tests running side by side do not share one.
    const std::string cmd = "soffice --headless -env:UserInstallation=file://" + (dir / "lo-profile").string() +
                            " --convert-to xls --outdir '" + dir.string() + "' '" + input.string() +
                            "' >/dev/null 2>&1";
    if (!run(cmd)) return {};
    return converted(input);
}

std::filesystem::path ssconvertToXls(const std::filesystem::path& input) {
    if (!haveProgram("ssconvert")) return {};
    auto out = input;
    out.replace_extension(".xls");
    if (!run("ssconvert '" + input.string() + "' '" + out.string() + "' >/dev/null 2>&1")) return {};
    return converted(input);
}

std::filesystem::path xlwtScript(const std::filesystem::path& script, const std::filesystem::path& output) {
    if (!std::filesystem::exists("/usr/bin/python3")) {
        ADD_FAILURE() << "/usr/bin/python3 is not installed";
        return {};
    }
    if (!run("/usr/bin/python3 '" + script.string() + "' '" + output.string() + "'")) return {};
    if (!std::filesystem::exists(output)) {
        ADD_FAILURE() << "xlwt wrote no " << output;
        return {};
    }
    return output;
}

std::string xlrdFirstSheet(const std::filesystem::path& file) {
    const std::string script =
        "import sys, xlrd\n"
        "s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)\n"
        "for r in range(s.nrows):\n"
        "    for c in range(s.ncols):\n"
        "        x = s.cell(r, c)\n"
        "        if x.ctype: print(r, c, x.ctype, repr(x.value))\n";
    const std::string command = "/usr/bin/python3 -c '" + script + "' '" + file.string() + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        ADD_FAILURE() << "cannot run " << command;
        return "";
    }
    std::string out;
    char buf[4096];
    while (const std::size_t n = fread(buf, 1, sizeof buf, pipe)) out.append(buf, n);
    const int status = pclose(pipe);
    if (status != 0) {
        ADD_FAILURE() << "xlrd failed on " << file << ": " << out;
        return "";
    }
    return out;
}

}  // namespace xls_test
