#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "app/Quorix.h"
#include "profile/Profile.h"
#include "profile/ProfileKeys.h"
#include "support/ScratchKey.h"

namespace {

typedef std::vector<std::string> Names;

// What the registry holds, read past the code under test: sub-key names in the
// registry's order, or value names.
Names listNames(const std::string& path, bool values = false) {
    Names out;
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return out;
    char buf[512];
    for (DWORD i = 0, len = sizeof buf;; ++i, len = sizeof buf) {
        LONG r = values ? RegEnumValueA(k, i, buf, &len, nullptr, nullptr, nullptr, nullptr)
                        : RegEnumKeyExA(k, i, buf, &len, nullptr, nullptr, nullptr, nullptr);
        if (r != ERROR_SUCCESS) break;
        out.push_back(buf);
    }
    RegCloseKey(k);
    return out;
}
std::set<std::string> nameSet(const std::string& path, bool values = false) {
    Names n = listNames(path, values);
    return std::set<std::string>(n.begin(), n.end());
}
// Type and bytes of a value; type 0 when it is missing.
std::pair<DWORD, std::string> rawValue(const std::string& path, const char* name) {
    char buf[512];
    DWORD type = 0, size = sizeof buf;
    if (RegGetValueA(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, buf, &size))
        return {0, std::string()};
    return {type, std::string(buf, size)};
}
// Creates path, and a text value in it when name is given.
void makeKey(const std::string& path, const char* name = nullptr, const char* text = "x") {
    HKEY k = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &k, nullptr));
    if (name)
        RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(strlen(text) + 1));
    RegCloseKey(k);
}

GUID guidOf(unsigned char fill) {
    GUID g;
    memset(&g, fill, sizeof g);
    return g;
}

class ProfileArrayRegistryTest : public ::testing::Test {
protected:
    ProfileArrayRegistryTest() : scratch("ProfileArray"), root(scratch.path().text()), profiles(root + "\\Profiles") {}
    void SetUp() override { ASSERT_TRUE(scratch.ok()); }

    // A profile appended to list, with Ailerons on the given axis of controller fill.
    static Profile* addTo(ProfileArray& list, Quorix& app, const char* name, unsigned char fill, IdHwAxis axis) {
        Profile* p = new Profile(app);
        p->name = name;
        ProfileDev2Axis* a = nullptr;
        p->findByILDev(a, IDIL_AILERONS);
        GUID g = guidOf(fill);
        a->attach(g, axis);
        EXPECT_EQ(0, list.add(p));
        return p;
    }
    static Profile* byName(ProfileArray& list, const char* name) {
        for (int i = 0; i < list.count; ++i)
            if (list.items[i]->name == name) return list.items[i];
        return nullptr;
    }
    // Ailerons' controller fill byte and axis as loaded, or -1 when the profile is missing.
    static int aileronsAxis(ProfileArray& list, const char* name, unsigned char fill) {
        Profile* p = byName(list, name);
        if (!p) return -1;
        ProfileDev2Axis* a = nullptr;
        p->findByILDev(a, IDIL_AILERONS);
        GUID g = guidOf(fill);
        return memcmp(&g, &a->guidHwDev, sizeof g) == 0 ? a->idAxis : -2;
    }

    ScratchKey scratch;
    std::string root;
    std::string profiles;
    Quorix app;
};

TEST_F(ProfileArrayRegistryTest, FirstStartGivesOneUnassignedNewProfile) {
    for (int withKey = 0; withKey < 2; ++withKey) {
        SCOPED_TRACE(withKey ? "Profiles key with a value but no sub-key" : "no Profiles key");
        if (withKey) makeKey(profiles, "sActProfile", "Lost");
        ProfileArray list(app);
        Profile* pAct = nullptr;
        ASSERT_EQ(0, list.readConfig(MyString(root.c_str()), pAct));
        ASSERT_EQ(1, list.count);
        EXPECT_EQ(list.items[0], pAct);
        EXPECT_TRUE(pAct->name == "New Profile");
        EXPECT_EQ(14, pAct->dev2Axis.count);
        for (int i = 0; i < pAct->dev2Axis.count; ++i) EXPECT_EQ(HWA_NONE, pAct->dev2Axis.items[i]->idAxis);
    }
}

