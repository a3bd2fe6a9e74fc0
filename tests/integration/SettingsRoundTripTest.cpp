// A rich configuration written at exit and read at the next start comes back whole.

#include <gtest/gtest.h>

#include <cstring>

#include "support/AppHarness.h"

namespace {

void configureProfile(Profile& p, unsigned char guidSeed, int shift) {
    for (int i = 0; i < p.dev2Axis.count; ++i) {
        ProfileDev2Axis* a = p.dev2Axis.items[i];
        if (i % 3 == 0) continue;  // some controls stay unassigned
        GUID g = fakeGuid(static_cast<unsigned char>(guidSeed + i % 2));
        a->attach(g, static_cast<IdHwAxis>(1 + (i + shift) % 8));
        a->iMinCalibVal = -1000 * i;
        a->iMaxCalibVal = 30000 + 100 * i + shift;
        a->bInvert = (i + shift) % 2;
        a->dFilterJitter = 0.25 * i;
        a->dRvBugCor = i % 4;
        a->bIs50Axis = i % 2;
        for (int k = 0; k < 20; ++k) a->setTranslate(k, (k * 7 + i + shift) % 101);
    }
}

void expectSameProfile(Profile& a, Profile& b) {
    EXPECT_TRUE(a.name == b.name);
    ASSERT_EQ(a.dev2Axis.count, b.dev2Axis.count);
    for (int i = 0; i < a.dev2Axis.count; ++i) {
        SCOPED_TRACE(i);
        ProfileDev2Axis* x = a.dev2Axis.items[i];
        ProfileDev2Axis* y = b.dev2Axis.items[i];
        EXPECT_EQ(0, memcmp(&x->guidHwDev, &y->guidHwDev, sizeof(GUID)));
        EXPECT_EQ(x->idAxis, y->idAxis);
        EXPECT_EQ(x->iMinCalibVal, y->iMinCalibVal);
        EXPECT_EQ(x->iMaxCalibVal, y->iMaxCalibVal);
        EXPECT_EQ(x->bInvert, y->bInvert);
        EXPECT_EQ(x->dFilterJitter, y->dFilterJitter);
        EXPECT_EQ(x->dRvBugCor, y->dRvBugCor);
        EXPECT_EQ(x->bIs50Axis, y->bIs50Axis);
        EXPECT_EQ(0, memcmp(x->aiTranslate, y->aiTranslate, sizeof x->aiTranslate));
        EXPECT_EQ(0, memcmp(x->adTrCurve, y->adTrCurve, sizeof x->adTrCurve));
    }
}

TEST(SettingsRoundTripTest, RichConfigurationComesBackIdentical) {
    deleteTestSettings();
    {
        AppHarness h;
        int stick = h.di.addController(fakeGuid(10), "Stick");
        h.di.addController(fakeGuid(11), "Pedals");
        ASSERT_EQ(0, h.init());
        ASSERT_EQ(2, h.app.hwDevices.count);
        h.app.hwDevices.items[1]->setUsrName("Rudder Pedals");
        h.di.unplug(stick);  // seen, then unplugged before the end
        h.app.enumHwDevices();
        ASSERT_FALSE(h.app.hwDevices.items[0]->bConnected);

        h.app.pActProfile->name = "Spitfire";
        configureProfile(*h.app.pActProfile, 10, 0);
        for (const char* name : {"Bf 109", "Il-2"}) {
            Profile* p = new Profile(h.app);
            p->name = name;
            configureProfile(*p, 10, static_cast<int>(strlen(name)));
            ASSERT_EQ(0, h.app.profiles.add(p));
        }
        h.app.pActProfile = h.app.profiles.items[2];
        MyString addr("127.0.0.1");
        h.app.il2Com.setAddress(addr);
        h.app.il2Com.setPort(4444);
        h.app.changeTimer(25);
        SendMessageA(h.app.hFrameWnd, WM_COMMAND, 999, 0);  // "Quit" saves
        UnregisterClassA("Quorix", h.hInst);  // the next start registers it again

        AppHarness again;
        ASSERT_EQ(0, again.init());
        EXPECT_EQ(25u, again.app.uiTimerInterval);
        EXPECT_TRUE(again.app.il2Com.sIL2Addr == "127.0.0.1");
        EXPECT_EQ(4444, again.app.il2Com.iIL2Port);
        ASSERT_EQ(2, again.app.hwDevices.count);
        for (int i = 0; i < 2; ++i) {
            HwDevice* was = h.app.hwDevices.items[i];
            HwDevice* now = nullptr;
            for (int j = 0; j < 2; ++j)
                if (memcmp(&again.app.hwDevices.items[j]->guid, &was->guid, sizeof(GUID)) == 0)
                    now = again.app.hwDevices.items[j];
            ASSERT_NE(nullptr, now);
            EXPECT_TRUE(now->instName == was->instName);
            EXPECT_TRUE(now->usrName == was->usrName);
        }
        ASSERT_EQ(3, again.app.profiles.count);
        ASSERT_NE(nullptr, again.app.pActProfile);
        EXPECT_TRUE(again.app.pActProfile->name == "Il-2");
        for (int i = 0; i < 3; ++i) {
            Profile* loaded = nullptr;
            for (int j = 0; j < 3; ++j)
                if (again.app.profiles.items[j]->name == h.app.profiles.items[i]->name)
                    loaded = again.app.profiles.items[j];
            ASSERT_NE(nullptr, loaded) << h.app.profiles.items[i]->name.text();
            expectSameProfile(*h.app.profiles.items[i], *loaded);
        }
        again.quit();
    }
    deleteTestSettings();
}

}  // namespace
