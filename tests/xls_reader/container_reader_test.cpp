// The workbook stream found in its compound file, from a file in memory and straight from a
// file on disk: the same bytes libgsf finds, whatever the stream's size, wherever its sectors
// lie, and clear errors for what cannot be read.
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-utils.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "biff_builder.h"
#include "host/host_error.h"
#include "sample_files.h"
#include "xls/ole_container_reader.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct TempDir {
    std::string path;
    TempDir() {
        char tmpl[] = "/tmp/tallomer-container-XXXXXX";
        path = mkdtemp(tmpl);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string write(const std::string& name, const Bytes& bytes) const {
        const std::string file = path + "/" + name;
        std::FILE* f = std::fopen(file.c_str(), "wb");
        if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        return file;
    }
};

Bytes patterned(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = std::uint8_t(i * 2654435761u >> 13);
    return bytes;
}

Bytes asBytes(std::span<const std::uint8_t> s) { return Bytes(s.begin(), s.end()); }

// The workbook stream as libgsf reads it: the independent answer.
Bytes gsfWorkbookStream(const Bytes& file) {
    gsf_init();
    GsfInput* input = gsf_input_memory_new(file.data(), static_cast<gsf_off_t>(file.size()), FALSE);
    GError* error = nullptr;
    GsfInfile* container = gsf_infile_msole_new(input, &error);
    Bytes out;
    if (container) {
        for (int i = 0; i < gsf_infile_num_children(GSF_INFILE(container)); ++i) {
            const char* name = gsf_infile_name_by_index(GSF_INFILE(container), i);
            if (!name || g_ascii_strcasecmp(name, "Workbook") != 0) continue;
            GsfInput* stream = gsf_infile_child_by_index(GSF_INFILE(container), i);
            out.resize(static_cast<std::size_t>(gsf_input_size(stream)));
            if (!out.empty()) gsf_input_read(stream, out.size(), out.data());
            g_object_unref(stream);
            break;
        }
        g_object_unref(container);
    }
    if (error) g_error_free(error);
    g_object_unref(input);
    return out;
}

std::string fileError(const std::string& path) {
    try {
        (void)host::xls::readWorkbookStreamFromFile(path);
    } catch (const host::HostError& e) {
        return e.what();
    }
    return "";
}

std::string memoryError(const Bytes& file) {
    try {
        (void)host::xls::readWorkbookStream(file);
    } catch (const host::HostError& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(ContainerReader, EveryStreamSizeComesBackByteForByteEitherWay) {
    const TempDir dir;
    // In the mini stream (one and several mini sectors), at the mini stream's edge, around the
    // size where a file is read in two halves, and past 109 FAT sectors (a DIFAT chain).
    struct Case {
        std::size_t size;
        bool pad;
    };
    for (const Case c : {Case{100, false}, Case{3000, false}, Case{4095, false}, Case{1, true}, Case{4097, true},
                         Case{(std::size_t(2) << 20) - 1, true}, Case{std::size_t(2) << 20, true},
                         Case{(std::size_t(5) << 20) + 12345, true}, Case{(std::size_t(8) << 20) + 3, true}}) {
        SCOPED_TRACE(std::to_string(c.size) + " bytes");
        const Bytes stream = patterned(c.size);
        const Bytes file = xls_test::compoundFile(stream, "Workbook", c.pad);
        Bytes expected = stream;
        if (c.pad && expected.size() < 4096) expected.resize(4096, 0);
        ASSERT_EQ(gsfWorkbookStream(file), expected) << "libgsf's own reading";
        EXPECT_EQ(asBytes(host::xls::readWorkbookStream(file).bytes()), expected);
        const std::string path = dir.write("book.xls", file);
        EXPECT_EQ(asBytes(host::xls::readWorkbookStreamFromFile(path).bytes()), expected);
    }
}

TEST(ContainerReader, SampleWorkbooksGiveTheStreamLibgsfGives) {
    if (xls_test::samplesDir().empty()) GTEST_SKIP() << "no ../shared/samples beside this checkout";
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(xls_test::samplesDir())) {
        if (entry.path().extension() != ".xls") continue;
        SCOPED_TRACE(entry.path().filename().string());
        const Bytes file = xls_test::readBytes(entry.path());
        const Bytes expected = gsfWorkbookStream(file);
        if (expected.empty()) {  // no workbook stream: both ways must say so
            EXPECT_NE(memoryError(file), "");
            EXPECT_NE(fileError(entry.path().string()), "");
            continue;
        }
        EXPECT_EQ(asBytes(host::xls::readWorkbookStream(file).bytes()), expected);
        EXPECT_EQ(asBytes(host::xls::readWorkbookStreamFromFile(entry.path().string()).bytes()), expected);
        ++files;
    }
    EXPECT_GT(files, 0);
}

TEST(ContainerReader, WhatCannotBeReadIsSaid) {
    const TempDir dir;
    EXPECT_NE(fileError(dir.path + "/missing.xls").find("cannot open"), std::string::npos);
    EXPECT_NE(fileError(dir.path).find("cannot read"), std::string::npos) << "a folder is no file";
    // A named pipe with no writer: refused at once, not waited on.
    const std::string pipe = dir.path + "/pipe.xls";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_NE(fileError(pipe).find("not a regular file"), std::string::npos);
    EXPECT_NE(fileError(dir.write("empty.xls", {})).find("empty"), std::string::npos);
    EXPECT_NE(fileError(dir.write("text.xls", Bytes{'d', 'a', 't', 'e', '\n'})).find("not an OLE2"), std::string::npos);

    // A large workbook cut short, anywhere: a clear error either way, never a crash.
    const Bytes whole = xls_test::compoundFile(patterned(std::size_t(3) << 20));
    for (const double kept : {0.999, 0.6, 0.3, 0.0005}) {
        SCOPED_TRACE(kept);
        const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() * kept));
        EXPECT_NE(memoryError(cut), "");
        EXPECT_NE(fileError(dir.write("cut.xls", cut)), "");
    }
}