TEST_F(ProfileArrayRegistryTest, ActiveProfileByStoredName) {
    for (const char* n : {"Zulu", "alpha", "Mike"}) makeKey(profiles + "\\" + n);
    const Names order = listNames(profiles);  // the registry's own enumeration order
    ASSERT_EQ(3u, order.size());
    const struct {
        const char* stored;
        const char* active;
    } cases[] = {{"Mike", "Mike"}, {"Gone", order[0].c_str()}, {"", order[0].c_str()},
                 {"mike", order[0].c_str()}};  // the stored name is matched exactly
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        makeKey(profiles, "sActProfile", c.stored);
        ProfileArray list(app);
        Profile* pAct = nullptr;
        ASSERT_EQ(0, list.readConfig(MyString(root.c_str()), pAct));
        ASSERT_EQ(3, list.count);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(order[i], list.items[i]->name.text());
        ASSERT_NE(nullptr, pAct);
        EXPECT_STREQ(c.active, pAct->name.text());
        EXPECT_EQ(HWA_NONE, pAct->dev2Axis.items[0]->idAxis);  // no Dev2Axis key: defaults
    }
}

TEST_F(ProfileArrayRegistryTest, SaveLeavesExactlyTheCurrentProfiles) {
    // Left from earlier runs: a deleted profile, a renamed one's old key, junk.
    makeKey(profiles + "\\Beta\\Dev2Axis\\1");
    makeKey(profiles + "\\OldName\\Dev2Axis\\1");
    makeKey(profiles + "\\Alpha\\Dev2Axis\\99");
    makeKey(profiles + "\\Alpha\\Other");
    makeKey(profiles + "\\Alpha", "stray");
    makeKey(profiles + "\\Alpha\\Dev2Axis", "stray");
    makeKey(profiles, "junk");

    ProfileArray list(app);
    addTo(list, app, "Alpha", 0x21, HWA_Y);
    addTo(list, app, "Beta", 0x22, HWA_Z)->bDeleted = 1;
    Profile* gamma = addTo(list, app, "Gamma", 0x23, HWA_SLD2);
    ASSERT_EQ(0, list.saveConfig(MyString(root.c_str()), gamma));

    EXPECT_EQ((std::set<std::string>{"Alpha", "Gamma"}), nameSet(profiles));
    EXPECT_EQ((std::set<std::string>{"sActProfile"}), nameSet(profiles, true));
    EXPECT_EQ(std::make_pair(DWORD(REG_SZ), std::string("Gamma", 6)), rawValue(profiles, "sActProfile"));

    const std::string alpha = profiles + "\\Alpha";
    EXPECT_EQ((std::set<std::string>{"Dev2Axis"}), nameSet(alpha));
    EXPECT_TRUE(listNames(alpha, true).empty());
    std::set<std::string> ids;
    for (int i = 1; i <= 14; ++i) ids.insert(std::to_string(i));
    EXPECT_EQ(ids, nameSet(alpha + "\\Dev2Axis"));
    EXPECT_TRUE(listNames(alpha + "\\Dev2Axis", true).empty());
    const std::string ailerons = alpha + "\\Dev2Axis\\1";
    EXPECT_EQ(std::make_pair(DWORD(REG_DWORD), std::string("\x02\0\0\0", 4)), rawValue(ailerons, "idAxis"));
    EXPECT_EQ(std::make_pair(DWORD(REG_BINARY), std::string(16, '\x21')), rawValue(ailerons, "guidHwDev"));

    // Without an active profile no name is stored.
    ASSERT_EQ(0, list.saveConfig(MyString(root.c_str()), nullptr));
    EXPECT_TRUE(listNames(profiles, true).empty());
    EXPECT_EQ((std::set<std::string>{"Alpha", "Gamma"}), nameSet(profiles));
}

