// What each class stores and reads back, against the real registry below the test settings key.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "profile/ProfileKeys.h"
#include "support/IntegrationHelpers.h"
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

class SettingsTest : public AppTest {
protected:
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

    const std::string root = kTestRegRoot, profiles = root + "\\Profiles", hwDev = root + "\\HwDev";
    Quorix& app = h.app;
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
    // No tray icons in this module: the start fails before settings are read.
    EXPECT_NE(0, h.app.init(GetModuleHandleA("kernel32.dll")));
    EXPECT_EQ(0, h.app.close());
    EXPECT_EQ(dwordValue(37), regRead(root, "uiTimerInterval"));
}

// A controller key of any name loads, the user name defaulting to the instance name. (That an
// unplugged controller is stored: the refused-profile test; the layout: on the real exe.)
TEST_F(SettingsTest, ControllerLoadsFromAKeyOfAnyName) {
    const GUID throttle = fakeGuid(0x50);
    regWrite(hwDev + "\\any name", "guid", REG_BINARY, binaryValue(&throttle, 16).second);
    makeKey(hwDev + "\\any name", "sInstName", "Throttle");
    HwDeviceArray back(app);
    ASSERT_EQ(0, back.readConfig(MyString(kTestRegRoot)));
    ASSERT_EQ(1, back.count);
    EXPECT_TRUE(IsEqualGUID(throttle, back.items[0]->guid));
    EXPECT_EQ("Throttle|Throttle", std::string(back.items[0]->instName.text()) + "|" + back.items[0]->usrName.text());
}

// The stored name is matched exactly; anything else activates the first profile in the
// registry's own order. (None stored: one "New Profile", on the real exe.)
TEST_F(SettingsTest, ActiveProfileByStoredName) {
    Profile* pAct = nullptr;
    for (const char* n : {"Zulu", "alpha", "Mike"}) makeKey(profiles + "\\" + n);
    const std::vector<std::string> order = regNames(profiles);
    for (const char* stored : {"Mike", "Gone", "", "mike"}) {
        SCOPED_TRACE(stored);
        makeKey(profiles, "sActProfile", stored);
        ProfileArray list(app);
        ASSERT_EQ(0, list.readConfig(MyString(kTestRegRoot), pAct));
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
    // Pruned keys hold a value name longer than any key name, and a sub-key name longer than their values'.
    makeKey(profiles + "\\OldName\\Dev2Axis\\1", std::string(300, 'v').c_str());
    makeKey(profiles + "\\Beta", "z");
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

    EXPECT_EQ(dwordValue(HWA_RZ), regRead(profiles + "\\FOO\\Dev2Axis\\1", "idAxis"));  // the renamed key holds it
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
        EXPECT_EQ(dwordValue(HWA_Y), regRead(profiles + "\\Alpha\\Dev2Axis\\1", "idAxis"));
        EXPECT_EQ(dwordValue(HWA_RY), regRead(profiles + "\\Gamma\\Dev2Axis\\1", "idAxis"));
    }
}

// Whatever the registry stores under one key, the profile list must call the same name.
TEST_F(SettingsTest, ProfileNameComparisonAgreesWithTheRegistry) {
    const struct { const char *a, *b; } pairs[] = {{"Abc", "aBC"},   {"[x", "{x"},      {"@", "`"},
                                                   {"\xC9t\xE9", "\xE9t\xC9"}, {"\xC4", "\xE4"}, {"\xDF", "SS"},
                                                   {"a b", "A  B"}, {"\xD8", "\xF8"}};
    for (const auto& p : pairs) {
        RegDeleteTreeA(HKEY_CURRENT_USER, (root + "\\cmp").c_str());
        makeKey(root + "\\cmp\\" + p.a, "v");
        const bool registrySame = regRead(root + "\\cmp\\" + p.b, "v").first != 0;
        EXPECT_EQ(registrySame ? 1 : 0, sameKeyName(p.a, p.b)) << p.a << " / " << p.b;
    }
}

}  // namespace
