// What each class stores and reads back, against the real registry below the test settings key.

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "profile/ProfileKeys.h"
#include "support/AppHarness.h"
#include "support/Seeding.h"

namespace {

typedef std::set<std::string> Names;
Names names(const std::string& path, bool values = false) {
    std::vector<std::string> n = regNames(path, values);
    return Names(n.begin(), n.end());
}
void makeKey(const std::string& path, const char* name = nullptr, const char* text = "x") {
    regWrite(path, name, REG_SZ, textValue(text).second);
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        deleteTestSettings();
        app.sRegRoot = kTestRegRoot;
    }
    void TearDown() override { deleteTestSettings(); }

    // A profile appended to list, with Ailerons on the given axis of controller fakeGuid(fill).
    Profile* addProfile(ProfileArray& list, const char* name, unsigned char fill, IdHwAxis axis) {
        Profile* p = new Profile(app);
        p->name = name;
        ProfileDev2Axis* a = nullptr;
        p->findByILDev(a, IDIL_AILERONS);
        GUID g = fakeGuid(fill);
        a->attach(g, axis);
        EXPECT_EQ(0, list.add(p));
        return p;
    }
    // Ailerons' axis as loaded, -1 for a missing profile, -2 when it is on another controller than fill's.
    static int aileronsAxis(ProfileArray& list, const char* name, unsigned char fill) {
        for (int i = 0; i < list.count; ++i) {
            ProfileDev2Axis* a = nullptr;
            if (list.items[i]->name != name || list.items[i]->findByILDev(a, IDIL_AILERONS)) continue;
            GUID g = fakeGuid(fill);
            return memcmp(&g, &a->guidHwDev, sizeof g) == 0 ? a->idAxis : -2;
        }
        return -1;
    }
    // The profiles stored now, read into a fresh list (active one in pAct).
    void reload(ProfileArray& list, Profile*& pAct) { ASSERT_EQ(0, list.readConfig(MyString(kTestRegRoot), pAct)); }

    const std::string root = kTestRegRoot, profiles = root + "\\Profiles", hwDev = root + "\\HwDev";
    Quorix app;
};

TEST_F(SettingsTest, StoredIntervalIsClampedTo10To100) {
    const struct { RegValue stored; unsigned expected; } cases[] = {
        {RegValue(), 10},       {dwordValue(0), 10},    {dwordValue(9), 10},         {dwordValue(55), 55},
        {dwordValue(100), 100}, {dwordValue(101), 100}, {dwordValue(DWORD(-5)), 10}, {textValue("50"), 10},
    };
    for (const auto& c : cases) {
        deleteTestSettings();
        if (c.stored.first) regWrite(root, "uiTimerInterval", c.stored.first, c.stored.second);
        Quorix fresh;
        fresh.sRegRoot = kTestRegRoot;
        EXPECT_EQ(0, fresh.readConfig());
        EXPECT_EQ(c.expected, fresh.uiTimerInterval) << "stored " << c.stored.second;
    }
}

TEST_F(SettingsTest, FailedStartNeverOverwritesStoredSettings) {
    regWrite(root, "uiTimerInterval", REG_DWORD, dwordValue(37).second);
    {
        AppHarness h;
        // No tray icons in this module: the start fails before settings are read.
        EXPECT_NE(0, h.app.init(GetModuleHandleA("kernel32.dll")));
        EXPECT_EQ(0, h.app.close());
    }
    EXPECT_EQ(dwordValue(37), regRead(root, "uiTimerInterval"));
    {
        // A failure after the settings were read still saves them (they are complete).
        AppHarness h;
        h.app.pDirectInput8Create = refuseDirectInput8Create;
        EXPECT_EQ(1, h.init());
        h.app.uiTimerInterval = 64;
        h.app.close();
    }
    EXPECT_EQ(dwordValue(64), regRead(root, "uiTimerInterval"));
}

TEST_F(SettingsTest, ChangeTimerIgnoresCurrentAndOutOfRangeValues) {
    AppHarness h;
    ASSERT_EQ(0, h.init());
    for (unsigned v : {10u, 9u, 101u, 0u}) {
        EXPECT_EQ(0, h.app.changeTimer(v));
        EXPECT_EQ(10u, h.app.uiTimerInterval);
    }
    EXPECT_EQ(0, h.app.changeTimer(100));
    EXPECT_EQ(100u, h.app.uiTimerInterval);
    EXPECT_NE(0u, h.app.uiTimerId);
}

