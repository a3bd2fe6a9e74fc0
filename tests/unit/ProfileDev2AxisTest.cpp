#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "app/Quorix.h"
#include "profile/ProfileDev2Axis.h"

namespace {

// One apply call; bInvertFirst sets the invert flag just before it (2: and forgets the last raw, as the dialog does).
struct Step { int raw; double value; int bChanged; int bInvertFirst = 0; };
// Settings before the first step; with calibration 0..10000 a raw value is the percentage in hundredths.
struct Cfg {
    int lo = 0, hi = 65536, bInvert = 0;
    double jitter = 0, rvBugCor = 0;
    int bCentred = 0, point = -1, pointVal = 0;
};
struct TransferCase { const char* name; Cfg cfg; std::vector<Step> steps; };

const TransferCase kTransferCases[] = {
    {"defaults", {}, {{32768, 50.0, 1}, {32768, 50.0, 0}, {65535, 100.0, 1}, {0, 0.0, 1}}},
    {"start value is raw -1", {}, {{-1, -1.0, 0}}},
    // A setting changed while the controller rests acts on the next move only.
    {"unchanged raw keeps its result", {}, {{16384, 25.0, 1}, {16384, 25.0, 0, 1}, {8192, 87.5, 1}}},
    {"clamped to the same value", {1000, 3000}, {{500, 0.0, 1}, {999, 0.0, 0, 1}}},
    {"inverted", {1000, 3000, 1}, {{1000, 100.0, 1}, {3000, 0.0, 1}, {500, 100.0, 1}, {2000, 50.0, 1}}},
    {"empty range", {5, 5}, {{7, 0.0, 1}}},
    // Registry values may span the whole int range; the position must stay 0..100.
    {"whole int range", {INT_MIN, INT_MAX}, {{INT_MIN, 0.0, 1}, {INT_MAX, 100.0, 1}, {1, 50.0, 1}}},
    {"above a range ending at 0", {INT_MIN, 0}, {{INT_MAX, 100.0, 1}}},
    {"below a range from 0", {0, INT_MAX}, {{INT_MIN, 0.0, 1}}},
    {"hundredths round half up", {0, 20000}, {{1, 0.01, 1}, {3, 0.02, 1}, {19999, 100.0, 1}}},
    {"jitter", {0, 10000, 0, 0.5}, {{4000, 40.0, 1}, {4040, 40.0, 0}, {4060, 40.6, 1}}},
    {"first point half", {0, 10000, 0, 0, 0, 0, 0, 50}, {{300, 1.5, 1}, {500, 2.5, 1}, {600, 3.6, 1}}},
    {"last point 80", {0, 10000, 0, 0, 0, 0, 19, 80}, {{10000, 80.0, 1}}},
    {"centred", {0, 10000, 0, 0, 0, 1, 10, 50}, {{4500, 47.5, 1}, {5500, 52.5, 1}, {5000, 50.0, 1}}},
    {"g940 reversal", {0, 10000, 0, 0, 3.0},
     {{3000, 30.0, 1}, {4000, 38.0, 1}, {5000, 50.0, 1}, {4500, 47.0, 1}, {4400, 45.5, 1}, {4000, 40.0, 1}}},
    // The ends pass unchanged and reset the direction: the next move shifts against it.
    {"g940 ends", {0, 10000, 0, 0, 3.0},
     {{3000, 30.0, 1}, {4000, 38.0, 1}, {10000, 100.0, 1}, {9000, 92.0, 1}, {0, 0.0, 1}}},
    {"g940 inverted at rest", {0, 10000, 0, 0, 3.0},
     {{9000, 90.0, 1}, {8500, 87.0, 1}, {8000, 80.0, 1}, {8000, 20.0, 1, 2}}},
};

class ProfileDev2AxisTest : public ::testing::Test {
protected:
    double run(ProfileDev2Axis& a, int raw, int* changed = nullptr) {
        int c = -7;
        double v = -7.0;
        EXPECT_EQ(0, a.apply(changed ? *changed : c, v, raw));
        return v;
    }
    Quorix app;
};

TEST_F(ProfileDev2AxisTest, TransferExamples) {
    for (const TransferCase& tc : kTransferCases) {
        ProfileDev2Axis a(app, IDIL_AILERONS, nullptr);
        const Cfg& c = tc.cfg;
        a.iMinCalibVal = c.lo, a.iMaxCalibVal = c.hi, a.bInvert = c.bInvert, a.dFilterJitter = c.jitter;
        a.dRvBugCor = c.rvBugCor, a.bIs50Axis = c.bCentred;
        if (c.point >= 0) a.setTranslate(c.point, c.pointVal);
        for (const Step& s : tc.steps) {
            if (s.bInvertFirst) a.bInvert = 1;
            if (s.bInvertFirst == 2) a.forgetLastRaw();
            int changed = -1;
            EXPECT_DOUBLE_EQ(s.value, run(a, s.raw, &changed)) << tc.name << " raw " << s.raw;
            EXPECT_EQ(s.bChanged, changed) << tc.name << " raw " << s.raw;
        }
    }
}

TEST_F(ProfileDev2AxisTest, CentredIgnoresPointsZeroToEight) {
    ProfileDev2Axis plain(app, IDIL_AILERONS, nullptr), shaped(app, IDIL_AILERONS, nullptr);
    for (auto* a : {&plain, &shaped}) a->iMaxCalibVal = 10000, a->bIs50Axis = 1, a->setTranslate(12, 40);
    for (int j = 0; j <= 8; ++j) shaped.setTranslate(j, 10 * j);
    for (int raw = 0; raw <= 10000; raw += 37) EXPECT_DOUBLE_EQ(run(plain, raw), run(shaped, raw)) << raw;
}

TEST_F(ProfileDev2AxisTest, CurvePointsClampAndInterpolate) {
    ProfileDev2Axis axis(app, IDIL_AILERONS, nullptr);
    for (int bad : {-1, 20, INT_MIN, INT_MAX}) {
        int out = 12345;
        EXPECT_EQ(1, axis.getTranslate(out, bad));
        EXPECT_EQ(12345, out);
        EXPECT_EQ(1, axis.setTranslate(bad, 5));
    }
    const struct { int in, stored; } clamps[] = {{150, 100}, {99, 99}, {-5, 0}};
    for (const auto& c : clamps) {
        int out = -1;
        EXPECT_EQ(0, axis.setTranslate(19, c.in));
        EXPECT_EQ(0, axis.getTranslate(out, 19));
        EXPECT_EQ(c.stored, out) << c.in;
        EXPECT_DOUBLE_EQ(c.stored, axis.adTrCurve[99]);
    }
    axis.setTranslate(6, 0), axis.setTranslate(7, 10);
    for (int k = 0; k < 5; ++k) EXPECT_NEAR(2.0 * (k + 1), axis.adTrCurve[35 + k], 1e-12);
}

}  // namespace
