// Round trip of the sample workbooks in ../shared/samples (written by Excel, LibreOffice,
// Gnumeric and xlwt): each is opened and saved by the host; xlrd must read the same cell
// values and formula results from the copy as from the original, and LibreOffice, which
// recomputes every formula, must compute the same from both (so formulas the host cannot
// compute, with 3-D references and names, survive whole). The tests skip when the samples
// folder is absent (a fresh clone has none).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/host_error.h"
#include "host/workbook_files.h"
#include "test_clients.h"

namespace fs = std::filesystem;
using namespace writer_test;

namespace {

// BIFF4 and BIFF5 samples (their expected JSON says so) must be refused, not copied.
bool olderBiff(const fs::path& sample) {
    const fs::path expected = fs::path(TALLOMER_SAMPLES_DIR) / "expected" / (sample.stem().string() + ".json");
    std::ifstream in(expected);
    const std::string json{std::istreambuf_iterator<char>(in), {}};
    return json.find("\"biff_version\": 40") != std::string::npos ||
           json.find("\"biff_version\": 70") != std::string::npos;
}

std::vector<fs::path> samples() {
    std::vector<fs::path> files;
    for (const char* group : {"real", "stats"}) {
        const fs::path folder = fs::path(TALLOMER_SAMPLES_DIR) / group;
        if (!fs::is_directory(folder)) continue;
        for (const auto& e : fs::directory_iterator(folder))
            if (e.path().extension() == ".xls") files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

TEST(SamplesRoundTrip, XlrdReadsTheSameFromEveryCopy) {
    if (!fs::is_directory(TALLOMER_SAMPLES_DIR)) GTEST_SKIP() << "no samples folder at " << TALLOMER_SAMPLES_DIR;
    char tmpl[] = "/tmp/tallomer-roundtrip-XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    std::string pairs;
    int copied = 0;
    for (const auto& sample : samples()) {
        if (olderBiff(sample)) {
            EXPECT_THROW(host::loadWorkbookFile(sample.string()), host::HostError) << sample;
            continue;
        }
        const std::string copy = dir + "/" + sample.filename().string();
        try {
            const auto workbook = host::loadWorkbookFile(sample.string());
            host::saveWorkbookFile(*workbook, copy);
        } catch (const std::exception& e) {
            ADD_FAILURE() << sample << ": " << e.what();
            continue;
        }
        pairs += " " + quote(sample.string()) + " " + quote(copy);
        ++copied;
    }
    EXPECT_GE(copied, 25);
    if (copied) {
        const auto r = runCommand("cd " + quote(scriptPath("")) + " && " + systemPython() + " xlrd_compare.py" + pairs);
        EXPECT_EQ(r.status, 0) << r.output;
    }
    fs::remove_all(dir);
}

TEST(SamplesRoundTrip, LibreOfficeComputesTheSameFromEveryCopy) {
    if (!fs::is_directory(TALLOMER_SAMPLES_DIR)) GTEST_SKIP() << "no samples folder at " << TALLOMER_SAMPLES_DIR;
    char tmpl[] = "/tmp/tallomer-roundtrip-lo-XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    std::vector<std::string> files;
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const auto& sample : samples()) {
        if (olderBiff(sample)) continue;
        const std::string original = dir + "/" + sample.filename().string();
        const std::string copy =
            dir + "/copy-" + sample.filename().string();  // LibreOffice names its csv files after the stem
        fs::copy_file(sample, original);
        try {
            host::saveWorkbookFile(*host::loadWorkbookFile(original), copy);
        } catch (const std::exception& e) {
            ADD_FAILURE() << sample << ": " << e.what();
            continue;
        }
        files.push_back(original);
        files.push_back(copy);
        pairs.emplace_back(original, copy);
    }
    const auto sheets = libreOfficeSheets(files, dir);  // one LibreOffice run for all of them
    for (const auto& [original, copy] : pairs) {
        ASSERT_EQ(sheets.count(original), 1u) << "LibreOffice wrote nothing for " << original;
        ASSERT_EQ(sheets.count(copy), 1u) << "LibreOffice wrote nothing for " << copy;
        const auto& a = sheets.at(original);
        const auto& b = sheets.at(copy);
        EXPECT_EQ(a.size(), b.size()) << original;
        for (const auto& [name, csv] : a) {
            ASSERT_EQ(b.count(name), 1u) << original << " sheet " << name;
            EXPECT_TRUE(csv == b.at(name)) << original << " sheet " << name << " differs";
        }
    }
    fs::remove_all(dir);
}
