#include <gtest/gtest.h>

#include "host/address.h"

using host::CellAddress;

TEST(Addresses, ReadAndWriteBothForms) {
    EXPECT_EQ(host::formatAddress({6, 1}, true), "$B$7");
    EXPECT_EQ(host::formatAddress({6, 1}, false), "B7");
    EXPECT_EQ(host::formatAddress({65535, 255}, true), "$IV$65536");
    EXPECT_EQ(host::parseAddress("$B$7"), (CellAddress{6, 1}));
    EXPECT_EQ(host::parseAddress("b7"), (CellAddress{6, 1}));
    EXPECT_EQ(host::parseAddress("B$7"), (CellAddress{6, 1}));
    EXPECT_EQ(host::parseAddress("IV65536"), (CellAddress{65535, 255}));
}

TEST(Addresses, RefusesWhatIsNotACellOnTheSheet) {
    for (const char* bad : {"", "A", "7", "A0", "IW1", "A65537", "$", "A1B", "AAAA1", "A-1", "A1 "}) {
        EXPECT_FALSE(host::parseAddress(bad).has_value()) << bad;
    }
}

TEST(Addresses, RangesPutTheirCornersInOrder) {
    const auto r = host::parseRange("K2:A1");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->first, (CellAddress{0, 0}));
    EXPECT_EQ(r->last, (CellAddress{1, 10}));
    EXPECT_TRUE(r->contains({1, 5}));
    EXPECT_FALSE(r->contains({2, 5}));
    EXPECT_EQ(host::parseRange("A1:A1000")->last, (CellAddress{999, 0}));
    EXPECT_FALSE(host::parseRange("A1:").has_value());
}
