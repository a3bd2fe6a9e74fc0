// A device's poll as the simulator sees it: the stand-in simulator on 127.0.0.1
// records every datagram the Device Link client sends.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/Quorix.h"
#include "hw/HwDevice.h"
#include "il2sim/Il2SimServer.h"
#include "profile/ProfileDev2Axis.h"
#include "support/Pads.h"

namespace {

const char kMarker[] = "marker";

class HwDeviceSend : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(0, sim.start(0));
        sim.setInCockpit(1);
        MyString addr("127.0.0.1");
        ASSERT_EQ(0, app.il2Com.setAddress(addr));
        ASSERT_EQ(0, app.il2Com.setPort(sim.port()));
        int bFlush = 0;
        ASSERT_EQ(0, app.il2Com.testConnection(bFlush));
        ASSERT_EQ(1, app.il2Com.bConnected);
        ASSERT_EQ(1, app.il2Com.iInCockpit);
        sim.clearRecords();

        iPedals = di.addController(fakeGuid(1), "Pedals");
        DIDEVICEINSTANCEA inst;
        di.fillInstance(inst, iPedals);
        dev.setDeviceInstance(&inst);
        dev.setConnected(1);
        dev.setUsrName("Pedals");
        ASSERT_EQ(0, dev.configure(&di));
        ASSERT_EQ(0, dev.acquire());
    }

    // A new assignment with calibration 0..max on axis a, driving control c.
    ProfileDev2Axis* assign(IdHwAxis a, IdILDevice c, int max = 100) {
        ILDevice* control = nullptr;
        EXPECT_EQ(0, app.ilDevices.getById(control, c));
        aAssignments.emplace_back(new ProfileDev2Axis(app, c, control));
        ProfileDev2Axis* p = aAssignments.back().get();
        p->iMaxCalibVal = max;
        dev.axes[a - 1].pDev2Axis = p;
        dev.axes[a - 1].pILDevice = control;
        return p;
    }
    void setAxis(IdHwAxis a, LONG v) { di.setAxis(iPedals, a, v); }

    // Datagrams received since the last call: a marker sent behind them on the
    // same socket shows that nothing else is on its way.
    std::vector<std::string> sent() {
        std::vector<std::string> out;
        EXPECT_EQ(0, app.il2Com.sendSet(kMarker, 0));
        for (size_t n = 1; sim.waitForRecords(n, 3000); ++n) {
            std::string d = sim.records()[n - 1].sDatagram;
            if (d == kMarker) {
                sim.clearRecords();
                return out;
            }
            out.push_back(d);
        }
        ADD_FAILURE() << "marker not received";
        return out;
    }

    VirtualDirectInput di;
    Il2SimServer sim;
    Quorix app;
    HwDevice dev{app};
    std::vector<std::unique_ptr<ProfileDev2Axis>> aAssignments;
    int iPedals = 0;
};

typedef std::vector<std::string> Wire;

TEST_F(HwDeviceSend, ReadsEachAxisFromItsOwnMemberInTableOrder) {
    const struct { IdHwAxis axis; IdILDevice control; } map[] = {
        {HWA_X, IDIL_AILERONS},   {HWA_Y, IDIL_ELEVATOR},        {HWA_Z, IDIL_RUDDER},
        {HWA_RX, IDIL_BRAKES},    {HWA_RY, IDIL_FLAPS},          {HWA_RZ, IDIL_TRIM_AILERONS},
        {HWA_SLD1, IDIL_TRIM_ELEVATOR}, {HWA_SLD2, IDIL_TRIM_RUDDER},
    };
    // Assigned in reverse, so the order on the wire comes from the device alone.
    for (int i = HWA_COUNT - 1; i >= 0; --i) {
        assign(map[i].axis, map[i].control);
        setAxis(map[i].axis, 10 * (i + 1));
    }
    EXPECT_EQ(0, dev.process(0));
    EXPECT_EQ((Wire{"R/85\\-1.00/85\\-0.80", "R/87\\-1.00/87\\-0.60", "R/89\\-1.00/89\\-0.40",
                    "R/91\\-1.00/91\\-0.20", "R/83\\-1.00/83\\0.00", "R/95\\-1.00/95\\0.20",
                    "R/97\\-1.00/97\\0.40", "R/99\\-1.00/99\\0.60"}),
              sent());
}

TEST_F(HwDeviceSend, UnchangedAxesAreSentOnlyWhenFlushed) {
    assign(HWA_X, IDIL_AILERONS);
    assign(HWA_RZ, IDIL_RUDDER);
    setAxis(HWA_X, 60);
    setAxis(HWA_RZ, 25);
    const Wire both{"R/85\\-1.00/85\\0.20", "R/89\\-1.00/89\\-0.50"};
    EXPECT_EQ(0, dev.process(0));
    EXPECT_EQ(both, sent());
    EXPECT_EQ(0, dev.process(0));
    EXPECT_EQ(Wire{}, sent());
    EXPECT_EQ(0, dev.process(1));
    EXPECT_EQ(both, sent());
    setAxis(HWA_RZ, 75);
    EXPECT_EQ(0, dev.process(0));
    EXPECT_EQ(Wire{"R/89\\-1.00/89\\0.50"}, sent());
}

