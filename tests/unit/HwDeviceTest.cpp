#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "app/Quorix.h"
#include "hw/HwDevice.h"
#include "profile/ProfileDev2Axis.h"
#include "support/FakeDirectInput.h"

namespace {

class HwDeviceDi : public ::testing::Test {
protected:
    HwDeviceDi() {
        app.hFrameWnd = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
        iStick = di.addController(fakeGuid(1), "Stick", "Stick product");
    }
    // What discovery does before configure.
    void attach(HwDevice& d, int controller) {
        DIDEVICEINSTANCEA inst;
        di.fillInstance(inst, controller);
        d.setDeviceInstance(&inst);
        d.setConnected(1);
    }
    std::unique_ptr<HwDevice> configured(int controller) {
        std::unique_ptr<HwDevice> d(new HwDevice(app));
        attach(*d, controller);
        EXPECT_EQ(0, d->configure(&di));
        return d;
    }

    FakeDirectInput di;  // outlives the devices below
    Quorix app;
    int iStick = 0;
};

TEST(HwDeviceBasics, AxesFollowTheStoredNumberingAndStartUnassigned) {
    Quorix app;
    HwDevice dev(app);
    const char* names[HWA_COUNT] = {"X", "Y", "Z", "Rx", "Ry", "Rz", "Sld1", "Sld2"};
    for (int i = 0; i < HWA_COUNT; ++i) {
        EXPECT_EQ(i + 1, dev.axes[i].id);
        EXPECT_STREQ(names[i], hwAxisName(dev.axes[i].id));
        EXPECT_FALSE(dev.axes[i].isAssigned());
        EXPECT_EQ(-1, dev.axes[i].iLastValRaw);
    }
    EXPECT_STREQ("", hwAxisName(HWA_NONE));
    EXPECT_STREQ("", hwAxisName(static_cast<IdHwAxis>(9)));
    GUID zero = {};
    EXPECT_EQ(0, memcmp(&zero, &dev.guid, sizeof zero));
}

TEST(HwDeviceBasics, NameGettersAppendAndConnectedNeedsAcquisition) {
    Quorix app;
    HwDevice dev(app);
    dev.setInstName("Inst");
    MyString usr("Pedals");
    dev.setUsrName(usr);
    MyString out("Old: ");
    EXPECT_EQ(0, dev.getUsrName(out));
    EXPECT_STREQ("Old: Pedals", out.text());
    EXPECT_EQ(0, dev.getInstName(out));
    EXPECT_STREQ("Old: PedalsInst", out.text());

    const struct { int bConnected, bAcquired, expected; } cases[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 1}};
    for (const auto& c : cases) {
        dev.setConnected(c.bConnected);
        dev.bAcquired = c.bAcquired;
        EXPECT_EQ(c.expected, dev.isConnected()) << c.bConnected << c.bAcquired;
    }
}

TEST_F(HwDeviceDi, SetDeviceInstanceTakesTheWholeRecordAndItsGuid) {
    HwDevice dev(app);
    DIDEVICEINSTANCEA inst;
    di.fillInstance(inst, iStick);
    EXPECT_EQ(0, dev.setDeviceInstance(&inst));
    EXPECT_EQ(0, memcmp(&inst, &dev.devInstance, sizeof inst));
    EXPECT_TRUE(IsEqualGUID(fakeGuid(1), dev.guid));
    EXPECT_EQ(1, dev.setDeviceInstance(nullptr));
    EXPECT_TRUE(IsEqualGUID(fakeGuid(1), dev.guid));
}

