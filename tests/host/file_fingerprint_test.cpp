#include "host/file_fingerprint.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

std::string writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
}

TEST(FileFingerprint, ChangesWithTheBytesEvenAtTheSameSizeAndTime) {
    const auto dir = std::filesystem::temp_directory_path() / ("fingerprint-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto path = writeFile(dir / "a.xls", "abcdef");
    const auto first = host::fingerprintFile(path);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->size, 6u);
    EXPECT_EQ(host::fingerprintFile(path), first);

    const auto time = std::filesystem::last_write_time(path);
    writeFile(path, "abcdeg");
    std::filesystem::last_write_time(path, time);
    const auto second = host::fingerprintFile(path);
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->size, first->size);
    EXPECT_EQ(second->modifiedNs, first->modifiedNs);
    EXPECT_NE(second->checksum, first->checksum);
    EXPECT_NE(second, first);

    EXPECT_FALSE(host::fingerprintFile((dir / "gone.xls").string()).has_value());
    EXPECT_FALSE(host::fingerprintFile(dir.string()).has_value());  // a folder is no file
    std::filesystem::remove_all(dir);
}

}  // namespace

#include "host/application.h"

namespace {

TEST(FileFingerprint, AWorkbookKnowsTheFileAsItLastReadOrWroteIt) {
    const auto dir = std::filesystem::temp_directory_path() / ("fingerprint-wb-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "stats.xls").string();
    host::Application app;
    host::Workbook& made = app.addWorkbook();
    EXPECT_FALSE(made.fileFingerprint().has_value());
    app.saveActiveWorkbookAs(path);
    ASSERT_TRUE(made.fileFingerprint().has_value());
    EXPECT_EQ(made.fileFingerprint(), host::fingerprintFile(path));

    app.closeActiveWorkbook();
    host::Workbook& opened = app.openWorkbook(path);
    EXPECT_EQ(opened.fileFingerprint(), host::fingerprintFile(path));
    std::filesystem::remove_all(dir);
}

}  // namespace
