// Poll rounds in simulator mode: scripted controllers, the real Device Link
// client and the stand-in simulator on 127.0.0.1.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "il2sim/Il2SimServer.h"
#include "support/AppHarness.h"
#include "support/TickSource.h"

namespace {

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
        ProfileDev2Axis* d2a = nullptr;
        GUID g = fakeGuid(10);
        ASSERT_EQ(0, h.app.pActProfile->findByILDev(d2a, IDIL_AILERONS));
        ASSERT_EQ(0, d2a->attach(g, HWA_X));
        ASSERT_EQ(0, h.app.pActProfile->findByILDev(d2a, IDIL_RUDDER));
        ASSERT_EQ(0, d2a->attach(g, HWA_Z));
        ASSERT_EQ(0, h.app.reapplyProfile());
    }
    void TearDown() override {
        h.quit();
        sim.stop();
        deleteTestSettings();
    }
    // Runs one round with the tick moved on by ms; returns its status.
    int round(DWORD ms = 0) {
        gTestTick += ms;
        return h.app.runRound();
    }
    // The command datagrams received once n datagrams in all have arrived.
    // Datagrams travel on their own; a check that nothing more came waits a while.
    std::vector<std::string> commandsAfter(size_t n) {
        EXPECT_TRUE(sim.waitForRecords(n, 3000)) << "expected " << n << " datagrams";
        Sleep(150);
        EXPECT_EQ(n, sim.recordCount());
        return commands();
    }
    std::vector<std::string> commands() {
        std::vector<std::string> out;
        for (const Il2SimRecord& r : sim.records())
            if (r.kind == IL2SIM_CMD) out.push_back(r.sDatagram);
        return out;
    }
    void moveStick(LONG x, LONG z) {
        h.di.setAxis(stick, HWA_X, x);
        h.di.setAxis(stick, HWA_Z, z);
    }

    Il2SimServer sim;
    AppHarness h;
    int stick = 0;
};

TEST_F(PollRoundTest, NothingIsSentUntilPilotSitsInCockpit) {
    sim.setInCockpit(0);
    moveStick(0, 65535);
    EXPECT_EQ(0, round());
    EXPECT_EQ(1, h.app.il2Com.bConnected);
    EXPECT_EQ(0, h.app.il2Com.iInCockpit);
    moveStick(100, 200);
    EXPECT_EQ(0, round(10));
    EXPECT_TRUE(commandsAfter(2).empty()) << "only the version request and the cockpit query";

    sim.setInCockpit(1);
    EXPECT_EQ(0, round(990));  // entering the cockpit flushes every assigned axis
    std::vector<std::string> sent = commandsAfter(6);
    ASSERT_EQ(2u, sent.size());
    EXPECT_EQ("R/85\\-1.00/85\\-1.00", sent[0]);  // raw 100 of 65536 rounds to 0
    EXPECT_EQ("R/89\\-1.00/89\\-1.00", sent[1]);

    sim.setInCockpit(0);
    moveStick(65535, 65535);
    EXPECT_EQ(0, round(1000));
    EXPECT_EQ(2u, commandsAfter(8).size()) << "leaving the cockpit stops sending";
}

TEST_F(PollRoundTest, OnlyChangedAxesAreSentBetweenTests) {
    sim.setInCockpit(1);
    moveStick(32768, 32768);
    ASSERT_EQ(0, round());
    ASSERT_EQ(2u, commandsAfter(4).size());
    sim.clearRecords();

    EXPECT_EQ(0, round(10));
    EXPECT_TRUE(commandsAfter(0).empty()) << "a still stick sends nothing";

    moveStick(39322, 32768);  // 60.0 %
    EXPECT_EQ(0, round(10));
    std::vector<std::string> sent = commandsAfter(1);
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ("R/85\\-1.00/85\\0.20", sent[0]);
}

TEST_F(PollRoundTest, SimulatorGoingAwayAndBackResumesWithFlush) {
    sim.setInCockpit(1);
    moveStick(32768, 0);
    ASSERT_EQ(0, round());
    ASSERT_EQ(2u, commandsAfter(4).size());
    sim.setSilent(1);
    EXPECT_EQ(1009, round(1000));  // the version request times out
    EXPECT_EQ(0, h.app.il2Com.bConnected);
    EXPECT_EQ(0, h.app.usStateFlags & STATEFLAG_IL2_CONNECTED);
    sim.setSilent(0);
    sim.clearRecords();
    EXPECT_EQ(0, round(1000));
    EXPECT_EQ(1, h.app.il2Com.bConnected);
    EXPECT_EQ(2u, commandsAfter(4).size()) << "unchanged axes are sent again after a reconnection";
}

TEST_F(PollRoundTest, UnreadableDeviceEndsRoundAndSendsNothing) {
    sim.setInCockpit(1);
    ASSERT_EQ(0, round());
    ASSERT_EQ(2u, commandsAfter(4).size());
    sim.clearRecords();
    h.di.controller(stick).hrGetDeviceState = DIERR_INPUTLOST;
    moveStick(1, 2);
    EXPECT_EQ(1, round(1000));
    EXPECT_TRUE(commandsAfter(2).empty());
}

TEST_F(PollRoundTest, RoundDoesNothingWhileEnumeratingOrWithoutDevices) {
    sim.setInCockpit(1);
    h.app.bEnumerating = 1;
    EXPECT_EQ(0, round());
    h.app.bEnumerating = 0;
    EXPECT_TRUE(commandsAfter(0).empty());
    EXPECT_EQ(0, h.app.il2Com.bConnected) << "not even the link is tested";
}

TEST(PollRoundEmptyTest, EmptyDeviceListNeverTestsLink) {
    deleteTestSettings();
    Il2SimServer sim;
    ASSERT_EQ(0, sim.start(0));
    AppHarness h;
    ASSERT_EQ(0, h.init());
    MyString addr("127.0.0.1");
    h.app.il2Com.setAddress(addr);
    h.app.il2Com.setPort(sim.port());
    ASSERT_EQ(0, h.app.hwDevices.count);
    AppHarness::pump(300);  // real timer rounds
    EXPECT_EQ(0, h.app.runRound());
    Sleep(150);
    EXPECT_EQ(0u, sim.recordCount());
    h.quit();
    sim.stop();
    deleteTestSettings();
}

}  // namespace
