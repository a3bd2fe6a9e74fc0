#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "app/Quorix.h"
#include "hw/HwDevice.h"
#include "support/Pads.h"

namespace {

// Devices and their list on the in-process virtual controllers, which record every call.
class HwDeviceTest : public ::testing::Test {
protected:
    HwDeviceTest() : list(app) {
        app.hFrameWnd = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
        iStick = di.addController(fakeGuid(1), "Stick");
        iPedals = di.addController(fakeGuid(50), "Pedals");
    }
    void TearDown() override {
        for (int n = 0; n < di.deviceCount(); ++n) {
            const VirtualDevice* d = di.device(n);
            EXPECT_EQ(0, d->iOverReleases + d->iCallsAfterRelease + d->iUnexpectedCalls) << d->sLastUnexpected;
        }
    }
    // A device set up as discovery does it, up to configure.
    std::unique_ptr<HwDevice> attached(int controller, int configureStatus = 0) {
        std::unique_ptr<HwDevice> d(new HwDevice(app));
        DIDEVICEINSTANCEA inst;
        di.fillInstance(inst, controller);
        d->setDeviceInstance(&inst);
        d->setConnected(1);
        EXPECT_EQ(configureStatus, d->configure(&di));
        return d;
    }

    VirtualDirectInput di;  // outlives the devices below
    Quorix app;
    HwDeviceArray list;
    int iStick = 0, iPedals = 0;
};

TEST_F(HwDeviceTest, ConfigureSetsUpBackgroundReadingAndKeepsWhatAFailedStepCreated) {
    HRESULT VirtualControllerState::*steps[] = {nullptr, &VirtualControllerState::hrCreateDevice,
        &VirtualControllerState::hrSetCooperativeLevel, &VirtualControllerState::hrSetDataFormat,
        &VirtualControllerState::hrSetProperty};
    for (int step = 0; step <= 4; ++step) {  // the step that fails; 0: none
        SCOPED_TRACE(step);
        if (step) di.controller(iPedals).*steps[step] = E_FAIL;
        int before = di.deviceCount();
        auto dev = attached(iPedals, step);
        if (step) di.controller(iPedals).*steps[step] = DI_OK;
        VirtualDevice* d = step == 1 ? nullptr : di.lastDevice(iPedals);
        EXPECT_EQ(before + (step == 1 ? 0 : 1), di.deviceCount());
        EXPECT_EQ(static_cast<IDirectInputDevice8A*>(d), dev->pDiDevice);
        if (!d) continue;
        EXPECT_EQ(step == 0 || step > 2 ? 1 : 0, d->iDataFormatCalls);
        EXPECT_EQ(step == 0 || step > 3 ? 1 : 0, d->iSetPropertyCalls);
        if (step == 0) {  // background and non-exclusive, the joystick format, a buffer of 10, not acquired
            const DIPROPHEADER header = {sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE};
            EXPECT_EQ(static_cast<DWORD>(DISCL_BACKGROUND | DISCL_NONEXCLUSIVE), d->dwCoopFlags);
            EXPECT_EQ(&c_dfDIJoystick2, d->pDataFormat);
            EXPECT_EQ(&DIPROP_BUFFERSIZE, d->pPropGuid);
            EXPECT_EQ(0, memcmp(&header, &d->propHeader, sizeof header));
            EXPECT_EQ(10u, d->dwBufferSize);
            EXPECT_EQ(0, d->iAcquireCalls);
        }
        EXPECT_EQ(1, d->refCount());  // still held, released with the device
        dev.reset();
        EXPECT_EQ(0, d->refCount());
    }
}

TEST_F(HwDeviceTest, EveryReplacedOrLastInterfaceIsUnacquiredAndReleased) {
    auto dev = attached(iStick);
    VirtualDevice* first = di.lastDevice(iStick);
    ASSERT_EQ(0, dev->acquire());
    EXPECT_EQ(1, dev->acquire());  // DirectInput answers S_FALSE: a failure that keeps the flag
    EXPECT_EQ(1, dev->bAcquired);
    ASSERT_EQ(0, dev->configure(&di));
    VirtualDevice* second = di.lastDevice(iStick);
    ASSERT_NE(first, second);
    EXPECT_EQ(1, first->iUnacquireCalls);
    EXPECT_EQ(0, first->refCount());
    EXPECT_EQ(0, dev->bAcquired);  // the new interface is not acquired yet
    ASSERT_EQ(0, dev->acquire());
    dev.reset();
    EXPECT_EQ(1, second->iUnacquireCalls);
    EXPECT_EQ(0, second->refCount());
}

// Discovery's test shows the names taken from the instance; here, last, a name without its NUL.
TEST_F(HwDeviceTest, ListFindsByAllSixteenBytesAndCasedUserNameDisconnectsAllAndBoundsAnUnterminatedName) {
    for (int c : {iStick, iPedals}) list.add(attached(c).release());
    list.items[0]->setUsrName("Stick");
    list.items[1]->setUsrName("Pedals");
    GUID stick = fakeGuid(1), pedals = fakeGuid(50), other = fakeGuid(1);
    other.Data4[7] ^= 1;
    const struct { const GUID* guid; int idx; } guids[] = {{&stick, 0}, {&pedals, 1}, {&other, -1}, {nullptr, -1}};
    int idx = 7;
    for (const auto& c : guids) {
        EXPECT_EQ(0, list.findByGuid(idx = 7, c.guid));
        EXPECT_EQ(c.idx, idx);
    }
    HwDevice* stickDev = list.items[0];
    const struct { const char* name; HwDevice* exclude; int bDouble; } names[] = {
        {"Pedals", stickDev, 1}, {"Stick", stickDev, 0}, {"Stick", nullptr, 1}, {"pedals", stickDev, 0},
        {"Pedal", stickDev, 0}};
    for (const auto& c : names) {
        int bDouble = 7;
        MyString name(c.name);
        EXPECT_EQ(0, list.checkDoubleUsrName(bDouble, name, c.exclude));
        EXPECT_EQ(c.bDouble, bDouble) << c.name;
    }
    ASSERT_EQ(0, list.items[0]->acquire());  // the pedals stay unacquired
    EXPECT_EQ(0, list.disconnectAll());
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(0, list.items[i]->bConnected + list.items[i]->bAcquired + di.lastDevice(i)->bAcquired) << i;
        EXPECT_EQ(i == iStick, di.lastDevice(i)->iUnacquireCalls) << i;
    }
    DIDEVICEINSTANCEA inst;
    di.fillInstance(inst, iPedals);
    memset(inst.tszInstanceName, 'A', sizeof inst.tszInstanceName);
    HwDevice* dev = new HwDevice(app);
    ASSERT_EQ(0, list.regDevice(dev, &inst));
    EXPECT_EQ(static_cast<unsigned long>(MAX_PATH), dev->instName.size());
    EXPECT_EQ(3, list.count);
}

}  // namespace
