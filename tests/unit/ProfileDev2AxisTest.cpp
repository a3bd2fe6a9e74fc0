#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "app/Quorix.h"
#include "base/MyMiscFuncs.h"
#include "profile/ProfileDev2Axis.h"

namespace {

struct Step {
    int raw;
    double value;
    int bChanged;
};

struct TransferCase {
    const char* name;
    void (*setup)(ProfileDev2Axis&);
    std::vector<Step> steps;
};

// With calibration 0..10000 a raw value is the percentage in hundredths.
void percentScale(ProfileDev2Axis& a) { a.iMaxCalibVal = 10000; }
void defaults(ProfileDev2Axis&) {}
void inverted(ProfileDev2Axis& a) { a.iMinCalibVal = 1000; a.iMaxCalibVal = 3000; a.bInvert = 1; }
void jitter(ProfileDev2Axis& a) { percentScale(a); a.dFilterJitter = 0.5; }
void firstPointHalf(ProfileDev2Axis& a) { percentScale(a); a.setTranslate(0, 50); }
void lastPoint80(ProfileDev2Axis& a) { percentScale(a); a.setTranslate(19, 80); }
void centred(ProfileDev2Axis& a) { percentScale(a); a.bIs50Axis = 1; a.setTranslate(10, 50); }
void g940(ProfileDev2Axis& a) { percentScale(a); a.dRvBugCor = 3.0; }

const TransferCase kTransferCases[] = {
    {"defaults", defaults, {{32768, 50.0, 1}, {32768, 50.0, 0}, {65535, 100.0, 1}, {0, 0.0, 1}}},
    {"inverted", inverted, {{1000, 100.0, 1}, {3000, 0.0, 1}, {500, 100.0, 1}, {2000, 50.0, 1}}},
    {"jitter", jitter, {{4000, 40.0, 1}, {4040, 40.0, 0}, {4060, 40.6, 1}}},
    {"firstPointHalf", firstPointHalf, {{300, 1.5, 1}, {500, 2.5, 1}, {600, 3.6, 1}}},
    {"lastPoint80", lastPoint80, {{10000, 80.0, 1}}},
    {"centred", centred, {{4500, 47.5, 1}, {5500, 52.5, 1}, {5000, 50.0, 1}}},
    {"g940Reversal", g940,
     {{3000, 30.0, 1}, {4000, 38.0, 1}, {5000, 50.0, 1}, {4500, 47.0, 1}, {4400, 45.5, 1},
      {4300, 44.0, 1}, {4200, 42.5, 1}, {4100, 41.0, 1}, {4000, 40.0, 1}}},
};

class ProfileDev2AxisTest : public ::testing::Test {
protected:
    ProfileDev2AxisTest() : axis(app, IDIL_AILERONS, nullptr) {}
    Quorix app;
    ProfileDev2Axis axis;

