// Poll rounds as the simulator sees them: a scripted controller, the real Device
// Link client and the stand-in simulator on 127.0.0.1, which records every datagram.

#include <gtest/gtest.h>

#include <winsock2.h>

#include <string>
#include <vector>

#include "il2sim/Il2SimServer.h"
#include "support/AppHarness.h"
#include "support/TickSource.h"

namespace {

typedef std::vector<std::string> Wire;
const char kMarker[] = "marker";

class PollRoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        deleteTestSettings();
        ASSERT_EQ(0, sim.start(0));
        stick = h.di.addController(fakeGuid(10), "Stick");
        ASSERT_EQ(0, h.init());
        KillTimer(h.app.hFrameWnd, h.app.uiTimerId);  // rounds run only when the test says
        h.app.uiTimerId = 0;
        gTestTick = 100000;
        h.app.il2Com.pfnGetTickCount = testTick;
        MyString addr("127.0.0.1");
        ASSERT_EQ(0, h.app.il2Com.setAddress(addr));
        ASSERT_EQ(0, h.app.il2Com.setPort(sim.port()));
    }
    void TearDown() override {
        h.quit();
        sim.stop();
        deleteTestSettings();
    }
    // Assigns axis of the stick to control id (calibration 0..max) and binds the profile.
    ProfileDev2Axis* bind(IdILDevice id, IdHwAxis axis, int max = 65536) {
        ProfileDev2Axis* d2a = nullptr;
        GUID g = fakeGuid(10);
        EXPECT_EQ(0, h.app.pActProfile->findByILDev(d2a, id));
        EXPECT_EQ(0, d2a->attach(g, axis));
        d2a->iMaxCalibVal = max;
        EXPECT_EQ(0, h.app.reapplyProfile());
        return d2a;
    }
    HwDevice& dev() { return *h.app.hwDevices.items[0]; }
    void move(IdHwAxis a, LONG v) { h.di.setAxis(stick, a, v); }
    // Runs one round with the tick moved on by ms; returns its status.
    int round(DWORD ms = 10) {
        gTestTick += ms;
        return h.app.runRound();
    }
    // Commands received since the last call: a marker sent behind them on the
    // same socket shows that nothing else is on its way.
    Wire sent() {
        Wire out;
        EXPECT_EQ(0, h.app.il2Com.sendSet(kMarker, 0));
        for (size_t n = 1; sim.waitForRecords(n, 3000); ++n) {
            Il2SimRecord r = sim.records()[n - 1];
            if (r.sDatagram == kMarker) {
                sim.clearRecords();
                return out;
            }
            if (r.kind == IL2SIM_CMD) out.push_back(r.sDatagram);
        }
        ADD_FAILURE() << "marker not received";
        return out;
    }

    Il2SimServer sim;
    AppHarness h;
    int stick = 0;
};

TEST_F(PollRoundTest, SendsInCockpitOnlyChangesUnlessFlushedOnEntry) {
    bind(IDIL_AILERONS, HWA_X);
    bind(IDIL_RUDDER, HWA_Z);
    const struct { int inCockpit; DWORD ms; LONG x, z; Wire wire; } steps[] = {
        {0, 0, 0, 65535, {}},  // connects, pilot outside
        {0, 10, 100, 200, {}},
        {1, 990, 100, 200, {"R/85\\-1.00/85\\-1.00", "R/89\\-1.00/89\\-1.00"}},  // entering sends all
        {1, 10, 100, 200, {}},                                                   // a still stick: nothing
        {1, 10, 39322, 200, {"R/85\\-1.00/85\\0.20"}},                           // 60.0 %
        {0, 1000, 65535, 65535, {}},                                             // left the cockpit
    };
    for (const auto& s : steps) {
        sim.setInCockpit(s.inCockpit);
        move(HWA_X, s.x);
        move(HWA_Z, s.z);
        EXPECT_EQ(0, round(s.ms));
        ASSERT_EQ(1, h.app.il2Com.bConnected);
        EXPECT_EQ(s.wire, sent()) << "x " << s.x << " in cockpit " << s.inCockpit;
    }
}

TEST_F(PollRoundTest, ReadsEachAxisFromItsOwnMemberInTableOrder) {
    const struct { IdHwAxis axis; IdILDevice control; } map[] = {
        {HWA_X, IDIL_AILERONS},   {HWA_Y, IDIL_ELEVATOR},        {HWA_Z, IDIL_RUDDER},
        {HWA_RX, IDIL_BRAKES},    {HWA_RY, IDIL_FLAPS},          {HWA_RZ, IDIL_TRIM_AILERONS},
        {HWA_SLD1, IDIL_TRIM_ELEVATOR}, {HWA_SLD2, IDIL_TRIM_RUDDER},
    };
    // Assigned in reverse, so the order on the wire comes from the device alone.
    for (int i = HWA_COUNT - 1; i >= 0; --i) {
        bind(map[i].control, map[i].axis, 100);
        move(map[i].axis, 10 * (i + 1));
    }
    sim.setInCockpit(1);
    EXPECT_EQ(0, round());
    EXPECT_EQ((Wire{"R/85\\-1.00/85\\-0.80", "R/87\\-1.00/87\\-0.60", "R/89\\-1.00/89\\-0.40",
                    "R/91\\-1.00/91\\-0.20", "R/83\\-1.00/83\\0.00", "R/95\\-1.00/95\\0.20",
                    "R/97\\-1.00/97\\0.40", "R/99\\-1.00/99\\0.60"}),
              sent());
}

