#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "app/Quorix.h"
#include "profile/Profile.h"
#include "profile/ProfileKeys.h"
#include "support/Pads.h"
#include "support/ScratchKey.h"
#include "support/Seeding.h"

namespace {

typedef std::vector<std::string> Names;

std::set<std::string> nameSet(const std::string& path, bool values = false) {
    Names n = regNames(path, values);
    return std::set<std::string>(n.begin(), n.end());
}
// Creates path, and a text value in it when name is given.
void makeKey(const std::string& path, const char* name = nullptr, const char* text = "x") {
    regWrite(path, name, REG_SZ, textValue(text).second);
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
        GUID g = fakeGuid(fill);
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
        GUID g = fakeGuid(fill);
        return memcmp(&g, &a->guidHwDev, sizeof g) == 0 ? a->idAxis : -2;
    }

    ScratchKey scratch;
    std::string root;
    std::string profiles;
    Quorix app;
};

// A Profiles key with a stored name but no profile (first start without a key: on the real exe).
TEST_F(ProfileArrayRegistryTest, NoStoredProfileGivesOneUnassignedNewProfile) {
    makeKey(profiles, "sActProfile", "Lost");
    ProfileArray list(app);
    Profile* pAct = nullptr;
    ASSERT_EQ(0, list.readConfig(MyString(root.c_str()), pAct));
    ASSERT_EQ(1, list.count);
    EXPECT_EQ(list.items[0], pAct);
    EXPECT_STREQ("New Profile", pAct->name.text());
    for (int i = 0; i < pAct->dev2Axis.count; ++i) EXPECT_EQ(HWA_NONE, pAct->dev2Axis.items[i]->idAxis);
}

TEST_F(ProfileArrayRegistryTest, ActiveProfileByStoredName) {
    for (const char* n : {"Zulu", "alpha", "Mike"}) makeKey(profiles + "\\" + n);
    const Names order = regNames(profiles);  // the registry's own enumeration order
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
    EXPECT_EQ(textValue("Gamma"), regRead(profiles, "sActProfile"));

    const std::string alpha = profiles + "\\Alpha";
    EXPECT_EQ((std::set<std::string>{"Dev2Axis"}), nameSet(alpha));
    EXPECT_TRUE(regNames(alpha, true).empty());
    std::set<std::string> ids;
    for (int i = 1; i <= 14; ++i) ids.insert(std::to_string(i));
    EXPECT_EQ(ids, nameSet(alpha + "\\Dev2Axis"));
    EXPECT_TRUE(regNames(alpha + "\\Dev2Axis", true).empty());
    const std::string ailerons = alpha + "\\Dev2Axis\\1";
    EXPECT_EQ(dwordValue(HWA_Y), regRead(ailerons, "idAxis"));
    const GUID g = fakeGuid(0x21);
    EXPECT_EQ(binaryValue(&g, sizeof g), regRead(ailerons, "guidHwDev"));

    // Without an active profile no name is stored.
    ASSERT_EQ(0, list.saveConfig(MyString(root.c_str()), nullptr));
    EXPECT_TRUE(regNames(profiles, true).empty());
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