// An unplugged controller is stored too, and nothing is pruned; a key of any name
// loads, the user name defaulting to the instance name. (The layout: on the real exe;
// every value's round trip: the damaged-settings test.)
TEST_F(SettingsTest, ControllersAreStoredConnectedOrNotAndLoadedFromAnyKey) {
    const GUID pedals = fakeGuid(1), throttle = fakeGuid(0x50);
    regWrite(hwDev + "\\any name", "guid", REG_BINARY, binaryValue(&throttle, 16).second);
    makeKey(hwDev + "\\any name", "sInstName", "Throttle");
    HwDeviceArray list(app);
    HwDevice* dev = new HwDevice(app);
    dev->guid = pedals;
    dev->setInstName("Pedals");
    dev->setUsrName("Pedals");
    ASSERT_EQ(0, list.add(dev));
    ASSERT_EQ(0, list.saveConfig(MyString(kTestRegRoot)));
    HwDeviceArray back(app);
    ASSERT_EQ(0, back.readConfig(MyString(kTestRegRoot)));
    ASSERT_EQ(2, back.count);
    const struct { GUID guid; const char* name; } devs[] = {{pedals, "Pedals"}, {throttle, "Throttle"}};
    for (const auto& d : devs) {
        int idx = -1;
        ASSERT_EQ(0, back.findByGuid(idx, &d.guid));
        ASSERT_GE(idx, 0) << d.name;
        EXPECT_STREQ(d.name, back.items[idx]->instName.text());
        EXPECT_STREQ(d.name, back.items[idx]->usrName.text());
    }
}

// Without a key the assignment stays; with one, missing values take their defaults; either
// way what cannot be used is repaired, and the curve is rebuilt from the repaired points.
TEST_F(SettingsTest, AssignmentReadKeepsTheGuidAndRepairsHostileValues) {
    ILDevice* ailerons = nullptr;
    ASSERT_EQ(0, app.ilDevices.getById(ailerons, IDIL_AILERONS));
    GUID g = fakeGuid(0x44);
    ProfileDev2Axis none(app, IDIL_AILERONS, ailerons);
    none.attach(g, HWA_X);
    none.iMinCalibVal = none.iMaxCalibVal = 9;
    EXPECT_EQ(0, none.readConfig(MyString((root + "\\none").c_str())));
    EXPECT_EQ(HWA_X, none.idAxis);
    EXPECT_EQ(0, none.iMinCalibVal);
    EXPECT_EQ(65536, none.iMaxCalibVal);

    int points[TRANSLATE_POINTS];
    for (int j = 0; j < TRANSLATE_POINTS; ++j) points[j] = j % 2 ? -7 : 250;
    const struct { const char* name; RegValue value; } stored[] = {
        {"aiTranslate", binaryValue(points, sizeof points)}, {"iMinCalibVal", dwordValue(10)},
        {"iMaxCalibVal", dwordValue(DWORD(-10))},  {"idAxis", dwordValue(99)},     {"bInvert", dwordValue(1)},
        {"dFilterJitter", textValue("1e999")},     {"dRvBugCor", textValue("-1e999")},
        {"bIs50Axis", textValue("1")},  // wrong type: the default
        {"guidHwDev", binaryValue("\1\2\3\4\5\6\7\10", 8)}};  // 8 bytes are no GUID
    for (const auto& v : stored) regWrite(root, v.name, v.value.first, v.value.second);
    ProfileDev2Axis a(app, IDIL_AILERONS, ailerons);
    a.attach(g, HWA_Z);
    a.bIs50Axis = 1;
    EXPECT_EQ(0, a.readConfig(MyString(kTestRegRoot)));
    EXPECT_TRUE(IsEqualGUID(g, a.guidHwDev));
    for (int j = 0; j < TRANSLATE_POINTS; ++j) EXPECT_EQ(j % 2 ? 0 : 100, a.aiTranslate[j]) << j;
    const int got[] = {a.iMinCalibVal, a.iMaxCalibVal, a.idAxis, a.bInvert, a.bIs50Axis};
    EXPECT_EQ((std::vector<int>{0, 65536, HWA_NONE, 1, 0}), std::vector<int>(got, got + 5));
    EXPECT_EQ(0.0, a.dFilterJitter);
    EXPECT_EQ(0.0, a.dRvBugCor);
    int changed = 0;
    double v = -1.0;
    ASSERT_EQ(0, a.apply(changed, v, 0));
    EXPECT_DOUBLE_EQ(0.0, v);  // inverted, 100 %: point 19, repaired to 0, in the rebuilt curve
}

