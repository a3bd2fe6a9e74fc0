#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "app/Quorix.h"
#include "base/MyMiscFuncs.h"
#include "profile/ProfileDev2Axis.h"

namespace {

typedef void (*Setup)(ProfileDev2Axis&);

// One apply call; change, when set, alters a setting just before it.
struct Step {
    int raw;
    double value;
    int bChanged;
    Setup change = nullptr;
};

struct TransferCase {
    const char* name;
    Setup setup;
    std::vector<Step> steps;
};

// With calibration 0..10000 a raw value is the percentage in hundredths.
void percentScale(ProfileDev2Axis& a) { a.iMaxCalibVal = 10000; }
void defaults(ProfileDev2Axis&) {}
void invert(ProfileDev2Axis& a) { a.bInvert = 1; }
void narrow(ProfileDev2Axis& a) { a.iMinCalibVal = 1000; a.iMaxCalibVal = 3000; }
void inverted(ProfileDev2Axis& a) { narrow(a); invert(a); }
void empty(ProfileDev2Axis& a) { a.iMinCalibVal = a.iMaxCalibVal = 5; }
void emptyInverted(ProfileDev2Axis& a) { empty(a); invert(a); }
void fineRange(ProfileDev2Axis& a) { a.iMaxCalibVal = 20000; }
void jitter(ProfileDev2Axis& a) { percentScale(a); a.dFilterJitter = 0.5; }
void firstPointHalf(ProfileDev2Axis& a) { percentScale(a); a.setTranslate(0, 50); }
void lastPoint80(ProfileDev2Axis& a) { percentScale(a); a.setTranslate(19, 80); }
void centred(ProfileDev2Axis& a) { percentScale(a); a.bIs50Axis = 1; a.setTranslate(10, 50); }
void g940(ProfileDev2Axis& a) { percentScale(a); a.dRvBugCor = 3.0; }

const TransferCase kTransferCases[] = {
    {"defaults", defaults, {{32768, 50.0, 1}, {32768, 50.0, 0}, {65535, 100.0, 1}, {0, 0.0, 1}}},
    {"start value is raw -1", defaults, {{-1, -1.0, 0}}},
    // A setting changed while the controller rests acts on the next move only.
    {"unchanged raw keeps its result", defaults, {{16384, 25.0, 1}, {16384, 25.0, 0, invert}, {8192, 87.5, 1}}},
    {"clamped to the same value", narrow, {{500, 0.0, 1}, {999, 0.0, 0, invert}}},
    {"inverted", inverted, {{1000, 100.0, 1}, {3000, 0.0, 1}, {500, 100.0, 1}, {2000, 50.0, 1}}},
    {"empty range", empty, {{7, 0.0, 1}}},
    {"empty range inverted", emptyInverted, {{7, 100.0, 1}}},
    {"hundredths round half up", fineRange, {{1, 0.01, 1}, {3, 0.02, 1}, {19999, 100.0, 1}}},
    {"jitter", jitter, {{4000, 40.0, 1}, {4040, 40.0, 0}, {4060, 40.6, 1}}},
    {"firstPointHalf", firstPointHalf, {{300, 1.5, 1}, {500, 2.5, 1}, {600, 3.6, 1}}},
    {"lastPoint80", lastPoint80, {{10000, 80.0, 1}}},
    {"centred", centred, {{4500, 47.5, 1}, {5500, 52.5, 1}, {5000, 50.0, 1}}},
    {"g940 reversal", g940,
     {{3000, 30.0, 1}, {4000, 38.0, 1}, {5000, 50.0, 1}, {4500, 47.0, 1}, {4400, 45.5, 1},
      {4300, 44.0, 1}, {4200, 42.5, 1}, {4100, 41.0, 1}, {4000, 40.0, 1}}},
    // The ends pass unchanged and reset the direction: the next move shifts against it.
    {"g940 ends", g940, {{3000, 30.0, 1}, {4000, 38.0, 1}, {10000, 100.0, 1}, {9000, 92.0, 1}, {0, 0.0, 1}}},
};

class ProfileDev2AxisTest : public ::testing::Test {
protected:
    ProfileDev2AxisTest() : axis(app, IDIL_AILERONS, nullptr) {}
    double run(ProfileDev2Axis& a, int raw, int* changed = nullptr) {
        int c = -7;
        double v = -7.0;
        EXPECT_EQ(0, a.apply(c, v, raw));
        if (changed) *changed = c;
        return v;
    }
    Quorix app;
    ProfileDev2Axis axis;
};

TEST_F(ProfileDev2AxisTest, TransferExamples) {
    for (const TransferCase& tc : kTransferCases) {
        ProfileDev2Axis a(app, IDIL_AILERONS, nullptr);
        tc.setup(a);
        for (const Step& s : tc.steps) {
            if (s.change) s.change(a);
            int changed = -1;
            EXPECT_DOUBLE_EQ(s.value, run(a, s.raw, &changed)) << tc.name << " raw " << s.raw;
            EXPECT_EQ(s.bChanged, changed) << tc.name << " raw " << s.raw;
        }
    }
}

// Registry values may span the whole int range; the position must stay 0..100.
TEST_F(ProfileDev2AxisTest, ExtremeCalibrationDoesNotOverflow) {
    const struct { int lo, hi, raw; double expected; } cases[] = {
        {INT_MIN, INT_MAX, INT_MIN, 0.0},   {INT_MIN, INT_MAX, INT_MAX, 100.0},
        {INT_MIN, INT_MAX, 1, 50.0},        {-2000000000, 2000000000, 1000000000, 75.0},
        {INT_MIN, 0, INT_MAX, 100.0},       {0, INT_MAX, INT_MIN, 0.0},
        {INT_MAX - 1, INT_MAX, INT_MAX, 100.0}, {INT_MIN, INT_MIN + 1, INT_MIN, 0.0},
    };
    for (const auto& tc : cases) {
        ProfileDev2Axis a(app, IDIL_AILERONS, nullptr);
        a.iMinCalibVal = tc.lo;
        a.iMaxCalibVal = tc.hi;
        EXPECT_DOUBLE_EQ(tc.expected, run(a, tc.raw)) << tc.lo << ".." << tc.hi << " raw " << tc.raw;
    }
    axis.iMinCalibVal = INT_MIN;
    axis.iMaxCalibVal = INT_MAX;
    for (long long raw = INT_MIN; raw <= INT_MAX; raw += 33554431) {
        double v = run(axis, static_cast<int>(raw));
        EXPECT_TRUE(v >= 0.0 && v <= 100.0) << raw << " -> " << v;
    }
}

// apply rounds the position with its own inline copy of roundnMy(x, 2): both
// must agree on every raw value, ties included (0..20000 puts raw 1 at 0.005 %).
TEST_F(ProfileDev2AxisTest, PositionRoundingMatchesRoundnMy) {
    const struct { int lo, hi; } ranges[] = {{0, 65536}, {0, 20000}, {0, 80000}, {-5, 7}, {100, 65535}};
    for (const auto& r : ranges) {
        ProfileDev2Axis a(app, IDIL_AILERONS, nullptr);
        a.iMinCalibVal = r.lo;
        a.iMaxCalibVal = r.hi;
        for (int raw = r.lo; raw <= r.hi; ++raw) {
            run(a, raw);
            if (a.dLastValReport != roundnMy((raw - r.lo) * 100.0 / (r.hi - r.lo), 2)) {
                ADD_FAILURE() << r.lo << ".." << r.hi << " raw " << raw << ": " << a.dLastValReport;
                break;
            }
        }
    }
}

TEST_F(ProfileDev2AxisTest, CentredIgnoresPointsZeroToEight) {
    ProfileDev2Axis shaped(app, IDIL_AILERONS, nullptr);
    axis.bIs50Axis = shaped.bIs50Axis = 1;
    axis.iMaxCalibVal = shaped.iMaxCalibVal = 10000;
    axis.setTranslate(12, 40);
    shaped.setTranslate(12, 40);
    for (int j = 0; j <= 8; ++j) shaped.setTranslate(j, 10 * j);
    for (int raw = 0; raw <= 10000; raw += 37) EXPECT_DOUBLE_EQ(run(axis, raw), run(shaped, raw)) << raw;
}

TEST_F(ProfileDev2AxisTest, CurvePointsClampAndInterpolate) {
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
    const int points[TRANSLATE_POINTS] = {20, 1, 2, 3, 7, 0, 100, 99, 13, 50, 51, 0, 1, 97, 100, 3, 44, 45, 46, 80};
    for (int j = 0; j < TRANSLATE_POINTS; ++j) axis.setTranslate(j, points[j]);
    for (int k = 0; k < 5; ++k) EXPECT_EQ(20.0, axis.adTrCurve[k]);
    for (int j = 0; j < TRANSLATE_POINTS; ++j) EXPECT_EQ(points[j], axis.adTrCurve[5 * j + 4]) << j;
    axis.setTranslate(6, 0);
    axis.setTranslate(7, 10);
    for (int k = 0; k < 5; ++k) EXPECT_NEAR(2.0 * (k + 1), axis.adTrCurve[35 + k], 1e-12);
}

// Settings resets must not disturb the assignment or what apply remembers.
TEST_F(ProfileDev2AxisTest, ResetsAndAssignmentTouchOnlyTheirFields) {
    GUID g;
    memset(&g, 0x5A, sizeof g);
    EXPECT_EQ(1, axis.attach(g, HWA_NONE));
    EXPECT_EQ(0u, axis.guidHwDev.Data1);
    EXPECT_EQ(0, axis.attach(g, HWA_RZ));
    run(axis, 1234);
    axis.iMaxCalibVal = 9;
    axis.bIs50Axis = 1;
    axis.setTranslate(3, 10);
    EXPECT_EQ(0, axis.resetAxisSettings());
    EXPECT_EQ(65536, axis.iMaxCalibVal);
    EXPECT_EQ(1, axis.bIs50Axis);  // the curve is not an axis setting
    EXPECT_EQ(0, axis.resetTranslation());
    EXPECT_EQ(0, axis.bIs50Axis);
    EXPECT_EQ(100.0, axis.adTrCurve[17]);
    EXPECT_EQ(HWA_RZ, axis.idAxis);
    EXPECT_TRUE(IsEqualGUID(g, axis.guidHwDev));
    EXPECT_EQ(1234, axis.iLastValRaw);
    EXPECT_EQ(0, axis.detach());
    EXPECT_EQ(HWA_NONE, axis.idAxis);
    EXPECT_EQ(0u, axis.guidHwDev.Data1);
}

}  // namespace