TEST_F(HwDeviceSend, HalfAssignedAxesAreSkippedEvenWhenFlushed) {
    ProfileDev2Axis* noControl = assign(HWA_X, IDIL_AILERONS);
    dev.axes[0].pILDevice = nullptr;
    assign(HWA_Y, IDIL_ELEVATOR);
    dev.axes[1].pDev2Axis = nullptr;
    assign(HWA_Z, IDIL_RUDDER);
    setAxis(HWA_Z, 0);
    EXPECT_EQ(0, dev.process(1));
    EXPECT_EQ(Wire{"R/89\\-1.00/89\\-1.00"}, sent());
    // The single-axis step guards itself too (the dialog's round calls it directly).
    EXPECT_EQ(0, dev.processAxis(dev.axes[0], 30, 1, "X"));
    EXPECT_EQ(0, dev.processAxis(dev.axes[1], 30, 1, "Y"));
    EXPECT_EQ(Wire{}, sent());
    EXPECT_EQ(-1, noControl->iLastValRaw);  // apply never ran
    EXPECT_EQ(-1.0, noControl->dLastValCorrected);
}

TEST_F(HwDeviceSend, RoundsTheCorrectedValueHalfAwayFromZero) {
    assign(HWA_X, IDIL_AILERONS, 1000);  // raw 495 is 49.5 %
    const struct { LONG raw; const char* wire; } cases[] = {
        {495, "R/85\\-1.00/85\\0.00"},   // 49.5 -> 50
        {494, "R/85\\-1.00/85\\-0.02"},  // 49.4 -> 49
        {505, "R/85\\-1.00/85\\0.02"},   // 50.5 -> 51
        {4, "R/85\\-1.00/85\\-1.00"},    // 0.4 -> 0
    };
    for (const auto& c : cases) {
        setAxis(HWA_X, c.raw);
        EXPECT_EQ(0, dev.process(0));
        EXPECT_EQ(Wire{c.wire}, sent()) << c.raw;
    }
}

TEST_F(HwDeviceSend, AFailedSendEndsTheDevicesRound) {
    ProfileDev2Axis* x = assign(HWA_X, IDIL_AILERONS);
    ProfileDev2Axis* y = assign(HWA_Y, IDIL_ELEVATOR);
    ProfileDev2Axis* sld2 = assign(HWA_SLD2, IDIL_FLAPS);
    setAxis(HWA_X, 40);
    // The client's socket goes away under it, so its send fails for real.
    ASSERT_EQ(0, closesocket(app.il2Com.hSocket));
    EXPECT_EQ(1010, dev.process(1));
    EXPECT_EQ(40, x->iLastValRaw);
    EXPECT_EQ(-1, y->iLastValRaw);
    EXPECT_EQ(-1, sld2->iLastValRaw);
    EXPECT_EQ(0, app.il2Com.bConnected);
}

TEST_F(HwDeviceSend, AnUnreadableStateSendsNothingEvenWhenFlushed) {
    ProfileDev2Axis* x = assign(HWA_X, IDIL_AILERONS);
    for (int bFlush : {0, 1}) {
        di.controller(iPedals).hrGetDeviceState = DIERR_NOTACQUIRED;
        EXPECT_EQ(1, dev.process(bFlush));
        di.controller(iPedals).hrGetDeviceState = DI_OK;
        di.unplug(iPedals);
        EXPECT_EQ(1, dev.process(bFlush));
        di.plug(iPedals);
        EXPECT_EQ(Wire{}, sent());
        EXPECT_EQ(-1, x->iLastValRaw);
    }
}

TEST_F(HwDeviceSend, LogsTheAxisLineBeforeSending) {
    char dir[MAX_PATH] = {}, path[MAX_PATH] = {};
    ASSERT_NE(0u, GetTempPathA(MAX_PATH, dir));
    ASSERT_NE(0u, GetTempFileNameA(dir, "qxh", 0, path));
    app.hLogFile = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, app.hLogFile);
    assign(HWA_Z, IDIL_RUDDER);
    setAxis(HWA_Z, 50);
    EXPECT_EQ(0, dev.process(1));
    CloseHandle(app.hLogFile);
    app.hLogFile = INVALID_HANDLE_VALUE;
    EXPECT_EQ(Wire{"R/89\\-1.00/89\\0.00"}, sent());

    std::string log(4096, '\0');
    DWORD got = 0;
    HANDLE h = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_TRUE(ReadFile(h, &log[0], static_cast<DWORD>(log.size()), &got, nullptr));
    CloseHandle(h);
    DeleteFileA(path);
    log.resize(got);
    const std::string line = "Sending Pedals - Axis Z\r\n";
    EXPECT_EQ(line, log.substr(0, line.size()));
    EXPECT_EQ("IL2Com: sendIL2DeviceCmd[", log.substr(line.size(), 25));
}

}  // namespace