TEST_F(HwDeviceDi, ConfigureSetsUpBackgroundReadingOfTheJoystickFormat) {
    auto dev = configured(iStick);
    FakeDiDevice* d = di.lastDevice(iStick);
    ASSERT_NE(nullptr, d);
    EXPECT_EQ(static_cast<IDirectInputDevice8A*>(d), dev->pDiDevice);
    EXPECT_EQ(app.hFrameWnd, d->hCoopWnd);
    EXPECT_EQ(static_cast<DWORD>(DISCL_BACKGROUND | DISCL_NONEXCLUSIVE), d->dwCoopFlags);
    EXPECT_EQ(&c_dfDIJoystick2, d->pDataFormat);
    EXPECT_EQ(&DIPROP_BUFFERSIZE, d->pPropGuid);
    EXPECT_EQ(sizeof(DIPROPDWORD), d->propHeader.dwSize);
    EXPECT_EQ(sizeof(DIPROPHEADER), d->propHeader.dwHeaderSize);
    EXPECT_EQ(0u, d->propHeader.dwObj);
    EXPECT_EQ(static_cast<DWORD>(DIPH_DEVICE), d->propHeader.dwHow);
    EXPECT_EQ(10u, d->dwBufferSize);
    EXPECT_EQ(0, d->iAcquireCalls);
    EXPECT_EQ(0, d->iUnexpectedCalls) << d->sLastUnexpected;
}

TEST_F(HwDeviceDi, ConfigureReportsTheFailingStepAndKeepsWhatItCreated) {
    const struct { HRESULT FakeController::*field; int expected; } steps[] = {
        {&FakeController::hrCreateDevice, 1},
        {&FakeController::hrSetCooperativeLevel, 2},
        {&FakeController::hrSetDataFormat, 3},
        {&FakeController::hrSetProperty, 4},
    };
    for (const auto& s : steps) {
        di.controller(iStick).*s.field = E_FAIL;
        int before = di.deviceCount();
        std::unique_ptr<HwDevice> dev(new HwDevice(app));
        attach(*dev, iStick);
        EXPECT_EQ(s.expected, dev->configure(&di));
        EXPECT_EQ(1, dev->bConnected);
        EXPECT_EQ(0, dev->bAcquired);
        if (s.expected == 1) {
            EXPECT_EQ(nullptr, dev->pDiDevice);
            EXPECT_EQ(before, di.deviceCount());
        } else {
            FakeDiDevice* d = di.lastDevice(iStick);
            ASSERT_EQ(static_cast<IDirectInputDevice8A*>(d), dev->pDiDevice);
            EXPECT_EQ(1, d->refCount());  // still held; released with the device
            EXPECT_EQ(s.expected > 2 ? 1 : 0, d->iDataFormatCalls);
            EXPECT_EQ(s.expected > 3 ? 1 : 0, d->iSetPropertyCalls);
            dev.reset();
            EXPECT_EQ(0, d->refCount());
            EXPECT_EQ(0, d->iOverReleases);
        }
        di.controller(iStick).*s.field = DI_OK;
    }
    EXPECT_EQ(1, HwDevice(app).configure(nullptr));
}

TEST_F(HwDeviceDi, ReconfigureReleasesThePreviousInterfaceAfterUnacquiring) {
    auto dev = configured(iStick);
    FakeDiDevice* first = di.lastDevice(iStick);
    ASSERT_EQ(0, dev->acquire());
    ASSERT_EQ(0, dev->configure(&di));
    FakeDiDevice* second = di.lastDevice(iStick);
    ASSERT_NE(first, second);
    EXPECT_EQ(1, first->iUnacquireCalls);
    EXPECT_EQ(0, first->refCount());
    EXPECT_EQ(0, dev->bAcquired);  // the new interface is not acquired yet
    EXPECT_EQ(1, second->refCount());

    // A failing creation still lets go of the old one.
    di.controller(iStick).hrCreateDevice = E_OUTOFMEMORY;
    EXPECT_EQ(1, dev->configure(&di));
    EXPECT_EQ(0, second->refCount());
    dev.reset();
    for (int n = 0; n < di.deviceCount(); ++n) {
        EXPECT_EQ(0, di.device(n)->iOverReleases);
        EXPECT_EQ(0, di.device(n)->iCallsAfterRelease);
    }
}

