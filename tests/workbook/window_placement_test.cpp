#include "workbook/window_placement.h"

#include <gtest/gtest.h>

#include "workbook/window_layout.h"

using namespace tallomer;

TEST(WindowPlacement, FileDialogOnA12000By9000Screen) {
    const Placement save = fileDialogPlacement(12000, 9000, 4290);
    EXPECT_DOUBLE_EQ(save.left, 2985);
    EXPECT_DOUBLE_EQ(save.top, 2355);
    EXPECT_DOUBLE_EQ(save.width, 6030);
    EXPECT_DOUBLE_EQ(save.height, 4290);
    EXPECT_DOUBLE_EQ(fileDialogPlacement(12000, 9000, 4200).top, 2400);
}

TEST(WindowPlacement, OddDifferenceGivesAHalfTwip) {
    const Placement main = centredPlacement(kMainWindowWidth + 1025, 9000, kMainWindowWidth, kMainWindowHeight);
    EXPECT_DOUBLE_EQ(main.left, 512.5);
    EXPECT_DOUBLE_EQ(main.top, 862.5);
}

TEST(WindowPlacement, SmallOrEqualScreenGivesZeroNeverNegative) {
    const Placement small = centredPlacement(4000, 1000, kMainWindowWidth, kMainWindowHeight);
    EXPECT_DOUBLE_EQ(small.left, 0);
    EXPECT_DOUBLE_EQ(small.top, 0);
    const Placement exact = centredPlacement(kMainWindowWidth, kMainWindowHeight, kMainWindowWidth, kMainWindowHeight);
    EXPECT_DOUBLE_EQ(exact.left, 0);
    EXPECT_DOUBLE_EQ(exact.top, 0);
    EXPECT_DOUBLE_EQ(fileDialogPlacement(6000, 4000, 4290).left, 0);
}