TEST_F(ProfileArrayRegistryTest, DeletedAndRenamedProfilesAcrossARestart) {
    {
        ProfileArray list(app);
        addTo(list, app, "Alpha", 0x31, HWA_X);
        Profile* beta = addTo(list, app, "Beta", 0x32, HWA_RX);
        addTo(list, app, "Foo", 0x33, HWA_RZ);
        ASSERT_EQ(0, list.saveConfig(MyString(root.c_str()), beta));
    }
    {
        ProfileArray list(app);
        Profile* pAct = nullptr;
        ASSERT_EQ(0, list.readConfig(MyString(root.c_str()), pAct));
        byName(list, "Alpha")->bDeleted = 1;
        byName(list, "Beta")->name = "Bravo";
        byName(list, "Foo")->name = "FOO";  // a change of letter case only
        ASSERT_EQ(0, list.saveConfig(MyString(root.c_str()), byName(list, "FOO")));
    }
    EXPECT_EQ((std::set<std::string>{"Bravo", "FOO"}), nameSet(profiles));  // exact spelling
    ProfileArray list(app);
    Profile* pAct = nullptr;
    ASSERT_EQ(0, list.readConfig(MyString(root.c_str()), pAct));
    ASSERT_EQ(2, list.count);
    ASSERT_NE(nullptr, pAct);
    EXPECT_STREQ("FOO", pAct->name.text());
    EXPECT_EQ(HWA_RX, aileronsAxis(list, "Bravo", 0x32));
    EXPECT_EQ(HWA_RZ, aileronsAxis(list, "FOO", 0x33));
}

TEST_F(ProfileArrayRegistryTest, FailedSaveLosesNothingStored) {
    // Beyond 255 characters per key name RegCreateKeyExA fails, on Windows and
    // under Wine alike; the other two names are refused before the registry.
    const std::string tooLong(300, 'L');
    const char* badNames[] = {tooLong.c_str(), "Nested\\Name", ""};
    for (const char* bad : badNames) {
        SCOPED_TRACE(std::string(bad).substr(0, 20));
        {
            ProfileArray list(app);
            Profile* alpha = addTo(list, app, "Alpha", 0x41, HWA_Y);
            addTo(list, app, "Beta", 0x42, HWA_Z);
            ASSERT_EQ(0, list.saveConfig(MyString(root.c_str()), alpha));
        }
        {
            ProfileArray list(app);
            Profile* pAct = nullptr;
            ASSERT_EQ(0, list.readConfig(MyString(root.c_str()), pAct));
            // The failing profile comes first: the ones after it are still written.
            Profile* p = new Profile(app);
            p->name = bad;
            list.items[0]->bDeleted = 1;  // a failing profile does not keep its key from pruning
            ASSERT_EQ(0, list.add(p));
            std::swap(list.items[0], list.items[list.count - 1]);
            addTo(list, app, "Gamma", 0x43, HWA_RY);
            EXPECT_NE(0, list.saveConfig(MyString(root.c_str()), byName(list, "Gamma")));
        }
        EXPECT_EQ((std::set<std::string>{"Beta", "Gamma"}), nameSet(profiles));
        ProfileArray list(app);
        Profile* pAct = nullptr;
        ASSERT_EQ(0, list.readConfig(MyString(root.c_str()), pAct));
        EXPECT_EQ(-1, aileronsAxis(list, "Alpha", 0x41));
        EXPECT_EQ(HWA_Z, aileronsAxis(list, "Beta", 0x42));
        EXPECT_EQ(HWA_RY, aileronsAxis(list, "Gamma", 0x43));
        ASSERT_EQ(0, removeRegistrySubKey(scratch.key(), "Profiles"));
    }
}

void enrich(ProfileDev2Axis& a, int seed) {
    GUID g = guidOf(static_cast<unsigned char>(0x50 + seed));
    g.Data1 = 0x1000u * static_cast<unsigned>(seed) + static_cast<unsigned>(a.idILDevice);
    a.attach(g, static_cast<IdHwAxis>(1 + (seed + a.idILDevice) % 8));
    a.iMinCalibVal = -100 * seed - a.idILDevice;
    a.iMaxCalibVal = 60000 + 37 * a.idILDevice;
    a.bInvert = (seed + a.idILDevice) % 2;
    a.dFilterJitter = 0.01 * (seed * 7 + a.idILDevice);
    a.dRvBugCor = (a.idILDevice % 3) * 2.0;
    a.bIs50Axis = (a.idILDevice % 4 == 1);
    for (int j = 0; j < TRANSLATE_POINTS; ++j) a.setTranslate(j, (j * 13 + seed * 5 + a.idILDevice) % 101);
}

