// Application settings against the real registry (below a scratch key).

#include <gtest/gtest.h>

#include "support/AppHarness.h"
#include "support/Seeding.h"

namespace {

void storeInterval(const RegValue& v) { regWrite(kTestRegRoot, "uiTimerInterval", v.first, v.second); }
RegValue storedInterval() { return regRead(kTestRegRoot, "uiTimerInterval"); }

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { deleteTestSettings(); }
    void TearDown() override { deleteTestSettings(); }
};

TEST_F(SettingsTest, StoredIntervalIsClampedTo10To100) {
    const struct { RegValue stored; unsigned expected; } cases[] = {
        {RegValue(), 10},          {dwordValue(0), 10},   {dwordValue(9), 10},     {dwordValue(55), 55},
        {dwordValue(100), 100},    {dwordValue(101), 100}, {dwordValue(DWORD(-5)), 10},
        {textValue("50"), 10},  // mistyped: the default
    };
    for (const auto& c : cases) {
        deleteTestSettings();
        if (c.stored.first) storeInterval(c.stored);
        Quorix app;
        app.sRegRoot = kTestRegRoot;
        EXPECT_EQ(0, app.readConfig());
        EXPECT_EQ(c.expected, app.uiTimerInterval) << "stored " << c.stored.second;
    }
}

TEST_F(SettingsTest, FailedStartNeverOverwritesStoredSettings) {
    storeInterval(dwordValue(37));
    {
        AppHarness h;
        // No tray icons in this module: the start fails before settings are read.
        EXPECT_NE(0, h.app.init(GetModuleHandleA("kernel32.dll")));
        EXPECT_EQ(0, h.app.close());
    }
    EXPECT_EQ(dwordValue(37), storedInterval());
    {
        // A failure after the settings were read still saves them (they are complete).
        AppHarness h;
        h.app.pDirectInput8Create = refuseDirectInput8Create;
        EXPECT_EQ(1, h.init());
        h.app.uiTimerInterval = 64;
        h.app.close();
    }
    EXPECT_EQ(dwordValue(64), storedInterval());
}

TEST_F(SettingsTest, ChangeTimerIgnoresCurrentAndOutOfRangeValues) {
    AppHarness h;
    ASSERT_EQ(0, h.init());
    for (unsigned v : {10u, 9u, 101u, 0u}) {
        EXPECT_EQ(0, h.app.changeTimer(v));
        EXPECT_EQ(10u, h.app.uiTimerInterval);
    }
    EXPECT_EQ(0, h.app.changeTimer(100));
    EXPECT_EQ(100u, h.app.uiTimerInterval);
    EXPECT_NE(0u, h.app.uiTimerId);
}

}  // namespace
