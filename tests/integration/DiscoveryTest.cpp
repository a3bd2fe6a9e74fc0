// Device discovery and hot-plug on a real application object with scripted controllers.

#include <gtest/gtest.h>

#include <string>

#include "support/AppHarness.h"

#include <dbt.h>

namespace {

class DiscoveryTest : public ::testing::Test {
protected:
    void SetUp() override {
        deleteTestSettings();
        stick = h.di.addController(fakeGuid(10), "Stick");
        pedals = h.di.addController(fakeGuid(40), "Pedals");
    }
    void TearDown() override {
        h.quit();
        deleteTestSettings();
    }
    void deviceEvent(WPARAM what) { SendMessageA(h.app.hFrameWnd, WM_DEVICECHANGE, what, 0); }
    HwDevice* device(int i) { return h.app.hwDevices.items[i]; }
    // Device i as "c" connected, "a" acquired, "u" in use, "-" for each it is not.
    std::string state(int i) {
        return std::string(device(i)->bConnected ? "c" : "-") + (device(i)->bAcquired ? "a" : "-") +
               (device(i)->bInUse ? "u" : "-");
    }
    // Assigns axis of the pedals to control id in the active profile and binds the profile.
    void assignPedals(IdILDevice id, IdHwAxis axis) {
        ProfileDev2Axis* d2a = nullptr;
        ASSERT_EQ(0, h.app.pActProfile->findByILDev(d2a, id));
        GUID g = fakeGuid(40);
        ASSERT_EQ(0, d2a->attach(g, axis));
        ASSERT_EQ(0, h.app.reapplyProfile());
    }

    AppHarness h;
    int stick = 0, pedals = 0;
};

TEST_F(DiscoveryTest, FirstPassConnectsEveryAttachedControllerAndNotificationsFollowTheWindow) {
    ASSERT_EQ(0, h.init());
    ASSERT_EQ(2, h.app.hwDevices.count);
    EXPECT_EQ("ca-", state(0)) << "a new profile assigns nothing";
    EXPECT_EQ("ca-", state(1));
    EXPECT_STREQ("Pedals", device(1)->usrName.text());
    EXPECT_EQ(static_cast<DWORD>(DI8DEVCLASS_GAMECTRL), h.di.dwLastEnumClass);
    EXPECT_EQ(static_cast<DWORD>(DIEDFL_ATTACHEDONLY), h.di.dwLastEnumFlags);
    ASSERT_NE(nullptr, h.di.lastDevice(stick));
    EXPECT_EQ(h.app.hFrameWnd, h.di.lastDevice(stick)->hCoopWnd);
    EXPECT_NE(nullptr, h.app.hDevNotify);
    h.quit();
    EXPECT_EQ(nullptr, h.app.hDevNotify);
}

TEST_F(DiscoveryTest, FailingControllerLeavesTheOthersConnected) {
    h.di.controller(stick).hrAcquire = S_FALSE;
    ASSERT_EQ(0, h.init());  // a failing controller does not fail the pass
    ASSERT_EQ(2, h.app.hwDevices.count);
    EXPECT_EQ(0, device(0)->isConnected());  // listed, not connected
    EXPECT_EQ("ca-", state(1));
    h.di.controller(stick).hrAcquire = DI_OK;
    deviceEvent(DBT_DEVICEARRIVAL);
    ASSERT_EQ(2, h.app.hwDevices.count);
    EXPECT_EQ("ca-", state(0));
    EXPECT_EQ("ca-", state(1));
}

TEST_F(DiscoveryTest, UnplugKeepsEntryAndReplugRebindsKnownDevice) {
    ASSERT_EQ(0, h.init());
    assignPedals(IDIL_RUDDER, HWA_Z);
    device(1)->setUsrName("My Pedals");
    EXPECT_EQ("cau", state(1));
    h.di.unplug(pedals);
    deviceEvent(DBT_DEVICEREMOVECOMPLETE);
    ASSERT_EQ(2, h.app.hwDevices.count);
    EXPECT_EQ("--u", state(1));
    EXPECT_STREQ("My Pedals", device(1)->usrName.text());
    assignPedals(IDIL_BRAKES, HWA_RZ);  // a change while unplugged reaches it too
    EXPECT_NE(nullptr, device(1)->axes[HWA_RZ - 1].pILDevice);
    h.di.plug(pedals);
    deviceEvent(DBT_DEVICEARRIVAL);
    ASSERT_EQ(2, h.app.hwDevices.count) << "a known GUID gets no second entry";
    EXPECT_EQ("cau", state(1));
    EXPECT_NE(nullptr, device(1)->axes[HWA_Z - 1].pDev2Axis);
}

TEST_F(DiscoveryTest, OnlyArrivalAndRemovalStartAPass) {
    ASSERT_EQ(0, h.init());
    int passes = h.di.iEnumDevicesCalls;
    for (WPARAM other : {WPARAM(DBT_DEVNODES_CHANGED), WPARAM(DBT_QUERYCHANGECONFIG), WPARAM(DBT_DEVICEQUERYREMOVE)})
        deviceEvent(other);
    EXPECT_EQ(passes, h.di.iEnumDevicesCalls);
    deviceEvent(DBT_DEVICEARRIVAL);
    deviceEvent(DBT_DEVICEREMOVECOMPLETE);
    EXPECT_EQ(passes + 2, h.di.iEnumDevicesCalls);
    EXPECT_EQ(0, h.app.bEnumerating);
}

// Runs in the message box's own loop: counts the box and presses its OK button.
int gBoxes = 0;
void CALLBACK pressOk(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = FindWindowA("#32770", "Quorix::enumHwDevicesCB");
    if (!box) return;
    char text[64] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    if (std::string(text) == "pActProfile is NULL") ++gBoxes;
    EndDialog(box, IDOK);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

TEST_F(DiscoveryTest, WithoutActiveProfileEachControllerShowsBoxAndStillConnects) {
    ASSERT_EQ(0, h.init());
    h.app.pActProfile = nullptr;
    gBoxes = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 100, pressOk);
    deviceEvent(DBT_DEVICEARRIVAL);
    EXPECT_EQ(2, gBoxes);
    EXPECT_TRUE(device(0)->bAcquired);
    EXPECT_TRUE(device(1)->bAcquired);
    gBoxes = 0;
    EXPECT_EQ(0, h.app.reapplyProfile());
    EXPECT_EQ(1, gBoxes);
    KillTimer(nullptr, timer);
}

}  // namespace
