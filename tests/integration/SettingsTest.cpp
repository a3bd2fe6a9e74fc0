// Application settings against the real registry (below a scratch key).

#include <gtest/gtest.h>

#include "base/MyRegFuncs.h"
#include "support/AppHarness.h"

namespace {

void storeInterval(DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kTestRegRoot, 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "uiTimerInterval", 0, type, static_cast<const BYTE*>(data), size));
    RegCloseKey(key);
}

void storeInterval(int v) { storeInterval(REG_DWORD, &v, sizeof v); }

// The stored REG_DWORD, or -1 when there is none.
long long storedInterval() {
    DWORD type = 0, v = 0, size = sizeof v;
    if (RegGetValueA(HKEY_CURRENT_USER, kTestRegRoot, "uiTimerInterval", RRF_RT_ANY, &type, &v, &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != 4)
        return -1;
    return v;
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { deleteTestSettings(); }
    void TearDown() override { deleteTestSettings(); }
};

TEST_F(SettingsTest, StoredIntervalIsClampedTo10To100) {
    struct {
        int stored;
        unsigned expected;
    } cases[] = {{0, 10}, {9, 10}, {10, 10}, {55, 55}, {100, 100}, {101, 100}, {1000, 100}, {-5, 10}};
    for (const auto& c : cases) {
        storeInterval(c.stored);
        Quorix app;
        app.sRegRoot = kTestRegRoot;
        EXPECT_EQ(0, app.readConfig());
        EXPECT_EQ(c.expected, app.uiTimerInterval) << "stored " << c.stored;
    }
}

TEST_F(SettingsTest, MissingOrMistypedValueGivesDefault) {
    Quorix fresh;
    fresh.sRegRoot = kTestRegRoot;
    EXPECT_EQ(0, fresh.readConfig());  // no key at all: first start, no error
    EXPECT_EQ(10u, fresh.uiTimerInterval);

    storeInterval(REG_SZ, "50", 3);
    Quorix text;
    text.sRegRoot = kTestRegRoot;
    EXPECT_EQ(0, text.readConfig());
    EXPECT_EQ(10u, text.uiTimerInterval);
}

TEST_F(SettingsTest, QuitWritesIntervalAsDword) {
    storeInterval(1000);
    {
        AppHarness h;
        ASSERT_EQ(0, h.init());
        EXPECT_EQ(100u, h.app.uiTimerInterval);
        ASSERT_EQ(0, h.app.changeTimer(40));
        SendMessageA(h.app.hFrameWnd, WM_COMMAND, 999, 0);
    }
    EXPECT_EQ(40, storedInterval());
}

TEST_F(SettingsTest, FailedStartNeverOverwritesStoredSettings) {
    storeInterval(37);
    {
        AppHarness h;
        // No tray icons in this module: the start fails before settings are read.
        EXPECT_NE(0, h.app.init(GetModuleHandleA("kernel32.dll")));
        EXPECT_EQ(0, h.app.close());
    }
    EXPECT_EQ(37, storedInterval());

    {
        // A failure after the settings were read still saves them (they are complete).
        AppHarness h;
        h.app.pDirectInput8Create = refuseDirectInput8Create;
        EXPECT_EQ(1, h.init());
        h.app.uiTimerInterval = 64;
        h.app.close();
    }
    EXPECT_EQ(64, storedInterval());
}

TEST_F(SettingsTest, ChangeTimerIgnoresCurrentAndOutOfRangeValues) {
    AppHarness h;
    ASSERT_EQ(0, h.init());
    UINT_PTR id = h.app.uiTimerId;
    ASSERT_NE(0u, id);
    for (unsigned v : {10u, 9u, 101u, 0u}) {
        EXPECT_EQ(0, h.app.changeTimer(v));
        EXPECT_EQ(10u, h.app.uiTimerInterval);
    }
    EXPECT_EQ(0, h.app.changeTimer(100));
    EXPECT_EQ(100u, h.app.uiTimerInterval);
    EXPECT_NE(0u, h.app.uiTimerId);
}

// Counts the poll timer's ticks for a while. The bounds are wide on purpose:
// they tell 10 ms from 100 ms apart, not measure either (Wine's timers are coarse).
int countTicks(HWND hwnd, DWORD ms) {
    int ticks = 0;
    DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < ms) {
        while (PeekMessageA(&msg, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE)) {
            ++ticks;
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_TIMER);
    }
    return ticks;
}

TEST_F(SettingsTest, TimerRunsAtStoredIntervalAfterStart) {
    storeInterval(100);
    {
        AppHarness h;
        ASSERT_EQ(0, h.init());
        EXPECT_LE(countTicks(h.app.hFrameWnd, 2000), 24);
    }
    storeInterval(10);
    {
        AppHarness h;
        ASSERT_EQ(0, h.init());
        EXPECT_GE(countTicks(h.app.hFrameWnd, 2000), 40);
    }
}

}  // namespace