// The FAT's sectors are read a run of neighbours at a time; writers may place them anywhere,
// in any order: one moved to the file's end, two in swapped order.
TEST(ContainerReader, FatSectorsAnywhereInTheFileAreReadInTheOrderListed) {
    const TempDir dir;
    const Bytes stream = patterned((std::size_t(2) << 20) + 777);
    const Bytes good = xls_test::compoundFile(stream);
    const auto u32 = [](const Bytes& b, std::size_t at) {
        return std::uint32_t(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24);
    };
    const auto put32 = [](Bytes& b, std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = std::uint8_t(v >> (8 * i));
    };
    const auto sectorAt = [](std::uint32_t s) { return (std::size_t{s} + 1) * 512; };
    const std::uint32_t fatCount = u32(good, 44);
    ASSERT_GE(fatCount, 8u);
    const std::size_t k = fatCount / 2;  // header entry of a FAT sector in the middle

    Bytes moved = good;  // its copy at a new sector past the old end; the old place scrambled
    const auto newSector = static_cast<std::uint32_t>(moved.size() / 512 - 1);
    const std::uint32_t old = u32(good, 76 + 4 * k);
    moved.insert(moved.end(), good.begin() + sectorAt(old), good.begin() + sectorAt(old) + 512);
    std::fill(moved.begin() + sectorAt(old), moved.begin() + sectorAt(old) + 512, 0xAB);
    put32(moved, 76 + 4 * k, newSector);

    Bytes swapped = good;  // two neighbours listed the other way round, their contents too
    const std::uint32_t a = u32(good, 76 + 4 * k), b = u32(good, 76 + 4 * (k + 1));
    std::copy(good.begin() + sectorAt(a), good.begin() + sectorAt(a) + 512, swapped.begin() + sectorAt(b));
    std::copy(good.begin() + sectorAt(b), good.begin() + sectorAt(b) + 512, swapped.begin() + sectorAt(a));
    put32(swapped, 76 + 4 * k, b);
    put32(swapped, 76 + 4 * (k + 1), a);

    for (const Bytes* file : {&moved, &swapped}) {
        ASSERT_EQ(gsfWorkbookStream(*file), stream) << "libgsf's own reading";
        EXPECT_EQ(asBytes(host::xls::readWorkbookStream(*file).bytes()), stream);
        EXPECT_EQ(asBytes(host::xls::readWorkbookStreamFromFile(dir.write("book.xls", *file)).bytes()), stream);
    }
}

TEST(ContainerReader, DamagedTablesAreRefusedNotFollowed) {
    const Bytes good = xls_test::compoundFile(patterned(20000));
    auto patched = [&](std::size_t at, std::uint32_t value) {
        Bytes b = good;
        for (int i = 0; i < 4; ++i) b[at + i] = std::uint8_t(value >> (8 * i));
        return b;
    };
    const std::uint32_t firstFat = good[76] | good[77] << 8 | good[78] << 16 | good[79] << 24;
    const std::size_t fatAt = (std::size_t{firstFat} + 1) * 512;
    // A FAT sector past the file's end, a FAT count the file cannot hold, a directory chain
    // that loops on itself, a stream chain that loops back to its start.
    const std::uint32_t firstDir = good[48] | good[49] << 8 | good[50] << 16 | good[51] << 24;
    for (const Bytes& bad : {patched(76, 0x00FFFFFF), patched(44, 0x7FFFFFFF), patched(fatAt + 4 * firstDir, firstDir),
                             patched(fatAt + 4 * 3, 0)}) {
        EXPECT_NE(memoryError(bad), "");
    }
}
