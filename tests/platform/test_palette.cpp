// The colour scale of the graphs: the two palettes and the level of a value.
#include "platform/palette.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace zem;

TEST(Palette, TwoRampsFromWhiteThroughCyanAndYellowForAnyLevelCount) {
    // Eighty levels: white, then cyan and yellow start the second ramps,
    // which end near blue and red.
    TPalette p;
    ASSERT_EQ(p.Minus().size(), 80u);
    ASSERT_EQ(p.Plus().size(), 80u);
    EXPECT_EQ(p.Minus()[0], clWhite);
    EXPECT_EQ(p.Plus()[0], clWhite);
    EXPECT_EQ(p.Minus()[40], RGBColor(0, 255, 255));
    EXPECT_EQ(p.Plus()[40], RGBColor(255, 255, 0));
    EXPECT_EQ(p.Minus()[20], RGBColor(127, 255, 255)) << "halfway down the first ramp";
    EXPECT_EQ(p.Plus()[79], RGBColor(255, 5, 0));
    EXPECT_EQ(p.Minus()[79], RGBColor(0, 5, 255));
    // An odd count: the second ramp has 41 entries and ends near blue
    // without wrapping.
    p.SetLevelCount(81);
    EXPECT_EQ(p.Minus()[40], RGBColor(0, 255, 255));
    for (std::size_t i = 41; i < 81; ++i) EXPECT_LT(GreenOf(p.Minus()[i]), GreenOf(p.Minus()[i - 1])) << i;
    EXPECT_LE(GreenOf(p.Minus()[80]), 10);
    // Counts out of range are held to the limits.
    p.SetLevelCount(1);
    EXPECT_EQ(p.LevelCount(), TPalette::kMinLevels);
    EXPECT_EQ(p.Minus()[0], clWhite);
    EXPECT_EQ(p.Minus()[1], RGBColor(0, 255, 255));
    p.SetLevelCount(-5);
    EXPECT_EQ(p.LevelCount(), TPalette::kMinLevels);
    p.SetLevelCount(1 << 20);
    EXPECT_EQ(p.LevelCount(), TPalette::kMaxLevels);
}

TEST(Palette, LevelsCountStrictlyExceededSteps) {
    TPalette p;
    const Extended s = 0.25;
    EXPECT_EQ(p.ColorFor(s, s), clWhite) << "a value equal to the step is white";
    EXPECT_EQ(p.ColorFor(0, s), clWhite);
    EXPECT_EQ(p.ColorFor(0, 0), clWhite);
    EXPECT_EQ(p.LevelOf(3 * s, s), 2);
    EXPECT_EQ(p.LevelOf(3 * s + 1e-9, s), 3);
    EXPECT_EQ(p.ColorFor(-2.5 * s, s), p.Minus()[1]);
    EXPECT_EQ(p.ColorFor(2.5 * s, s), p.Plus()[1]);
    // Beyond the last level the last entry stays.
    EXPECT_EQ(p.ColorFor(1e9, s), p.Plus()[79]);
    EXPECT_EQ(p.ColorFor(-std::numeric_limits<Extended>::infinity(), s), p.Minus()[79]);
    EXPECT_EQ(p.ColorFor(std::numeric_limits<Extended>::quiet_NaN(), s), clWhite);
    // A zero step puts every value that is not zero on the last level.
    EXPECT_EQ(p.ColorFor(1e-30, 0), p.Plus()[79]);
    // The level agrees with counting d = 1 ... L one by one.
    for (int i = 0; i < 2000; ++i) {
        const Extended v = i * 0.0137L, step = 0.0301L;
        int k = 0;
        while (k < 80 && v > step * (k + 1)) ++k;
        ASSERT_EQ(p.LevelOf(v, step), k) << v;
    }
}