TEST_F(HwDeviceDi, DestructionUnacquiresBeforeReleasing) {
    auto dev = configured(iStick);
    FakeDiDevice* d = di.lastDevice(iStick);
    ASSERT_EQ(0, dev->acquire());
    dev.reset();
    EXPECT_EQ(1, d->iUnacquireCalls);
    EXPECT_EQ(0, d->bAcquired);
    EXPECT_EQ(0, d->refCount());
    EXPECT_EQ(0, d->iCallsAfterRelease);
}

TEST_F(HwDeviceDi, AcquireSucceedsOnlyOnDiOk) {
    const struct { HRESULT forced; int status, bAcquired; } cases[] = {
        {DI_OK, 0, 1}, {S_FALSE, 1, 0}, {DIERR_OTHERAPPHASPRIO, 1, 0}, {static_cast<HRESULT>(DIERR_UNPLUGGED), 1, 0}};
    for (const auto& c : cases) {
        auto dev = configured(iStick);
        di.controller(iStick).hrAcquire = c.forced;
        EXPECT_EQ(c.status, dev->acquire()) << std::hex << c.forced;
        EXPECT_EQ(c.bAcquired, dev->bAcquired);
        EXPECT_EQ(c.bAcquired, dev->isConnected());
    }
    // Acquiring twice: DirectInput answers S_FALSE, which is a failure that keeps the flag.
    di.controller(iStick).hrAcquire = DI_OK;
    auto dev = configured(iStick);
    ASSERT_EQ(0, dev->acquire());
    EXPECT_EQ(1, dev->acquire());
    EXPECT_EQ(1, dev->bAcquired);
    EXPECT_EQ(1, HwDevice(app).acquire());  // never configured
}

TEST_F(HwDeviceDi, UnacquireCallsDirectInputOnlyWhenAcquired) {
    auto dev = configured(iStick);
    FakeDiDevice* d = di.lastDevice(iStick);
    EXPECT_EQ(0, dev->unacquire());
    EXPECT_EQ(0, d->iUnacquireCalls);
    ASSERT_EQ(0, dev->acquire());
    EXPECT_EQ(0, dev->unacquire());
    EXPECT_EQ(1, d->iUnacquireCalls);
    EXPECT_EQ(0, dev->bAcquired);
    EXPECT_EQ(0, d->bAcquired);
}

TEST_F(HwDeviceDi, ProcessReadsTheStateOnceAndNeverPolls) {
    auto dev = configured(iStick);
    FakeDiDevice* d = di.lastDevice(iStick);
    EXPECT_EQ(1, dev->process(1));  // not acquired: DirectInput refuses the read
    ASSERT_EQ(0, dev->acquire());
    EXPECT_EQ(0, dev->process(1));  // no axis assigned: nothing to do after the read
    EXPECT_EQ(2, d->iGetDeviceStateCalls);
    EXPECT_EQ(sizeof(DIJOYSTATE2), d->dwLastStateSize);
    EXPECT_EQ(0, d->iUnexpectedCalls) << d->sLastUnexpected;
    EXPECT_EQ(1, HwDevice(app).process(1));  // never configured
}

// ------------------------------------------------------------------ the list

class HwDeviceList : public HwDeviceDi {
protected:
    HwDeviceList() : list(app) {
        iPedals = di.addController(fakeGuid(50), "Pedals", "Pedals product");
        for (int c : {iStick, iPedals}) {
            HwDevice* dev = new HwDevice(app);
            DIDEVICEINSTANCEA inst;
            di.fillInstance(inst, c);
            EXPECT_EQ(0, list.regDevice(dev, &inst));
            attach(*dev, c);
        }
    }
    int iPedals = 0;
    HwDeviceArray list;
};