TEST_F(ProfileArrayRegistryTest, RichConfigurationRoundTrips) {
    ProfileArray saved(app);
    const char* names[] = {"Combat", "Landing", "Bomber Pedals"};
    for (int s = 0; s < 3; ++s) {
        Profile* p = new Profile(app);
        p->name = names[s];
        for (int i = 0; i < p->dev2Axis.count; ++i) enrich(*p->dev2Axis.items[i], s + 1);
        ASSERT_EQ(0, saved.add(p));
    }
    ASSERT_EQ(0, saved.saveConfig(MyString(root.c_str()), saved.items[1]));

    ProfileArray loaded(app);
    Profile* pAct = nullptr;
    ASSERT_EQ(0, loaded.readConfig(MyString(root.c_str()), pAct));
    ASSERT_EQ(3, loaded.count);
    ASSERT_NE(nullptr, pAct);
    EXPECT_STREQ("Landing", pAct->name.text());
    for (int s = 0; s < 3; ++s) {
        Profile* want = saved.items[s];
        Profile* got = byName(loaded, names[s]);
        ASSERT_NE(nullptr, got) << names[s];
        EXPECT_EQ(0, got->bDeleted);
        ASSERT_EQ(want->dev2Axis.count, got->dev2Axis.count);
        for (int i = 0; i < want->dev2Axis.count; ++i) {
            const ProfileDev2Axis& w = *want->dev2Axis.items[i];
            const ProfileDev2Axis& g = *got->dev2Axis.items[i];
            SCOPED_TRACE(std::string(names[s]) + " control " + std::to_string(w.idILDevice));
            EXPECT_EQ(w.idILDevice, g.idILDevice);
            EXPECT_EQ(w.pILDevice, g.pILDevice);
            EXPECT_EQ(0, memcmp(&w.guidHwDev, &g.guidHwDev, sizeof(GUID)));
            EXPECT_EQ(w.idAxis, g.idAxis);
            EXPECT_EQ(w.iMinCalibVal, g.iMinCalibVal);
            EXPECT_EQ(w.iMaxCalibVal, g.iMaxCalibVal);
            EXPECT_EQ(w.bInvert, g.bInvert);
            EXPECT_DOUBLE_EQ(w.dFilterJitter, g.dFilterJitter);
            EXPECT_DOUBLE_EQ(w.dRvBugCor, g.dRvBugCor);
            EXPECT_EQ(w.bIs50Axis, g.bIs50Axis);
            EXPECT_EQ(0, memcmp(w.aiTranslate, g.aiTranslate, sizeof w.aiTranslate));
            EXPECT_EQ(0, memcmp(w.adTrCurve, g.adTrCurve, sizeof w.adTrCurve));
        }
    }
}

// Whatever the registry stores under one key, the profile list must call the same name.
TEST_F(ProfileArrayRegistryTest, NameComparisonAgreesWithTheRegistry) {
    const struct {
        const char* a;
        const char* b;
    } pairs[] = {{"Abc", "aBC"}, {"[x", "{x"}, {"@", "`"}, {"\xC9t\xE9", "\xE9t\xC9"}, {"\xC4", "\xE4"},
                 {"\xDF", "SS"}, {"a b", "A  B"}, {"\xD8", "\xF8"}};
    for (const auto& p : pairs) {
        makeKey(root + "\\cmp\\" + p.a);
        HKEY k = nullptr;
        bool registrySame =
            RegOpenKeyExA(HKEY_CURRENT_USER, (root + "\\cmp\\" + p.b).c_str(), 0, KEY_READ, &k) == ERROR_SUCCESS;
        if (k) RegCloseKey(k);
        EXPECT_EQ(registrySame ? 1 : 0, sameKeyName(p.a, p.b)) << p.a << " / " << p.b;
        removeRegistrySubKey(scratch.key(), "cmp");
    }
}

}  // namespace
