#pragma once
// The fixture of the tests on a running application object: empty test settings before and
// after, and assignments bound as the dialog binds them.
#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>

#include "il2sim/Il2SimServer.h"
#include "padsim/DeviceBroadcasts.h"
#include "support/AppHarness.h"
#include "support/DlgDriver.h"
#include "support/TickSource.h"

class AppTest : public ::testing::Test {
protected:
    AppTest() { deleteTestSettings(); }
    ~AppTest() override {
        h.quit();  // which saves the settings
        deleteTestSettings();
    }
    // Assigns axis of controller fakeGuid(fill) to control id in the active profile and binds it.
    ProfileDev2Axis* bind(IdILDevice id, IdHwAxis axis, unsigned char fill = 10) {
        ProfileDev2Axis* d2a = nullptr;
        GUID g = fakeGuid(fill);
        EXPECT_EQ(0, h.app.pActProfile->findByILDev(d2a, id));
        EXPECT_EQ(0, d2a->attach(g, axis));
        EXPECT_EQ(0, h.app.reapplyProfile());
        return d2a;
    }

    // Announces controller iCtrl's interface as Windows does, n times (the interfaces of one
    // composite controller), and waits for the one pass that follows; false if none came.
    bool deviceEvent(WPARAM what, int iCtrl = 0, int n = 1) {
        const int passes = h.di.iEnumDevicesCalls;
        char name[128];
        for (int i = 1; i <= n; ++i) padsimInterfaceName(name, iCtrl, i), padsimSendInterfaceEvent(h.app.hFrameWnd, what, name);
        return dlgWait([&] { return h.di.iEnumDevicesCalls > passes && !h.app.bEnumerating; }, 3000);
    }

    AppHarness h;
};

// A running application linked to the stand-in simulator on 127.0.0.1, with a "Stick"
// (fakeGuid(10)) and, asked for, "Pedals" (fakeGuid(40)). Rounds run only when the test says.
class SimAppTest : public AppTest {
protected:
    explicit SimAppTest(bool withPedals = false) : withPedals(withPedals) {}
    void SetUp() override {
        ASSERT_EQ(0, sim.start(0));
        stick = h.di.addController(fakeGuid(10), "Stick");
        if (withPedals) pedals = h.di.addController(fakeGuid(40), "Pedals");
        ASSERT_EQ(0, h.init());
        KillTimer(h.app.hFrameWnd, h.app.uiTimerId);
        h.app.uiTimerId = 0, gTestTick = 100000, h.app.il2Com.pfnGetTickCount = testTick;
        MyString addr("127.0.0.1");
        ASSERT_EQ(0, h.app.il2Com.setAddress(addr) | h.app.il2Com.setPort(sim.port()));
    }
    // Runs one round with the tick moved on by ms (1000 or more: the round tests the link); its status.
    int round(DWORD ms = 10) {
        gTestTick += ms;
        return h.app.runRound();
    }

    Il2SimServer sim;
    bool withPedals;
    int stick = 0, pedals = -1;
};
