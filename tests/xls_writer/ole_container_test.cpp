// The compound file around the workbook stream: read back with libgsf's own reader, and
// walked sector by sector the way a strict reader would, for sizes where the FAT and the
// DIFAT grow by a sector.
#include <fcntl.h>
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "xls/ole_container_writer.h"

namespace fs = std::filesystem;
using host::xls::ByteSpan;
using host::xls::writeCompoundFile;

namespace {

constexpr std::uint32_t kDifSect = 0xFFFFFFFC;
constexpr std::uint32_t kFatSect = 0xFFFFFFFD;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFree = 0xFFFFFFFF;

// Every four bytes different, so that a sector out of place shows.
std::vector<std::uint8_t> patterned(std::size_t size) {
    std::vector<std::uint8_t> stream(size);
    for (std::size_t i = 0; i < size; ++i) stream[i] = std::uint8_t((i / 4 * 2654435761u) >> (8 * (i % 4)));
    return stream;
}

// Handed over in three parts, as the workbook writer does.
std::vector<ByteSpan> inThreeParts(const std::vector<std::uint8_t>& stream) {
    const std::size_t third = stream.size() / 3;
    return {
        {stream.data(), third}, {stream.data() + third, third}, {stream.data() + 2 * third, stream.size() - 2 * third}};
}

std::vector<std::uint8_t> readFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct Written {
    std::string name;
    ~Written() { std::remove(name.c_str()); }
};

void write(Written& file, const std::vector<std::uint8_t>& stream) {
    char name[] = "/tmp/tallomer-ole-XXXXXX";
    const int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    file.name = name;
    EXPECT_TRUE(writeCompoundFile(fd, inThreeParts(stream))) << std::strerror(errno);
    close(fd);
}

std::vector<std::uint8_t> readBackWithGsf(const std::string& name) {
    GError* error = nullptr;
    GsfInput* input = gsf_input_stdio_new(name.c_str(), &error);
    EXPECT_NE(input, nullptr);
    if (!input) return {};
    GsfInfile* container = gsf_infile_msole_new(input, &error);
    EXPECT_NE(container, nullptr) << (error ? error->message : "");
    std::vector<std::uint8_t> back;
    if (container) {
        EXPECT_EQ(gsf_infile_num_children(container), 1);
        GsfInput* workbook = gsf_infile_child_by_name(container, "Workbook");
        EXPECT_NE(workbook, nullptr);
        if (workbook) {
            back.resize(gsf_input_size(workbook));
            EXPECT_NE(gsf_input_read(workbook, back.size(), back.data()), nullptr);
            g_object_unref(workbook);
        }
        g_object_unref(container);
    }
    g_object_unref(input);
    return back;
}

std::uint16_t u16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }
std::uint32_t u32(const std::uint8_t* p) { return std::uint32_t(u16(p)) | std::uint32_t(u16(p + 2)) << 16; }
std::uint64_t u64(const std::uint8_t* p) { return std::uint64_t(u32(p)) | std::uint64_t(u32(p + 4)) << 32; }

std::string entryName(const std::uint8_t* e) {
    std::string name;
    for (std::size_t i = 0; i + 2 < u16(e + 64); i += 2) name += char(u16(e + i));
    return name;
}

