// The record buffer: it grows from a few bytes to megabytes, moves between
// owners, and keeps every byte on the way.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "xls/biff_record_writer.h"

using host::xls::BiffRecordWriter;

TEST(BiffRecordWriter, GrowingIntoMegabytesKeepsEveryByte) {
    BiffRecordWriter out(16);
    std::vector<std::uint8_t> expected;
    for (std::uint32_t i = 0; expected.size() < (std::size_t(9) << 20); ++i) {
        out.u32(i * 2654435761u);
        for (int b = 0; b < 4; ++b) expected.push_back(std::uint8_t((i * 2654435761u) >> (8 * b)));
    }
    ASSERT_EQ(out.size(), expected.size());
    EXPECT_GE(out.capacity(), out.size());
    EXPECT_EQ(out.copy(), expected);

    // Moved, the bytes go with it; the moved-from buffer is usable again.
    BiffRecordWriter moved(std::move(out));
    EXPECT_EQ(moved.copy(), expected);
    BiffRecordWriter assigned;
    assigned.u16(7);
    assigned = std::move(moved);
    EXPECT_EQ(assigned.copy(), expected);
    moved.clear();
    moved.u16(0x0201);
    EXPECT_EQ(moved.copy(), (std::vector<std::uint8_t>{0x01, 0x02}));
}
