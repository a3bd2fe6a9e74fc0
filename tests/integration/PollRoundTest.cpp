// Poll rounds as the simulator sees them: a scripted controller, the real Device
// Link client and the stand-in simulator on 127.0.0.1, which records every datagram.

#include <gtest/gtest.h>

#include <winsock2.h>

#include <string>
#include <vector>

#include "support/IntegrationHelpers.h"

namespace {

typedef std::vector<std::string> Wire;
const char kMarker[] = "marker";

class PollRoundTest : public SimAppTest {
protected:
    PollRoundTest() : SimAppTest(true) {}
    HwDevice& dev() { return *h.app.hwDevices.items[0]; }
    void move(IdHwAxis a, LONG v) { h.di.setAxis(stick, a, v); }
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
            if (r.kind != IL2SIM_QUERY) out.push_back(r.sDatagram);  // refused ones too
        }
        ADD_FAILURE() << "marker not received";
        return out;
    }
};

// Both paths send: the round with the configuration dialog closed, and with it open.
class FlushRangeTest : public PollRoundTest, public ::testing::WithParamInterface<int> {};

TEST_P(FlushRangeTest, FlushBeforeAnyAcceptedValueStaysInRange) {
    const struct { IdILDevice control; IdHwAxis axis; double jitter; int min; LONG raw; } rows[] = {
        {IDIL_POWER, HWA_Z, 1.0, 0, 0},       // throttle at idle under a jitter filter: -1.00
        {IDIL_PITCH, HWA_SLD1, 2.0, 0, 328},  // 0.5 % is within 2 of the start value -1: -0.98
        {IDIL_FLAPS, HWA_RX, 0.0, -100, -1},  // a first raw value equal to the start value: nothing
    };
    for (const auto& r : rows) {
        ProfileDev2Axis* a = bind(r.control, r.axis);
        a->dFilterJitter = r.jitter;
        a->iMinCalibVal = r.min;
        move(r.axis, r.raw);
    }
    HWND dlg = GetParam() ? CreateDialogParamA(h.hInst, "DLGCFG", h.app.hFrameWnd, DlgCfgProc,
                                               reinterpret_cast<LPARAM>(&h.app)) : nullptr;
    ASSERT_EQ(GetParam() != 0, dlg != nullptr);
    sim.setInCockpit(1);
    EXPECT_EQ(0, round(0));  // connects in the cockpit: every axis is flushed
    if (dlg) DestroyWindow(dlg);
    EXPECT_EQ((Wire{"R/115/81\\-1.00/115/81\\-1.00", "R/115/93\\-1.00/115/93\\-0.98"}), sent());
}
INSTANTIATE_TEST_SUITE_P(DialogClosedAndOpen, FlushRangeTest, ::testing::Values(0, 1));

// Raw 10 * n - 0.5 % of the range: each value is a half, rounded away from zero.
TEST_F(PollRoundTest, ReadsEachAxisFromItsOwnMemberInTableOrderAndRoundsHalvesUp) {
    const struct { IdHwAxis axis; IdILDevice control; } map[] = {
        {HWA_X, IDIL_AILERONS},      {HWA_Y, IDIL_ELEVATOR},         {HWA_Z, IDIL_RUDDER},
        {HWA_RX, IDIL_BRAKES},       {HWA_RY, IDIL_FLAPS},           {HWA_RZ, IDIL_TRIM_AILERONS},
        {HWA_SLD1, IDIL_TRIM_ELEVATOR}, {HWA_SLD2, IDIL_TRIM_RUDDER}};
    // Assigned in reverse, so the order on the wire comes from the device alone.
    for (int i = HWA_COUNT - 1; i >= 0; --i) {
        bind(map[i].control, map[i].axis)->iMaxCalibVal = 1000;
        move(map[i].axis, 100 * (i + 1) - 5);
    }
    sim.setInCockpit(1);
    EXPECT_EQ(0, round());
    EXPECT_EQ((Wire{"R/85\\-1.00/85\\-0.80", "R/87\\-1.00/87\\-0.60", "R/89\\-1.00/89\\-0.40",
                    "R/91\\-1.00/91\\-0.20", "R/83\\-1.00/83\\0.00", "R/95\\-1.00/95\\0.20",
                    "R/97\\-1.00/97\\0.40", "R/99\\-1.00/99\\0.60"}),
              sent());
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

// A read that fails (the stick lost; unplugged: on the real exe) ends the round before anything
// is sent, even with a flush due. During a discovery pass no round runs at all, not even the link test.
TEST_F(PollRoundTest, UnreadableDeviceOrADiscoveryPassEndsTheRoundAndSendsNothing) {
    ProfileDev2Axis* x = bind(IDIL_AILERONS, HWA_X);
    sim.setInCockpit(0);
    ASSERT_EQ(0, round());
    sim.setInCockpit(1);  // the next link test flushes
    sim.clearRecords();
    move(HWA_X, 1);
    for (int lost : {0, 1}) {  // enumerating, then input lost
        SCOPED_TRACE(lost);
        h.app.bEnumerating = !lost;
        h.di.controller(stick).hrGetDeviceState = lost ? DIERR_INPUTLOST : DI_OK;
        EXPECT_EQ(lost, round(1000));
        EXPECT_TRUE(lost || sim.recordCount() == 0) << "the link test waits for its answers; none was even asked";
        EXPECT_EQ(Wire{}, sent());
        EXPECT_EQ(-1, x->iLastValRaw);
    }
}

// Windows loses a controller's input after sleep or a hub reset, and reads a device that needs
// polling only on Poll: the controller comes back by itself, a dead one is tried again once a
// second, and neither silences the pedals behind it.
TEST_F(PollRoundTest, LostInputComesBackADeadControllerSilencesNoOtherAndPolledDevicesUpdate) {
    bind(IDIL_AILERONS, HWA_X);
    bind(IDIL_RUDDER, HWA_Z, 40);
    sim.setInCockpit(1);
    ASSERT_EQ(0, round(0));  // connects and flushes
    sent();
    h.di.lose(stick);
    EXPECT_EQ(0, round());
    EXPECT_EQ(Wire{"R/85\\-1.00/85\\0.00"}, sent()) << "acquired again, its value sent once more";
    h.di.lose(stick);
    h.di.controller(stick).hrAcquire = DIERR_NOTINITIALIZED;
    VirtualDevice* d = h.di.lastDevice(stick);
    const int acquires = d->iAcquireCalls;
    for (int i = 1; i <= 250; ++i) {  // 2.5 s of rounds: the pedals send each one
        h.di.setAxis(pedals, HWA_Z, 100 * i);
        ASSERT_EQ(1, round()) << i;
    }
    EXPECT_EQ(250u, sent().size());
    EXPECT_GE(d->iAcquireCalls - acquires, 2) << "tried again";
    EXPECT_LE(d->iAcquireCalls - acquires, 3) << "at most once a second";
    h.di.controller(stick).hrAcquire = DI_OK;
    h.di.controller(stick).bPolled = 1;
    h.di.setAxis(stick, HWA_X, 0);
    EXPECT_EQ(0, round(1000));
    EXPECT_EQ(Wire{"R/85\\-1.00/85\\-1.00"}, sent()) << "back, and polled";
}

}  // namespace