// Walks the file as a strict reader would: the header's fields, every FAT sector listed by
// the header and the DIFAT chain, the directory, and every sector belonging to exactly one
// thing. The workbook stream must lie in consecutive sectors from sector 0.
void expectWellFormed(const std::vector<std::uint8_t>& file, std::uint64_t streamSize) {
    ASSERT_GE(file.size(), 1024u);
    ASSERT_EQ(file.size() % 512, 0u) << "the file is not whole sectors";
    const std::size_t sectors = file.size() / 512 - 1;
    const std::uint8_t* h = file.data();
    const auto sector = [&](std::uint32_t s) { return file.data() + 512 * (std::size_t(s) + 1); };

    static constexpr std::uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    EXPECT_EQ(std::memcmp(h, kSignature, 8), 0);
    EXPECT_TRUE(std::all_of(h + 8, h + 24, [](auto b) { return b == 0; })) << "header CLSID";
    EXPECT_EQ(u16(h + 24), 0x3E);
    EXPECT_EQ(u16(h + 26), 3);
    EXPECT_EQ(u16(h + 28), 0xFFFE);
    EXPECT_EQ(u16(h + 30), 9);
    EXPECT_EQ(u16(h + 32), 6);
    EXPECT_TRUE(std::all_of(h + 34, h + 40, [](auto b) { return b == 0; })) << "reserved";
    EXPECT_EQ(u32(h + 40), 0u) << "directory sectors: always 0 in version 3";
    EXPECT_EQ(u32(h + 52), 0u) << "transaction signature";
    EXPECT_EQ(u32(h + 56), 4096u);
    EXPECT_EQ(u32(h + 60), kEndOfChain) << "mini FAT";
    EXPECT_EQ(u32(h + 64), 0u) << "mini FAT sectors";

    // The FAT sectors: the header's 109 places, then the DIFAT chain's 127 a sector.
    const std::uint32_t fatCount = u32(h + 44);
    const std::uint32_t difatCount = u32(h + 72);
    EXPECT_GE(fatCount * 128u, sectors) << "the FAT does not cover the file";
    EXPECT_LT((fatCount - 1) * 128u, sectors) << "a FAT sector too many";
    std::vector<std::uint32_t> fatSectors;
    for (std::uint32_t i = 0; i < 109; ++i) {
        const std::uint32_t s = u32(h + 76 + 4 * i);
        if (i < fatCount)
            fatSectors.push_back(s);
        else
            EXPECT_EQ(s, kFree) << "header DIFAT place " << i;
    }
    std::vector<std::uint32_t> difatSectors;
    std::uint32_t next = u32(h + 68);
    if (difatCount == 0) {
        EXPECT_EQ(next, kEndOfChain);
    }
    for (std::uint32_t d = 0; d < difatCount; ++d) {
        ASSERT_LT(next, sectors) << "DIFAT sector " << d;
        difatSectors.push_back(next);
        const std::uint8_t* p = sector(next);
        for (std::uint32_t i = 0; i < 127; ++i) {
            if (fatSectors.size() < fatCount)
                fatSectors.push_back(u32(p + 4 * i));
            else
                EXPECT_EQ(u32(p + 4 * i), kFree) << "DIFAT sector " << d << " place " << i;
        }
        next = u32(p + 508);
    }
    EXPECT_EQ(next, kEndOfChain) << "the DIFAT chain does not end";
    ASSERT_EQ(fatSectors.size(), fatCount) << "the DIFAT lists too few FAT sectors";

    std::vector<std::uint32_t> fat;
    for (std::uint32_t s : fatSectors) {
        ASSERT_LT(s, sectors);
        for (int i = 0; i < 128; ++i) fat.push_back(u32(sector(s) + 4 * i));
    }
    std::vector<int> owners(sectors, 0);
    for (std::uint32_t s : fatSectors) {
        EXPECT_EQ(fat[s], kFatSect) << "FAT sector " << s;
        ++owners[s];
    }
    for (std::uint32_t s : difatSectors) {
        EXPECT_EQ(fat[s], kDifSect) << "DIFAT sector " << s;
        ++owners[s];
    }
    for (std::size_t s = sectors; s < fat.size(); ++s) EXPECT_EQ(fat[s], kFree) << "past the end: " << s;

    // The directory: one sector, the root and the workbook stream, the rest empty.
    const std::uint32_t directory = u32(h + 48);
    ASSERT_LT(directory, sectors);
    EXPECT_EQ(fat[directory], kEndOfChain);
    ++owners[directory];
    const std::uint8_t* root = sector(directory);
    const std::uint8_t* workbook = root + 128;
    EXPECT_EQ(entryName(root), "Root Entry");
    EXPECT_EQ(u16(root + 64), 22);
    EXPECT_EQ(root[66], 5);
    EXPECT_EQ(u32(root + 76), 1u) << "root's child";
    EXPECT_EQ(u32(root + 116), kEndOfChain) << "no mini stream";
    EXPECT_EQ(u64(root + 120), 0u);
    EXPECT_EQ(entryName(workbook), "Workbook");
    EXPECT_EQ(u16(workbook + 64), 18);
    EXPECT_EQ(workbook[66], 2);
    EXPECT_EQ(u32(workbook + 76), kFree) << "a stream has no child";
    EXPECT_EQ(u32(workbook + 116), 0u) << "the stream starts at sector 0";
    EXPECT_EQ(u64(workbook + 120), streamSize);
    for (const std::uint8_t* e : {root, workbook}) {
        EXPECT_EQ(e[67], 1) << "black";
        EXPECT_EQ(u32(e + 68), kFree);
        EXPECT_EQ(u32(e + 72), kFree);
    }
    for (const std::uint8_t* e = root + 256; e < root + 512; e += 128) {
        EXPECT_EQ(e[66], 0) << "unused entry";
        EXPECT_EQ(u32(e + 68), kFree);
        EXPECT_EQ(u32(e + 72), kFree);
        EXPECT_EQ(u32(e + 76), kFree);
    }

    // The stream in consecutive sectors.
    const std::size_t streamSectors = (streamSize + 511) / 512;
    for (std::size_t s = 0; s < streamSectors; ++s) {
        const std::uint32_t expected = s + 1 < streamSectors ? std::uint32_t(s + 1) : kEndOfChain;
        if (fat[s] != expected) {
            ADD_FAILURE() << "stream sector " << s << " is followed by " << fat[s];
            break;
        }
        ++owners[s];
    }
    for (std::size_t s = 0; s < sectors; ++s) {
        if (owners[s] != 1) {
            ADD_FAILURE() << "sector " << s << " belongs to " << owners[s] << " things";
            break;
        }
    }
}

}  // namespace