TEST_F(PollRoundTest, RoundsTheCorrectedValueHalfAwayFromZero) {
    bind(IDIL_AILERONS, HWA_X, 1000);  // raw 495 is 49.5 %
    sim.setInCockpit(1);
    ASSERT_EQ(0, round());
    sent();
    const struct { LONG raw; const char* wire; } cases[] = {
        {495, "R/85\\-1.00/85\\0.00"}, {494, "R/85\\-1.00/85\\-0.02"}, {505, "R/85\\-1.00/85\\0.02"},
        {4, "R/85\\-1.00/85\\-1.00"}};
    for (const auto& c : cases) {
        move(HWA_X, c.raw);
        EXPECT_EQ(0, round());
        EXPECT_EQ(Wire{c.wire}, sent()) << c.raw;
    }
}

TEST_F(PollRoundTest, HalfAssignedAxesAreSkippedEvenWhenFlushed) {
    ProfileDev2Axis* noControl = bind(IDIL_AILERONS, HWA_X);
    bind(IDIL_ELEVATOR, HWA_Y);
    bind(IDIL_RUDDER, HWA_Z);
    dev().axes[0].pILDevice = nullptr;
    dev().axes[1].pDev2Axis = nullptr;
    sim.setInCockpit(1);
    move(HWA_Z, 0);
    EXPECT_EQ(0, round());
    EXPECT_EQ(Wire{"R/89\\-1.00/89\\-1.00"}, sent());
    // The single-axis step guards itself too (the dialog's round calls it directly).
    EXPECT_EQ(0, dev().processAxis(dev().axes[0], 30, 1, "X"));
    EXPECT_EQ(0, dev().processAxis(dev().axes[1], 30, 1, "Y"));
    EXPECT_EQ(Wire{}, sent());
    EXPECT_EQ(-1, noControl->iLastValRaw);  // apply never ran
}

TEST_F(PollRoundTest, AFailedSendEndsTheDevicesRound) {
    ProfileDev2Axis* x = bind(IDIL_AILERONS, HWA_X);
    ProfileDev2Axis* y = bind(IDIL_ELEVATOR, HWA_Y);
    sim.setInCockpit(1);
    move(HWA_X, 40);
    ASSERT_EQ(0, round(0));  // connects; the flush reads and sends both axes
    sent();
    move(HWA_X, 50);
    move(HWA_Y, 50);
    // The client's socket goes away under it, so its send fails for real.
    ASSERT_EQ(0, closesocket(h.app.il2Com.hSocket));
    EXPECT_EQ(1010, round());
    EXPECT_EQ(50, x->iLastValRaw);
    EXPECT_EQ(32767, y->iLastValRaw);  // never reached
    EXPECT_EQ(0, h.app.il2Com.bConnected);
}

TEST_F(PollRoundTest, UnreadableDeviceEndsTheRoundAndSendsNothing) {
    ProfileDev2Axis* x = bind(IDIL_AILERONS, HWA_X);
    sim.setInCockpit(0);
    ASSERT_EQ(0, round());
    sim.setInCockpit(1);  // the next link test flushes
    move(HWA_X, 1);
    for (int unplug : {0, 1}) {
        if (unplug) h.di.unplug(stick);
        h.di.controller(stick).hrGetDeviceState = unplug ? DI_OK : DIERR_INPUTLOST;
        EXPECT_EQ(1, round(1000));
        EXPECT_EQ(Wire{}, sent());
        EXPECT_EQ(-1, x->iLastValRaw);
    }
}

TEST_F(PollRoundTest, NoRoundWhileEnumeratingOrWithoutDevices) {
    bind(IDIL_AILERONS, HWA_X);
    sim.setInCockpit(1);
    h.app.bEnumerating = 1;
    EXPECT_EQ(0, round());
    h.app.bEnumerating = 0;
    EXPECT_EQ(0u, sim.recordCount()) << "the link test waits for its answers; none was even asked";

    h.quit();
    UnregisterClassA("Quorix", h.hInst);
    deleteTestSettings();  // the device list that quit saved
    AppHarness none;  // a second application object, without controllers
    ASSERT_EQ(0, none.init());
    MyString addr("127.0.0.1");
    none.app.il2Com.setAddress(addr);
    none.app.il2Com.setPort(sim.port());
    EXPECT_EQ(0, none.app.runRound());
    EXPECT_EQ(0u, sim.recordCount());
}

}  // namespace
