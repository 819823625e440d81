// tallomer-cli dump: the lines users script against, and exit status 2 with one line on stderr
// for a file it cannot read.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "biff_builder.h"
#include "writer_clients.h"

namespace {

using xls_test::Bytes;
using xls_test::StreamBuilder;

struct DumpRun {
    int status = -1;
    std::string out;
    std::string err;
};

DumpRun dump(const std::filesystem::path& file, const xls_test::TempDir& dir) {
    const std::string cli = std::string(TALLOMER_BINARY_DIR) + "/tools/tallomer-cli";
    const auto errFile = dir / "stderr.txt";
    DumpRun r;
    FILE* p = popen((cli + " dump '" + file.string() + "' 2>'" + errFile.string() + "'").c_str(), "r");
    if (!p) return r;
    std::array<char, 4096> buf;
    while (std::size_t n = fread(buf.data(), 1, buf.size(), p)) r.out.append(buf.data(), n);
    const int status = pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream e(errFile);
    std::stringstream ss;
    ss << e.rdbuf();
    r.err = ss.str();
    return r;
}

void writeBytes(const std::filesystem::path& file, const Bytes& bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TEST(DumpCommand, PrintsEveryNonEmptyCellOfTheFirstSheet) {
    xls_test::TempDir dir;
    const Bytes stream = xls_test::workbookStream(
        [](StreamBuilder& s) {
            s.record(0x041E, {164, 0, 6, 0, 0, 'm', '/', 'd', '/', 'y', 'y'});
            for (int i = 0; i < 16; ++i) s.record(0x00E0, Bytes(20, 0));
            s.record(0x00E0, {0, 0, 164, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});  // XF 16: a date
        },
        [](StreamBuilder& s) {
            Bytes label = {0, 0, 0, 0, 15, 0};
            xls_test::putString16(label, "Entries");
            s.record(0x0204, label);
            s.number(0, 1, 1.0 / 3);
            s.number(1, 0, 36923, 16);
            s.record(0x0205, {1, 0, 1, 0, 15, 0, 1, 0});  // B2 TRUE
            s.record(0x0201, {2, 0, 0, 0, 16, 0});  // A3 styled, empty: not listed
            s.formula(2, 1, {0x1E, 1, 0, 0x1E, 0, 0, 0x06});  // B3 =1/0
            s.formula(2, 2, {0x44, 0, 0, 1, 0xC0, 0x1E, 2, 0, 0x05});  // C3 =B1*2
        });
    writeBytes(dir / "book.xls", xls_test::compoundFile(stream));
    const DumpRun r = dump(dir / "book.xls", dir);
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("", r.err);
    EXPECT_EQ(
        "A1\tEntries\t\n"
        "B1\t0.333333333333333\t\n"
        "A2\t2/1/2001\t\n"
        "B2\tTRUE\t\n"
        "B3\t#DIV/0!\t=1/0\n"
        "C3\t0.666666666666667\t=B1*2\n",
        r.out);
}

TEST(DumpCommand, UnreadableFilesExitWithStatusTwoAndOneLineSayingWhy) {
    xls_test::TempDir dir;
    xls_test::writeText(dir / "notes.xls", "not a workbook at all");
    StreamBuilder biff5;
    biff5.bof(0x0005, 0x0500).eof();
    writeBytes(dir / "old.xls", xls_test::compoundFile(biff5.bytes, "Book"));
    const std::pair<const char*, const char*> cases[] = {
        {"notes.xls", "not an Excel 97-2003 workbook"},
        {"old.xls", "older Excel format"},
        {"missing.xls", "missing.xls"},
    };
    for (const auto& [name, why] : cases) {
        const DumpRun r = dump(dir / name, dir);
        EXPECT_EQ(2, r.status) << name;
        EXPECT_EQ("", r.out) << name;
        EXPECT_NE(r.err.find(why), std::string::npos) << r.err;
        EXPECT_EQ(1, std::count(r.err.begin(), r.err.end(), '\n')) << r.err;
    }
}

}  // namespace