TEST_F(HwDeviceList, RegDeviceNamesFromTheInstanceAndAppends) {
    ASSERT_EQ(2, list.count);
    EXPECT_STREQ("Pedals", list.items[1]->instName.text());
    EXPECT_STREQ("Pedals", list.items[1]->usrName.text());

    DIDEVICEINSTANCEA inst;
    di.fillInstance(inst, iStick);
    memset(inst.tszInstanceName, 'A', sizeof inst.tszInstanceName);  // no NUL from the driver
    HwDevice* dev = new HwDevice(app);
    ASSERT_EQ(0, list.regDevice(dev, &inst));
    EXPECT_EQ(static_cast<unsigned long>(MAX_PATH), dev->instName.size());
    GUID zero = {};
    EXPECT_EQ(0, memcmp(&zero, &dev->guid, sizeof zero));  // the record is not taken over here
    EXPECT_EQ(1, list.add(nullptr));
    EXPECT_EQ(3, list.count);
}

TEST_F(HwDeviceList, FindByGuidGivesTheFirstMatchOrMinusOne) {
    GUID stick = fakeGuid(1), pedals = fakeGuid(50), other = fakeGuid(1);
    other.Data4[7] ^= 1;  // differs in the last byte only
    const struct { const GUID* guid; int idx; } cases[] = {{&stick, 0}, {&pedals, 1}, {&other, -1}, {nullptr, -1}};
    for (const auto& c : cases) {
        int idx = 7;
        EXPECT_EQ(0, list.findByGuid(idx, c.guid));
        EXPECT_EQ(c.idx, idx);
    }
    HwDevice* saved = list.items[0];
    list.items[0] = nullptr;
    int idx = 7;
    EXPECT_EQ(2, list.findByGuid(idx, &pedals));
    EXPECT_EQ(-1, idx);
    list.items[0] = saved;
}

TEST_F(HwDeviceList, DoubleUserNamesExcludeTheDeviceItselfAndMatchCase) {
    HwDevice* stick = list.items[0];
    const struct { const char* name; HwDevice* exclude; int bDouble; } cases[] = {
        {"Pedals", stick, 1}, {"Stick", stick, 0}, {"Stick", nullptr, 1}, {"pedals", stick, 0}, {"Pedal", stick, 0}};
    for (const auto& c : cases) {
        MyString name(c.name);
        int bDouble = 7;
        EXPECT_EQ(0, list.checkDoubleUsrName(bDouble, name, c.exclude));
        EXPECT_EQ(c.bDouble, bDouble) << c.name;
    }
}

TEST_F(HwDeviceList, DisconnectAllUnacquiresAndStopsAtAnEmptySlot) {
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(0, list.items[i]->configure(&di));
        ASSERT_EQ(0, list.items[i]->acquire());
    }
    EXPECT_EQ(0, list.disconnectAll());
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(0, list.items[i]->bConnected);
        EXPECT_EQ(0, list.items[i]->bAcquired);
        EXPECT_EQ(0, di.lastDevice(i)->bAcquired);
    }
    list.items[1]->setConnected(1);
    HwDevice* saved = list.items[0];
    list.items[0] = nullptr;
    EXPECT_EQ(2, list.disconnectAll());
    EXPECT_EQ(1, list.items[1]->bConnected);
    list.items[0] = saved;
}

TEST_F(HwDeviceList, DestroyingTheListReleasesEveryInterface) {
    {
        HwDeviceArray own(app);
        for (int c : {iStick, iPedals}) {
            HwDevice* dev = new HwDevice(app);
            attach(*dev, c);
            ASSERT_EQ(0, own.add(dev));
            ASSERT_EQ(0, dev->configure(&di));
        }
        EXPECT_EQ(1, di.lastDevice(iPedals)->refCount());
    }
    EXPECT_EQ(0, di.lastDevice(iStick)->refCount());
    EXPECT_EQ(0, di.lastDevice(iPedals)->refCount());
}

}  // namespace
