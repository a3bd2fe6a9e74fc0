// A rich configuration written at exit and read at the next start comes back whole.

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>

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

// Everything a profile stores, as one text to compare.
std::string stored(const Profile& p) {
    std::ostringstream o;
    o << p.name.text();
    for (int i = 0; i < p.dev2Axis.count; ++i) {
        const ProfileDev2Axis& a = *p.dev2Axis.items[i];
        o << "\n" << a.idILDevice << ":";
        for (unsigned char b : std::string(reinterpret_cast<const char*>(&a.guidHwDev), 16)) o << int(b) << ",";
        o << " " << a.idAxis << " " << a.iMinCalibVal << ".." << a.iMaxCalibVal << " " << a.bInvert << " "
          << a.dFilterJitter << " " << a.dRvBugCor << " " << a.bIs50Axis << " |";
        for (int v : a.aiTranslate) o << " " << v;
    }
    return o.str();
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
        EXPECT_STREQ("127.0.0.1", again.app.il2Com.sIL2Addr.text());
        EXPECT_EQ(4444, again.app.il2Com.iIL2Port);
        ASSERT_EQ(2, again.app.hwDevices.count);
        for (int i = 0, j = -1; i < 2; ++i, j = -1) {
            HwDevice* was = h.app.hwDevices.items[i];
            ASSERT_EQ(0, again.app.hwDevices.findByGuid(j, &was->guid));
            ASSERT_GE(j, 0);
            EXPECT_STREQ(was->instName.text(), again.app.hwDevices.items[j]->instName.text());
            EXPECT_STREQ(was->usrName.text(), again.app.hwDevices.items[j]->usrName.text());
        }
        ASSERT_EQ(3, again.app.profiles.count);
        ASSERT_NE(nullptr, again.app.pActProfile);
        EXPECT_STREQ("Il-2", again.app.pActProfile->name.text());
        for (int i = 0; i < 3; ++i) {
            std::string want = stored(*h.app.profiles.items[i]), got;
            for (int j = 0; j < 3; ++j)
                if (again.app.profiles.items[j]->name == h.app.profiles.items[i]->name)
                    got = stored(*again.app.profiles.items[j]);
            EXPECT_EQ(want, got);
        }
        again.quit();
    }
    deleteTestSettings();
}

}  // namespace