// With none stored (a Profiles key, a stale name) one unassigned "New Profile" is active;
// without even the key: on the real exe. Otherwise the stored name is matched exactly,
// anything else activates the first profile in the registry's own order.
TEST_F(SettingsTest, ActiveProfileByStoredName) {
    makeKey(profiles, "sActProfile", "Lost");
    ProfileArray fresh(app);
    Profile* pAct = nullptr;
    reload(fresh, pAct);
    ASSERT_EQ(1, fresh.count);
    EXPECT_EQ(fresh.items[0], pAct);
    EXPECT_STREQ("New Profile", pAct->name.text());
    for (int i = 0; i < pAct->dev2Axis.count; ++i) EXPECT_EQ(HWA_NONE, pAct->dev2Axis.items[i]->idAxis);

    for (const char* n : {"Zulu", "alpha", "Mike"}) makeKey(profiles + "\\" + n);
    const std::vector<std::string> order = regNames(profiles);
    ASSERT_EQ(3u, order.size());
    for (const char* stored : {"Mike", "Gone", "", "mike"}) {
        SCOPED_TRACE(stored);
        makeKey(profiles, "sActProfile", stored);
        ProfileArray list(app);
        reload(list, pAct);
        ASSERT_EQ(3, list.count);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(order[i], list.items[i]->name.text());
        ASSERT_NE(nullptr, pAct);
        EXPECT_EQ(std::string(stored) == "Mike" ? "Mike" : order[0], pAct->name.text());
        EXPECT_EQ(HWA_NONE, pAct->dev2Axis.items[0]->idAxis);  // no Dev2Axis key: defaults
    }
}

TEST_F(SettingsTest, SaveLeavesExactlyTheCurrentProfilesUnderTheirExactNames) {
    // Left from earlier runs: a deleted profile, a renamed one's old key, junk.
    for (const char* k : {"Beta\\Dev2Axis\\1", "OldName\\Dev2Axis\\1", "Alpha\\Dev2Axis\\99", "Alpha\\Other",
                          "Foo\\Dev2Axis\\1"})
        makeKey(profiles + "\\" + k);
    makeKey(profiles + "\\Alpha", "stray");
    makeKey(profiles + "\\Alpha\\Dev2Axis", "stray");
    makeKey(profiles, "junk");

    ProfileArray list(app);
    addProfile(list, "Alpha", 0x21, HWA_Y);
    addProfile(list, "Beta", 0x22, HWA_Z)->bDeleted = 1;
    Profile* foo = addProfile(list, "FOO", 0x23, HWA_RZ);
    foo->sStoredName = "Foo";  // a change of letter case only
    Profile* gamma = addProfile(list, "Gamma", 0x24, HWA_SLD2);
    ASSERT_EQ(0, list.saveConfig(MyString(kTestRegRoot), gamma));
    EXPECT_EQ((Names{"Alpha", "FOO", "Gamma"}), names(profiles));
    EXPECT_EQ((Names{"sActProfile"}), names(profiles, true));
    EXPECT_EQ(textValue("Gamma"), regRead(profiles, "sActProfile"));
    const std::string alpha = profiles + "\\Alpha";
    EXPECT_EQ((Names{"Dev2Axis"}), names(alpha));
    EXPECT_TRUE(regNames(alpha, true).empty());
    EXPECT_EQ(0u, names(alpha + "\\Dev2Axis").count("99"));
    EXPECT_TRUE(regNames(alpha + "\\Dev2Axis", true).empty());
    // Each value's bytes: the damaged-settings test stores every one again unchanged.
    EXPECT_EQ((Names{"guidHwDev", "idAxis", "bInvert", "dFilterJitter", "dRvBugCor", "aiTranslate", "iMinCalibVal",
                     "iMaxCalibVal", "bIs50Axis", "ILDeviceName"}),
              names(alpha + "\\Dev2Axis\\1", true));

    ProfileArray back(app);
    Profile* pAct = nullptr;
    reload(back, pAct);
    EXPECT_EQ(HWA_RZ, aileronsAxis(back, "FOO", 0x23));  // the renamed key holds the profile

    // Without an active profile no name is stored.
    ASSERT_EQ(0, list.saveConfig(MyString(kTestRegRoot), nullptr));
    EXPECT_TRUE(regNames(profiles, true).empty());
    EXPECT_EQ((Names{"Alpha", "FOO", "Gamma"}), names(profiles));
}

