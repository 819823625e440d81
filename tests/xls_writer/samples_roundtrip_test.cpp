// Round trip of the sample workbooks in ../shared/samples (written by Excel, LibreOffice,
// Gnumeric and xlwt): each is opened and saved by the host, and xlrd must read the same cell
// values and formula results from the copy as from the original. The test skips when the
// samples folder is absent (a fresh clone has none).
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

TEST(SamplesRoundTrip, EverySampleSurvivesOpenAndSave) {
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