    double run(int raw, int* changed = nullptr) {
        int c = -7;
        double v = -7.0;
        EXPECT_EQ(0, axis.apply(c, v, raw));
        if (changed) *changed = c;
        return v;
    }
};

TEST_F(ProfileDev2AxisTest, TransferExamples) {
    for (const TransferCase& tc : kTransferCases) {
        ProfileDev2Axis a(app, IDIL_AILERONS, nullptr);
        tc.setup(a);
        for (const Step& s : tc.steps) {
            int changed = -1;
            double v = -1.0;
            a.apply(changed, v, s.raw);
            EXPECT_DOUBLE_EQ(s.value, v) << tc.name << " raw " << s.raw;
            EXPECT_EQ(s.bChanged, changed) << tc.name << " raw " << s.raw;
        }
    }
}

TEST_F(ProfileDev2AxisTest, G940EndsPassUnchangedAndResetDirection) {
    axis.iMaxCalibVal = 10000;
    axis.dRvBugCor = 3.0;
    run(3000);
    EXPECT_DOUBLE_EQ(38.0, run(4000));
    EXPECT_EQ(1, axis.iRvBugDir);
    EXPECT_DOUBLE_EQ(100.0, run(10000));
    EXPECT_EQ(0, axis.iRvBugDir);
    EXPECT_DOUBLE_EQ(92.0, run(9000));  // first move after the reset shifts against it
    EXPECT_EQ(-1, axis.iRvBugDir);
    EXPECT_DOUBLE_EQ(0.0, run(0));
    EXPECT_EQ(0, axis.iRvBugDir);
}

TEST_F(ProfileDev2AxisTest, UnchangedRawReturnsOldResultWithoutComputing) {
    EXPECT_DOUBLE_EQ(-1.0, run(-1));  // matches the start value
    run(16384);
    axis.bInvert = 1;  // a setting changed while the controller rests
    int changed = -1;
    EXPECT_DOUBLE_EQ(25.0, run(16384, &changed));
    EXPECT_EQ(0, changed);
    EXPECT_EQ(16384, axis.iLastValRaw);
    EXPECT_DOUBLE_EQ(25.0, axis.dLastValReport);
    EXPECT_DOUBLE_EQ(87.5, run(8192));  // the next real move uses it
}

TEST_F(ProfileDev2AxisTest, ClampedToSameValueOnlyRemembersRaw) {
    axis.iMinCalibVal = 1000;
    axis.iMaxCalibVal = 3000;
    EXPECT_DOUBLE_EQ(0.0, run(500));
    axis.bInvert = 1;
    int changed = -1;
    EXPECT_DOUBLE_EQ(0.0, run(999, &changed));
    EXPECT_EQ(0, changed);
    EXPECT_EQ(999, axis.iLastValRaw);
    EXPECT_EQ(1000, axis.iLastValClamped);
    EXPECT_DOUBLE_EQ(0.0, axis.dLastValReport);
}

TEST_F(ProfileDev2AxisTest, SwallowedJitterKeepsReportedValue) {
    axis.iMaxCalibVal = 10000;
    axis.dFilterJitter = 0.5;
    run(4000);
    int changed = -1;
    run(4040, &changed);
    EXPECT_EQ(0, changed);
    EXPECT_EQ(4040, axis.iLastValRaw);
    EXPECT_EQ(4040, axis.iLastValClamped);
    EXPECT_DOUBLE_EQ(40.0, axis.dLastValReport);
    EXPECT_DOUBLE_EQ(40.0, axis.dLastValCorrected);
}

// Registry values may span the whole int range; the position must stay 0..100.
TEST_F(ProfileDev2AxisTest, ExtremeCalibrationDoesNotOverflow) {
    struct { int lo, hi, raw; double expected; } cases[] = {
        {INT_MIN, INT_MAX, INT_MIN, 0.0},   {INT_MIN, INT_MAX, INT_MAX, 100.0},
        {INT_MIN, INT_MAX, 0, 50.0},        {INT_MIN, INT_MAX, 1, 50.0}, 
        {-2000000000, 2000000000, 1000000000, 75.0}, {INT_MIN, 0, INT_MAX, 100.0},
        {0, INT_MAX, INT_MIN, 0.0},         {INT_MAX - 1, INT_MAX, INT_MAX, 100.0},
        {INT_MIN, INT_MIN + 1, INT_MIN, 0.0},
    };
    for (const auto& tc : cases) {
        ProfileDev2Axis a(app, IDIL_AILERONS, nullptr);
        a.iMinCalibVal = tc.lo;
        a.iMaxCalibVal = tc.hi;
        int changed = 0;
        double v = -1.0;
        a.apply(changed, v, tc.raw);
        EXPECT_DOUBLE_EQ(tc.expected, v) << tc.lo << ".." << tc.hi << " raw " << tc.raw;
    }
    axis.iMinCalibVal = INT_MIN;
    axis.iMaxCalibVal = INT_MAX;
    for (long long raw = INT_MIN; raw <= INT_MAX; raw += 33554431) {
        double v = run(static_cast<int>(raw));
        EXPECT_TRUE(v >= 0.0 && v <= 100.0) << raw << " -> " << v;
    }
}

// Never allowed by the dialogs or readConfig, but a division by zero must not leak out.
// apply rounds the position with its own copy of roundnMy(x, 2); ties included
// (0..20000 puts raw 1 at 0.005 %), both must agree on every raw value.
TEST_F(ProfileDev2AxisTest, PositionRoundingMatchesRoundnMy) {
    struct { int lo, hi; } ranges[] = {{0, 65536}, {0, 20000}, {0, 80000}, {0, 3}, {-5, 7}, {100, 65535}};
    for (const auto& r : ranges) {
        ProfileDev2Axis a(app, IDIL_AILERONS, nullptr);
        a.iMinCalibVal = r.lo;
        a.iMaxCalibVal = r.hi;
        for (int raw = r.lo; raw <= r.hi; ++raw) {
            int c = 0;
            double v = 0.0;
            a.apply(c, v, raw);
            double expected = roundnMy((raw - r.lo) * 100.0 / (r.hi - r.lo), 2);
            if (a.dLastValReport != expected) {
                ADD_FAILURE() << r.lo << ".." << r.hi << " raw " << raw << ": " << a.dLastValReport;
                break;
            }
        }
    }
}

TEST_F(ProfileDev2AxisTest, EmptyRangeGivesDefinedValue) {
    for (int invert : {0, 1}) {
        ProfileDev2Axis a(app, IDIL_AILERONS, nullptr);
        a.iMinCalibVal = a.iMaxCalibVal = 5;
        a.bInvert = invert;
        int changed = 0;
        double v = -1.0;
        a.apply(changed, v, 7);
        EXPECT_DOUBLE_EQ(invert ? 100.0 : 0.0, v);
    }
}

TEST_F(ProfileDev2AxisTest, CentredIgnoresPointsZeroToEight) {
    ProfileDev2Axis shaped(app, IDIL_AILERONS, nullptr);
    axis.bIs50Axis = shaped.bIs50Axis = 1;
    axis.iMaxCalibVal = shaped.iMaxCalibVal = 10000;
    axis.setTranslate(12, 40);
    shaped.setTranslate(12, 40);
    for (int j = 0; j <= 8; ++j) shaped.setTranslate(j, 10 * j);
    for (int raw = 0; raw <= 10000; raw += 37) {
        int c = 0;
        double v = 0.0;
        shaped.apply(c, v, raw);
        EXPECT_DOUBLE_EQ(run(raw), v) << raw;
    }
}

TEST_F(ProfileDev2AxisTest, TranslateIndexAndClamp) {
    for (int bad : {-1, 20, INT_MIN, INT_MAX}) {
        int out = 12345;
        EXPECT_EQ(1, axis.getTranslate(out, bad));
        EXPECT_EQ(12345, out);
        EXPECT_EQ(1, axis.setTranslate(bad, 5));
    }
    struct { int in, stored; } clamps[] = {{150, 100}, {100, 100}, {99, 99}, {0, 0}, {-5, 0}};
    for (const auto& c : clamps) {
        int out = -1;
        EXPECT_EQ(0, axis.setTranslate(19, c.in));
        EXPECT_EQ(0, axis.getTranslate(out, 19));
        EXPECT_EQ(c.stored, out) << c.in;
        EXPECT_DOUBLE_EQ(c.stored, axis.adTrCurve[99]);
    }
}

TEST_F(ProfileDev2AxisTest, CurveInterpolatesAndHitsEveryPoint) {
    const int points[TRANSLATE_POINTS] = {20, 1, 2, 3, 7, 0, 100, 99, 13, 50, 51, 0, 1, 97, 100, 3, 44, 45, 46, 80};
    for (int j = 0; j < TRANSLATE_POINTS; ++j) axis.setTranslate(j, points[j]);
    for (int k = 0; k < 5; ++k) EXPECT_EQ(20.0, axis.adTrCurve[k]);
    for (int j = 0; j < TRANSLATE_POINTS; ++j) EXPECT_EQ(points[j], axis.adTrCurve[5 * j + 4]) << j;
    axis.setTranslate(6, 0);
    axis.setTranslate(7, 10);
    for (int k = 0; k < 5; ++k) EXPECT_NEAR(2.0 * (k + 1), axis.adTrCurve[35 + k], 1e-12);
}

// Settings changes must not disturb the assignment or what apply remembers.
TEST_F(ProfileDev2AxisTest, ResetsAndAssignmentTouchOnlyTheirFields) {
    GUID g;
    memset(&g, 0x5A, sizeof g);
    EXPECT_EQ(1, axis.attach(g, HWA_NONE));
    EXPECT_EQ(0u, axis.guidHwDev.Data1);
    EXPECT_EQ(0, axis.attach(g, HWA_RZ));
    run(1234);
    axis.iMaxCalibVal = 9;
    axis.dRvBugCor = 2.0;
    axis.bIs50Axis = 1;
    axis.setTranslate(3, 10);
    EXPECT_EQ(0, axis.resetAxisSettings());
    EXPECT_EQ(65536, axis.iMaxCalibVal);
    EXPECT_EQ(0.0, axis.dRvBugCor);
    EXPECT_EQ(1, axis.bIs50Axis);
    EXPECT_EQ(10, axis.aiTranslate[3]);
    EXPECT_EQ(0, axis.resetTranslation());
    EXPECT_EQ(0, axis.bIs50Axis);
    EXPECT_EQ(100.0, axis.adTrCurve[17]);
    EXPECT_EQ(HWA_RZ, axis.idAxis);
    EXPECT_EQ(0, memcmp(&g, &axis.guidHwDev, sizeof g));
    EXPECT_EQ(1234, axis.iLastValRaw);
    EXPECT_EQ(0, axis.detach());
    EXPECT_EQ(HWA_NONE, axis.idAxis);
    EXPECT_EQ(0u, axis.guidHwDev.Data1);
}

}  // namespace