// A profile that cannot be stored costs only itself: the ones after it and the other
// owners' settings are written, a deleted one is pruned all the same, the old key of the
// refused rename stays, and sActProfile never names a key that was not written.
TEST_F(SettingsTest, AProfileThatCannotBeStoredCostsOnlyItself) {
    // Beyond 255 characters RegCreateKeyExA fails, on Windows and under Wine alike; the
    // other two names are refused before the registry.
    const std::string tooLong(300, 'L');
    for (const char* bad : {tooLong.c_str(), "Nested\\Name", ""}) {
        SCOPED_TRACE(std::string(bad).substr(0, 20));
        deleteTestSettings();
        Quorix q;
        q.sRegRoot = kTestRegRoot;
        addProfile(q.profiles, "Alpha", 0x41, HWA_Y);
        addProfile(q.profiles, "Beta", 0x42, HWA_Z);
        ASSERT_EQ(0, q.profiles.saveConfig(MyString(kTestRegRoot), q.profiles.items[0]));
        q.profiles.items[0]->name = bad;  // the failing (active) profile comes first
        q.profiles.items[1]->bDeleted = 1;
        addProfile(q.profiles, "Gamma", 0x43, HWA_RY);
        q.pActProfile = q.profiles.items[0];
        ASSERT_EQ(0, q.il2Com.setPort(4444));
        HwDevice* dev = new HwDevice(q);
        dev->guid = fakeGuid(10);
        ASSERT_EQ(0, q.hwDevices.add(dev));
        EXPECT_NE(0, q.saveConfig());  // the failure is still reported

        EXPECT_EQ((Names{"Alpha", "Gamma"}), names(profiles));
        EXPECT_EQ(textValue("Alpha"), regRead(profiles, "sActProfile"));
        EXPECT_EQ(dwordValue(4444), regRead(root + "\\IL2Com", "iIL2Port"));
        EXPECT_EQ(1u, regNames(hwDev).size());
        ProfileArray back(app);
        Profile* pAct = nullptr;
        reload(back, pAct);
        EXPECT_EQ(HWA_Y, aileronsAxis(back, "Alpha", 0x41));
        EXPECT_EQ(HWA_RY, aileronsAxis(back, "Gamma", 0x43));
    }
}

// Whatever the registry stores under one key, the profile list must call the same name.
TEST_F(SettingsTest, ProfileNameComparisonAgreesWithTheRegistry) {
    const struct { const char *a, *b; } pairs[] = {{"Abc", "aBC"},   {"[x", "{x"},      {"@", "`"},
                                                   {"\xC9t\xE9", "\xE9t\xC9"}, {"\xC4", "\xE4"}, {"\xDF", "SS"},
                                                   {"a b", "A  B"}, {"\xD8", "\xF8"}};
    for (const auto& p : pairs) {
        RegDeleteTreeA(HKEY_CURRENT_USER, (root + "\\cmp").c_str());
        makeKey(root + "\\cmp\\" + p.a);
        HKEY k = nullptr;
        bool registrySame =
            RegOpenKeyExA(HKEY_CURRENT_USER, (root + "\\cmp\\" + p.b).c_str(), 0, KEY_READ, &k) == ERROR_SUCCESS;
        if (k) RegCloseKey(k);
        EXPECT_EQ(registrySame ? 1 : 0, sameKeyName(p.a, p.b)) << p.a << " / " << p.b;
    }
}

}  // namespace
