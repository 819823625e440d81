// Reading a whole file: small ones in one go, large ones in two halves at once, byte for byte
// either way, and clear errors for what cannot be read.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "host/host_error.h"
#include "xls/file_bytes.h"

namespace {

std::string writeFile(const std::string& dir, const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const std::string path = dir + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
}

std::string errorOf(const std::string& path) {
    try {
        host::xls::FileBytes file(path);
    } catch (const host::HostError& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(FileBytes, EverySizeComesBackByteForByte) {
    char tmpl[] = "/tmp/tallomer-file-bytes-XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    // Around the size where reading splits in two, and odd sizes that split mid-page.
    for (std::size_t size : {std::size_t(0), std::size_t(1), std::size_t(4097), (std::size_t(2) << 20) - 1,
                             std::size_t(2) << 20, (std::size_t(5) << 20) + 12345}) {
        std::vector<std::uint8_t> bytes(size);
        for (std::size_t i = 0; i < size; ++i) bytes[i] = std::uint8_t(i * 2654435761u >> 13);
        const std::string path = writeFile(dir, "f" + std::to_string(size), bytes);
        const host::xls::FileBytes file(path);
        ASSERT_EQ(file.bytes().size(), size);
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), file.bytes().begin())) << size << " bytes";
        std::remove(path.c_str());
    }
    EXPECT_NE(errorOf(dir + "/missing.xls").find("cannot open"), std::string::npos);
    EXPECT_NE(errorOf(dir).find("cannot read"), std::string::npos) << "a folder is no file";
    rmdir(dir.c_str());
}