TEST(OleContainer, ASmallStreamIsPaddedOutOfTheMiniStream) {
    const std::vector<std::uint8_t> stream = {0x09, 0x08, 0x02, 0x00, 0xAA, 0xBB};
    Written file;
    write(file, stream);
    expectWellFormed(readFile(file.name), host::xls::kMinWorkbookStreamSize);
    const auto back = readBackWithGsf(file.name);
    ASSERT_EQ(back.size(), host::xls::kMinWorkbookStreamSize);
    EXPECT_TRUE(std::equal(stream.begin(), stream.end(), back.begin()));
    EXPECT_TRUE(std::all_of(back.begin() + stream.size(), back.end(), [](auto b) { return b == 0; }));
}

// Sizes in sectors where the file crosses a boundary: whole sectors and one byte more; the
// FAT filling its first sector exactly and needing a second for its own; the header's 109
// FAT places full, and one over that needs a DIFAT sector; a second DIFAT sector; a stream
// of no whole number of sectors, as large as the largest workbooks.
TEST(OleContainer, StreamsAroundEachBoundaryComeBackByteForByte) {
    const std::size_t sizes[] = {4096,        4097,        126 * 512,       126 * 512 + 1,
                                 127 * 512,   13842 * 512, 13842 * 512 + 1, 13843 * 512,
                                 29971 * 512, 9'000'001};
    for (const std::size_t size : sizes) {
        SCOPED_TRACE("stream of " + std::to_string(size) + " bytes");
        const auto stream = patterned(size);
        Written file;
        write(file, stream);
        expectWellFormed(readFile(file.name), size);
        EXPECT_TRUE(readBackWithGsf(file.name) == stream);
    }
}

// The file's bytes follow from the stream's alone: nothing (a time, a buffer's leftovers)
// may make two saves of the same workbook differ.
TEST(OleContainer, TheSameStreamGivesTheSameFile) {
    const auto stream = patterned(100'000);
    Written a, b;
    write(a, stream);
    write(b, stream);
    EXPECT_TRUE(readFile(a.name) == readFile(b.name));
}

// A pipe drained slowly, with signals (no SA_RESTART) landing while the writer waits: its
// writes come back short or interrupted, and the file must still come out whole.
TEST(OleContainer, ShortAndInterruptedWritesLoseNothing) {
    struct sigaction quiet {
    }, previous{};
    quiet.sa_handler = [](int) {};
    sigemptyset(&quiet.sa_mask);
    ASSERT_EQ(sigaction(SIGUSR1, &quiet, &previous), 0);

    const auto stream = patterned(3'000'000);
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const pthread_t writer = pthread_self();
    std::atomic<bool> done{false};
    std::vector<std::uint8_t> file;
    std::thread reader([&] {
        std::uint8_t buffer[4096];
        // A signal before a read finds the writer waiting with nothing written (interrupted),
        // one after it finds the writer part way (a short write).
        for (;;) {
            if (!done) pthread_kill(writer, SIGUSR1);
            const ssize_t n = read(pipeEnds[0], buffer, sizeof buffer);
            if (n <= 0) break;
            file.insert(file.end(), buffer, buffer + n);
            if (!done) pthread_kill(writer, SIGUSR1);
        }
    });
    const bool ok = writeCompoundFile(pipeEnds[1], inThreeParts(stream));
    const int error = errno;
    done = true;
    close(pipeEnds[1]);
    reader.join();
    close(pipeEnds[0]);
    sigaction(SIGUSR1, &previous, nullptr);

    ASSERT_TRUE(ok) << std::strerror(error);
    expectWellFormed(file, stream.size());
    EXPECT_TRUE(std::equal(stream.begin(), stream.end(), file.begin() + 512));
}

// A full disk is a real one, a small tmpfs: the write fails and errno says why.
TEST(OleContainer, AFullDiskFailsWithNoSpace) {
    char tmpl[] = "/tmp/tallomer-ole-full-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const fs::path dir = tmpl;
    if (mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=64k") != 0) {
        const std::string why = std::strerror(errno);
        fs::remove_all(dir);
        GTEST_SKIP() << "cannot mount a tmpfs here (" << why << "): needs root";
    }
    const int fd = open((dir / "book.xls").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    EXPECT_GE(fd, 0);
    const auto stream = patterned(3'000'000);
    errno = 0;
    EXPECT_FALSE(writeCompoundFile(fd, inThreeParts(stream)));
    EXPECT_EQ(errno, ENOSPC) << std::strerror(errno);
    close(fd);
    umount2(dir.c_str(), MNT_DETACH);
    fs::remove_all(dir);
}
