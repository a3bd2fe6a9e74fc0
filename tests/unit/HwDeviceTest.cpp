#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "app/Quorix.h"
#include "hw/HwDevice.h"
#include "support/Pads.h"

namespace {

class HwDeviceDi : public ::testing::Test {
protected:
    HwDeviceDi() : list(app) {
        app.hFrameWnd = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
        iStick = di.addController(fakeGuid(1), "Stick");
        iPedals = di.addController(fakeGuid(50), "Pedals");
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
    void expectNoMisuse() {
        for (int n = 0; n < di.deviceCount(); ++n) {
            const VirtualDevice* d = di.device(n);
            EXPECT_EQ(0, d->iOverReleases + d->iCallsAfterRelease + d->iUnexpectedCalls) << d->sLastUnexpected;
        }
    }
    HwDevice* swapOut(int i, HwDevice* by = nullptr) { std::swap(list.items[i], by); return by; }

    VirtualDirectInput di;  // outlives the devices below
    Quorix app;
    HwDeviceArray list;
    int iStick = 0, iPedals = 0;
};

TEST_F(HwDeviceDi, ConfigureSetsUpBackgroundReadingOfTheJoystickFormat) {
    auto dev = attached(iPedals);
    VirtualDevice* d = di.lastDevice(iPedals);  // created for the instance's GUID
    ASSERT_NE(nullptr, d);
    EXPECT_EQ(static_cast<IDirectInputDevice8A*>(d), dev->pDiDevice);
    EXPECT_EQ(app.hFrameWnd, d->hCoopWnd);
    EXPECT_EQ(static_cast<DWORD>(DISCL_BACKGROUND | DISCL_NONEXCLUSIVE), d->dwCoopFlags);
    EXPECT_EQ(&c_dfDIJoystick2, d->pDataFormat);
    EXPECT_EQ(&DIPROP_BUFFERSIZE, d->pPropGuid);
    const DIPROPHEADER header = {sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE};
    EXPECT_EQ(0, memcmp(&header, &d->propHeader, sizeof header));
    EXPECT_EQ(10u, d->dwBufferSize);
    EXPECT_EQ(0, d->iAcquireCalls);
    expectNoMisuse();
}

TEST_F(HwDeviceDi, ConfigureReportsTheFailingStepAndKeepsWhatItCreated) {
    HRESULT VirtualControllerState::*steps[] = {&VirtualControllerState::hrCreateDevice,
        &VirtualControllerState::hrSetCooperativeLevel, &VirtualControllerState::hrSetDataFormat,
        &VirtualControllerState::hrSetProperty};
    for (int step = 1; step <= 4; ++step) {
        di.controller(iStick).*steps[step - 1] = E_FAIL;
        int before = di.deviceCount();
        auto dev = attached(iStick, step);
        EXPECT_EQ(1, dev->bConnected);
        VirtualDevice* d = step == 1 ? nullptr : di.lastDevice(iStick);
        EXPECT_EQ(before + (step == 1 ? 0 : 1), di.deviceCount());
        EXPECT_EQ(static_cast<IDirectInputDevice8A*>(d), dev->pDiDevice);
        if (d) {
            EXPECT_EQ(1, d->refCount());  // still held, released with the device
            EXPECT_EQ(step > 2 ? 1 : 0, d->iDataFormatCalls);
            EXPECT_EQ(step > 3 ? 1 : 0, d->iSetPropertyCalls);
            dev.reset();
            EXPECT_EQ(0, d->refCount());
        }
        di.controller(iStick).*steps[step - 1] = DI_OK;
    }
    EXPECT_EQ(1, HwDevice(app).configure(nullptr));
    expectNoMisuse();
}

TEST_F(HwDeviceDi, EveryReplacedOrLastInterfaceIsUnacquiredAndReleased) {
    auto dev = attached(iStick);
    VirtualDevice* first = di.lastDevice(iStick);
    ASSERT_EQ(0, dev->acquire());
    ASSERT_EQ(0, dev->configure(&di));
    VirtualDevice* second = di.lastDevice(iStick);
    ASSERT_NE(first, second);
    EXPECT_EQ(1, first->iUnacquireCalls);
    EXPECT_EQ(0, first->refCount());
    EXPECT_EQ(0, dev->bAcquired);  // the new interface is not acquired yet
    EXPECT_EQ(1, second->refCount());
    di.controller(iStick).hrCreateDevice = E_OUTOFMEMORY;  // a failed creation lets go too
    EXPECT_EQ(1, dev->configure(&di));
    EXPECT_EQ(0, second->refCount());
    di.controller(iStick).hrCreateDevice = DI_OK;
    ASSERT_EQ(0, dev->configure(&di));
    ASSERT_EQ(0, dev->acquire());
    VirtualDevice* last = di.lastDevice(iStick);
    dev.reset();
    EXPECT_EQ(1, last->iUnacquireCalls);
    EXPECT_EQ(0, last->refCount());
    expectNoMisuse();
}

TEST_F(HwDeviceDi, AcquireSucceedsOnlyOnDiOk) {
    const struct { HRESULT forced; int status; } cases[] = {{DI_OK, 0}, {S_FALSE, 1}, {DIERR_OTHERAPPHASPRIO, 1}};
    for (const auto& c : cases) {
        di.controller(iStick).hrAcquire = c.forced;
        auto dev = attached(iStick);
        EXPECT_EQ(c.status, dev->acquire()) << std::hex << c.forced;
        EXPECT_EQ(1 - c.status, dev->bAcquired);
        EXPECT_EQ(1 - c.status, dev->isConnected());
    }
    // Twice: DirectInput answers S_FALSE, a failure that keeps the flag.
    di.controller(iStick).hrAcquire = DI_OK;
    auto dev = attached(iStick);
    ASSERT_EQ(0, dev->acquire());
    EXPECT_EQ(1, dev->acquire());
    EXPECT_EQ(1, dev->bAcquired);
    EXPECT_EQ(1, HwDevice(app).acquire());  // never configured
}

TEST_F(HwDeviceDi, ProcessReadsTheStateOnceAndNeverPolls) {
    auto dev = attached(iStick);
    VirtualDevice* d = di.lastDevice(iStick);
    EXPECT_EQ(1, dev->process(1));  // not acquired: DirectInput refuses the read
    ASSERT_EQ(0, dev->acquire());
    EXPECT_EQ(0, dev->process(1));  // no axis assigned: nothing to do after the read
    EXPECT_EQ(2, d->iGetDeviceStateCalls);
    EXPECT_EQ(sizeof(DIJOYSTATE2), d->dwLastStateSize);
    EXPECT_EQ(1, HwDevice(app).process(1));  // never configured
    expectNoMisuse();
}

TEST_F(HwDeviceDi, RegDeviceTakesBothNamesFromTheInstanceOnly) {
    DIDEVICEINSTANCEA inst;
    di.fillInstance(inst, iPedals);
    HwDevice* dev = new HwDevice(app);
    ASSERT_EQ(0, list.regDevice(dev, &inst));
    ASSERT_EQ(1, list.count);
    EXPECT_STREQ("Pedals", dev->instName.text());
    EXPECT_STREQ("Pedals", dev->usrName.text());
    EXPECT_TRUE(IsEqualGUID(GUID(), dev->guid));  // the record is discovery's to set
    memset(inst.tszInstanceName, 'A', sizeof inst.tszInstanceName);  // no NUL from the driver
    ASSERT_EQ(0, list.regDevice(dev = new HwDevice(app), &inst));
    EXPECT_EQ(static_cast<unsigned long>(MAX_PATH), dev->instName.size());
    EXPECT_EQ(1, list.add(nullptr));
    EXPECT_EQ(2, list.count);
}

class HwDeviceList : public HwDeviceDi {
protected:
    HwDeviceList() {
        for (int c : {iStick, iPedals}) list.add(attached(c).release());
        list.items[0]->setUsrName("Stick");
        list.items[1]->setUsrName("Pedals");
    }
};

TEST_F(HwDeviceList, FindByGuidComparesAllSixteenBytes) {
    GUID stick = fakeGuid(1), pedals = fakeGuid(50), other = fakeGuid(1);
    other.Data4[7] ^= 1;
    const struct { const GUID* guid; int idx; } cases[] = {{&stick, 0}, {&pedals, 1}, {&other, -1}, {nullptr, -1}};
    int idx = 7;
    for (const auto& c : cases) {
        EXPECT_EQ(0, list.findByGuid(idx = 7, c.guid));
        EXPECT_EQ(c.idx, idx);
    }
    HwDevice* saved = swapOut(0);
    EXPECT_EQ(2, list.findByGuid(idx = 7, &pedals));
    EXPECT_EQ(-1, idx);
    swapOut(0, saved);
}

TEST_F(HwDeviceList, DoubleUserNamesExcludeTheDeviceItselfAndMatchCase) {
    HwDevice* stick = list.items[0];
    const struct { const char* name; HwDevice* exclude; int bDouble; } cases[] = {
        {"Pedals", stick, 1}, {"Stick", stick, 0}, {"Stick", nullptr, 1}, {"pedals", stick, 0}, {"Pedal", stick, 0}};
    for (const auto& c : cases) {
        int bDouble = 7;
        MyString name(c.name);
        EXPECT_EQ(0, list.checkDoubleUsrName(bDouble, name, c.exclude));
        EXPECT_EQ(c.bDouble, bDouble) << c.name;
    }
}

TEST_F(HwDeviceList, DisconnectAllUnacquiresAndStopsAtAnEmptySlot) {
    ASSERT_EQ(0, list.items[0]->acquire());  // the pedals stay unacquired
    EXPECT_EQ(0, list.disconnectAll());
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(0, list.items[i]->bConnected + list.items[i]->bAcquired + di.lastDevice(i)->bAcquired) << i;
        EXPECT_EQ(i == iStick, di.lastDevice(i)->iUnacquireCalls) << i;
    }
    list.items[1]->setConnected(1);
    HwDevice* saved = swapOut(0);
    EXPECT_EQ(2, list.disconnectAll());
    EXPECT_EQ(1, list.items[1]->bConnected);
    swapOut(0, saved);
}

}  // namespace
