#include "xlsx_test_support.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace xlsx_test {

Folder::Folder() {
    char pattern[] = "/tmp/tallomer-xlsx-XXXXXX";
    path = mkdtemp(pattern);
}

Folder::~Folder() { std::filesystem::remove_all(path); }

std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

int run(const std::string& command, std::string* out) {
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p) return -1;
    std::string text;
    char buf[4096];
    while (const std::size_t n = fread(buf, 1, sizeof buf, p)) text.append(buf, n);
    const int status = pclose(p);
    if (out) *out = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string python(const std::string& script, const std::string& args) {
    Folder f;
    const std::string file = f.file("s.py");
    std::ofstream(file) << script;
    std::string out;
    const int rc = run("/usr/bin/python3 " + quote(file) + " " + args, &out);
    EXPECT_EQ(rc, 0) << out;
    return out;
}

std::string sofficeConvert(const Folder& folder, const std::string& from, const std::string& filter, bool recalculate) {
    if (recalculate) {
        // LibreOffice trusts the results a file stores unless told to compute every formula on load.
        std::filesystem::create_directories(folder.path + "/lo/user");
        std::ofstream(folder.path + "/lo/user/registrymodifications.xcu") << R"(<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema">
<item oor:path="/org.openoffice.Office.Calc/Formula/Load"><prop oor:name="OOXMLRecalcMode" oor:op="fuse"><value>0</value></prop></item>
<item oor:path="/org.openoffice.Office.Calc/Formula/Load"><prop oor:name="ODFRecalcMode" oor:op="fuse"><value>0</value></prop></item>
</oor:items>
)";
    }
    std::string out;
    const int rc = run("soffice --headless -env:UserInstallation=file://" + folder.path + "/lo --convert-to " + filter +
                           " --outdir " + quote(folder.path + "/out") + " " + quote(from),
                       &out);
    EXPECT_EQ(rc, 0) << out;
    const std::string stem = std::filesystem::path(from).stem().string();
    const std::string result = folder.path + "/out/" + stem + "." + filter;
    EXPECT_TRUE(std::filesystem::exists(result)) << out;
    return result;
}

}  // namespace xlsx_test
