// The compound file around the workbook stream, read back with libgsf's own reader.
#include <gtest/gtest.h>
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-utils.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "xls/ole_container_writer.h"

using host::xls::writeCompoundFile;

namespace {

std::vector<std::uint8_t> writeAndReadBack(const std::vector<std::uint8_t>& stream) {
    char name[] = "/tmp/tallomer-ole-XXXXXX";
    const int fd = mkstemp(name);
    // Handed over in three parts, as the workbook writer does.
    const std::size_t third = stream.size() / 3;
    const std::vector<host::xls::ByteSpan> parts = {{stream.data(), third},
                                                    {stream.data() + third, third},
                                                    {stream.data() + 2 * third, stream.size() - 2 * third}};
    EXPECT_TRUE(writeCompoundFile(fd, parts));
    close(fd);

    GError* error = nullptr;
    GsfInput* input = gsf_input_stdio_new(name, &error);
    EXPECT_NE(input, nullptr);
    GsfInfile* container = gsf_infile_msole_new(input, &error);
    EXPECT_NE(container, nullptr) << (error ? error->message : "");
    std::vector<std::uint8_t> back;
    if (container) {
        GsfInput* workbook = gsf_infile_child_by_name(container, "Workbook");
        EXPECT_NE(workbook, nullptr);
        if (workbook) {
            back.resize(gsf_input_size(workbook));
            gsf_input_read(workbook, back.size(), back.data());
            g_object_unref(workbook);
        }
        g_object_unref(container);
    }
    g_object_unref(input);
    std::remove(name);
    return back;
}

}  // namespace

TEST(OleContainer, ASmallStreamIsPaddedOutOfTheMiniStream) {
    const std::vector<std::uint8_t> stream = {0x09, 0x08, 0x02, 0x00, 0xAA, 0xBB};
    const auto back = writeAndReadBack(stream);
    ASSERT_EQ(back.size(), host::xls::kMinWorkbookStreamSize);
    EXPECT_TRUE(std::equal(stream.begin(), stream.end(), back.begin()));
    EXPECT_TRUE(std::all_of(back.begin() + stream.size(), back.end(), [](auto b) { return b == 0; }));
}

TEST(OleContainer, ALargeStreamComesBackByteForByte) {
    std::vector<std::uint8_t> stream(9'000'000);
    for (std::size_t i = 0; i < stream.size(); ++i) stream[i] = std::uint8_t(i * 7 + (i >> 12));
    EXPECT_EQ(writeAndReadBack(stream), stream);
}
