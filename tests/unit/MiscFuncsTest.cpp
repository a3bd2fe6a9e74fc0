#include <gtest/gtest.h>

#include "base/MyMiscFuncs.h"

TEST(RoundMy, NearestWithHalvesAwayFromZero) {
    const struct { double x; int r; } cases[] = {
        {0.0, 0}, {0.4, 0}, {-0.4, 0}, {0.5, 1}, {-0.5, -1}, {1e9 + 0.5, 1000000001},
        // Just below a half; for 0.49999999999999994 the double sum x + 0.5 is 1.0.
        {0.49999999999999994, 0},           {-0.49999999999999994, 0},          {2.4999999999999996, 2},
        {2147483646.5, 2147483647},         {-2147483647.5, -2147483647 - 1},
    };
    for (const auto& c : cases) EXPECT_EQ(c.r, roundMy(c.x)) << "x=" << c.x;
}

TEST(RoundnMy, PlacesFromTheDoubleProduct) {
    const struct { double x; int n; double r; } cases[] = {
        {0.125, 2, 0.13},   {-0.125, 2, -0.13},  {12.3449, 2, 12.34},  {33.335, 2, 33.34},  // 3333.5 exactly
        {1.005, 2, 1.0},    {2.5, 0, 3.0},       {-2.5, 0, -3.0},      {1234.5678, 3, 1234.568},
        {99.999, 2, 100.0}, {0.0, 2, 0.0},       {1250.0, -2, 1300.0}, {-1249.0, -2, -1200.0},
    };
    for (const auto& c : cases) EXPECT_EQ(c.r, roundnMy(c.x, c.n)) << "x=" << c.x << " n=" << c.n;
}
