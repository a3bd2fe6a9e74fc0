// Device discovery and hot-plug on a real application object with scripted controllers.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

#include "support/IntegrationHelpers.h"
#include "support/Seeding.h"
#include "support/ShellRecorder.h"

#include <dbt.h>

namespace {

class DiscoveryTest : public AppTest {
protected:
    void SetUp() override {
        stick = h.di.addController(fakeGuid(10), "Stick");
        pedals = h.di.addController(fakeGuid(40), "Pedals");
    }
    HwDevice* device(int i) { return h.app.hwDevices.items[i]; }
    // Device i as "c" connected, "a" acquired, "u" in use, "-" for each it is not.
    std::string state(int i) {
        return std::string(device(i)->bConnected ? "c" : "-") + (device(i)->bAcquired ? "a" : "-") +
               (device(i)->bInUse ? "u" : "-");
    }
    int stick = 0, pedals = 0;
};

TEST_F(DiscoveryTest, FirstPassConnectsEveryAttachedControllerAndNotificationsFollowTheWindow) {
    ASSERT_EQ(0, h.init());
    ASSERT_EQ(2, h.app.hwDevices.count);
    EXPECT_EQ("ca-", state(0)) << "a new profile assigns nothing";
    EXPECT_EQ("ca-", state(1));
    EXPECT_EQ(static_cast<DWORD>(DI8DEVCLASS_GAMECTRL), h.di.dwLastEnumClass);
    EXPECT_EQ(static_cast<DWORD>(DIEDFL_ATTACHEDONLY), h.di.dwLastEnumFlags);
    ASSERT_NE(nullptr, h.di.lastDevice(stick));
    EXPECT_EQ(h.app.hFrameWnd, h.di.lastDevice(stick)->hCoopWnd);
    EXPECT_NE(nullptr, h.app.hDevNotify);
    // Only a game controller's interface arriving or leaving starts a pass: not the other
    // events, a USB drive, a mouse waking up, nor an event without a record.
    const int passes = h.di.iEnumDevicesCalls;
    char name[128];
    padsimInterfaceName(name, stick, 1);
    for (WPARAM other : {WPARAM(DBT_DEVNODES_CHANGED), WPARAM(DBT_QUERYCHANGECONFIG), WPARAM(DBT_DEVICEQUERYREMOVE)})
        padsimSendInterfaceEvent(h.app.hFrameWnd, other, name);
    padsimSendVolumeArrival(h.app.hFrameWnd);
    padsimSendMouseArrival(h.app.hFrameWnd);
    SendMessageA(h.app.hFrameWnd, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
    EXPECT_FALSE(h.app.bDiscoveryDue) << "no pass is due";
    ASSERT_TRUE(deviceEvent(DBT_DEVICEARRIVAL, stick, 5));  // a composite controller's five interfaces
    EXPECT_EQ(passes + 1, h.di.iEnumDevicesCalls) << "one pass for the burst";
    h.quit();
    EXPECT_EQ(nullptr, h.app.hDevNotify);
}

// A controller that fails its set-up, or one unplugged, keeps its entry; an arrival pass
// connects it again and binds the profile to it, a known GUID getting no second entry.
TEST_F(DiscoveryTest, FailedOrUnpluggedControllerKeepsItsEntryAndAnArrivalConnectsAndRebindsIt) {
    h.di.controller(stick).hrAcquire = S_FALSE;
    ASSERT_EQ(0, h.init());  // a failing controller does not fail the pass
    ASSERT_EQ(2, h.app.hwDevices.count);
    EXPECT_EQ(0, device(0)->isConnected());  // listed, not connected
    bind(IDIL_RUDDER, HWA_Z, 40);
    device(1)->setUsrName("My Pedals");
    EXPECT_EQ("cau", state(1)) << "the others are connected";
    h.di.unplug(pedals);
    ASSERT_TRUE(deviceEvent(DBT_DEVICEREMOVECOMPLETE));
    ASSERT_EQ(2, h.app.hwDevices.count);
    EXPECT_EQ("--u", state(1));
    EXPECT_STREQ("My Pedals", device(1)->usrName.text());
    bind(IDIL_BRAKES, HWA_RZ, 40);  // a change while unplugged reaches it too
    EXPECT_NE(nullptr, device(1)->axes[HWA_RZ - 1].pILDevice);
    h.di.controller(stick).hrAcquire = DI_OK;
    h.di.plug(pedals);
    ASSERT_TRUE(deviceEvent(DBT_DEVICEARRIVAL));
    ASSERT_EQ(2, h.app.hwDevices.count);
    EXPECT_EQ("ca-", state(0));
    EXPECT_EQ("cau", state(1));
    EXPECT_NE(nullptr, device(1)->axes[HWA_Z - 1].pDev2Axis);
}

// Windows announces a controller before DirectInput lists it, and may refuse its first
// Acquire while the driver starts: a second look after the arrival connects both.
TEST_F(DiscoveryTest, ControllersListedLateOrRefusingTheirFirstAcquireAreConnectedWithoutAReplug) {
    h.di.unplug(stick), h.di.unplug(pedals);
    ASSERT_EQ(0, h.init());
    h.di.controller(stick).dwListDelayMs = 500;
    h.di.controller(pedals).iFailingAcquires = 1;
    h.di.plug(stick), h.di.plug(pedals);
    ASSERT_TRUE(deviceEvent(DBT_DEVICEARRIVAL));
    ASSERT_EQ(1, h.app.hwDevices.count) << "the stick is not listed yet";
    EXPECT_EQ("c--", state(0)) << "the pedals' Acquire was refused";
    EXPECT_TRUE(dlgWait([&] { return h.app.hwDevices.count == 2 && state(0) == "ca-" && state(1) == "ca-"; }, 4000));
}

// Another USB port gives a controller a new instance GUID. The one stored controller of its name
// and product that DirectInput did not list takes it over, with its name and every assignment,
// and the settings are saved at once with only its old key gone. Not when two stored ones are
// missing, when two newcomers share the name, nor onto a twin that was listed and only failed to
// acquire (the second pair of pedals stays plugged and listed unless the case unplugs it).
struct NewPortCase { const char* name; bool bSecondMissing, bNewTwin, bFailListed; const char* balloon; };
class NewPortTest : public DiscoveryTest, public ::testing::WithParamInterface<NewPortCase> {};

TEST_P(NewPortTest, OnlyTheOneControllerItCanBeTakesOverANewIdentity) {
    const NewPortCase& c = GetParam();
    const GUID stray = fakeGuid(80), moved = fakeGuid(90), old = fakeGuid(40);
    const int second = h.di.addController(fakeGuid(60), "Pedals");
    regWrite(std::string(kTestRegRoot) + "\\HwDev\\Stray", "guid", REG_BINARY,  // a controller never seen again
             binaryValue(&stray, sizeof stray).second);
    ASSERT_EQ(0, h.init());
    ProfileDev2Axis* rudder = bind(IDIL_RUDDER, HWA_Z, 40);
    int idx = -1;
    ASSERT_EQ(0, h.app.hwDevices.findByGuid(idx, &old));
    HwDevice* p1 = device(idx);  // after the stray one, loaded first, and the stick
    p1->setUsrName("My Pedals");
    ASSERT_EQ(0, h.app.saveConfig());  // as an earlier session left them
    if (c.bSecondMissing) h.di.unplug(second);
    if (c.bFailListed) h.di.controller(pedals).hrAcquire = DIERR_NOTINITIALIZED;
    else h.di.newPort(pedals, moved);
    if (c.bNewTwin) h.di.addController(fakeGuid(100), "Pedals");
    gShellRequests.clear();
    ASSERT_TRUE(deviceEvent(DBT_DEVICEARRIVAL));
    const bool bTaken = c.balloon[0] == '"';
    EXPECT_EQ(4 + (!bTaken && !c.bFailListed) + c.bNewTwin, h.app.hwDevices.count);
    EXPECT_EQ(0, memcmp(bTaken ? &moved : &old, &rudder->guidHwDev, sizeof(GUID)));
    EXPECT_STREQ("My Pedals", p1->usrName.text());
    EXPECT_TRUE(!bTaken || p1->axes[HWA_Z - 1].pDev2Axis == rudder) << "bound at once";
    char oldKey[40], newKey[40];
    hwGuidKeyName(oldKey, old), hwGuidKeyName(newKey, moved);
    std::vector<std::string> keys = regNames(std::string(kTestRegRoot) + "\\HwDev");
    auto has = [&](const char* k) { return std::find(keys.begin(), keys.end(), k) != keys.end(); };
    EXPECT_EQ(std::make_tuple(!bTaken, bTaken, true), std::make_tuple(has(oldKey), has(newKey), has("Stray")));
    std::string shown;
    for (const ShellRequest& r : gShellRequests) shown += r.info;
    EXPECT_EQ(c.balloon, shown);
}
INSTANTIATE_TEST_SUITE_P(Discovery, NewPortTest, ::testing::Values(
    NewPortCase{"one", false, false, false, "\"My Pedals\" was found on a new port; its settings were kept."},
    NewPortCase{"twoMissing", true, false, false,
                "A controller named \"Pedals\" appeared with a new identity; assign it in the configuration dialog."},
    NewPortCase{"twoNew", false, true, false,
                "Two controllers named \"Pedals\" appeared with new identities; assign them in the configuration dialog."},
    NewPortCase{"listedTwinFails", false, true, true, ""}),
    [](const ::testing::TestParamInfo<NewPortCase>& i) { return std::string(i.param.name); });

}  // namespace
