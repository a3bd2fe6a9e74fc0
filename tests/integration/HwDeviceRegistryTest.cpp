#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/Quorix.h"
#include "hw/HwDevice.h"
#include "support/Pads.h"
#include "support/ScratchKey.h"
#include "support/Seeding.h"

namespace {

class HwDeviceRegistry : public ::testing::Test {
protected:
    HwDeviceRegistry() : scratch("QuorixTest-HwDev"), hwDev(scratch.path().text()) { hwDev += "\\HwDev"; }
    void SetUp() override { ASSERT_TRUE(scratch.ok()); }

    // Writes below HwDev\<sub> past the code under test (no value when name is null).
    void put(const char* sub, const char* name, DWORD type, const void* data, size_t size) {
        regWrite(hwDev + "\\" + sub, name, type, std::string(static_cast<const char*>(data), size));
    }
    void putText(const char* sub, const char* name, const char* t) { put(sub, name, REG_SZ, t, strlen(t) + 1); }

    ScratchKey scratch;
    std::string hwDev;
    Quorix app;
};

TEST_F(HwDeviceRegistry, EveryDeviceIsSavedUnderItsGuidTextConnectedOrNot) {
    putText("Keep", "sInstName", "an older entry");
    HwDeviceArray list(app);
    const GUID g1 = fakeGuid(1), g2 = fakeGuid(0xF0);
    const char* names[2][2] = {{"Stick", "My Stick"}, {"Pedals", "Pedals"}};
    for (int i = 0; i < 2; ++i) {
        HwDevice* dev = new HwDevice(app);
        dev->guid = i ? g2 : g1;
        dev->setInstName(names[i][0]);
        dev->setUsrName(names[i][1]);
        dev->setConnected(i == 0);  // the pedals were unplugged
        ASSERT_EQ(0, list.add(dev));
    }
    ASSERT_EQ(0, list.saveConfig(scratch.path()));

    // 38 characters; Data1, Data2, Data3 most significant digit first, Data4 in byte order.
    const std::string k1 = "{04030201-0605-0807-090A-0B0C0D0E0F10}";
    const std::string k2 = "{F3F2F1F0-F5F4-F7F6-F8F9-FAFBFCFDFEFF}";
    const struct { std::string sub; const char* name; RegValue value; } expected[] = {
        {k1, "guid", binaryValue(&g1, 16)},  {k1, "sInstName", textValue("Stick")},
        {k1, "sUsrName", textValue("My Stick")}, {k2, "guid", binaryValue(&g2, 16)},
        {k2, "sInstName", textValue("Pedals")}, {k2, "sUsrName", textValue("Pedals")},
        {"Keep", "sInstName", textValue("an older entry")},  // nothing is pruned
    };
    for (const auto& e : expected) EXPECT_EQ(e.value, regRead(hwDev + "\\" + e.sub, e.name)) << e.sub << " " << e.name;
}

TEST_F(HwDeviceRegistry, LoadsEverySubkeyWhateverItsNameAndDefaultsTheUserName) {
    HwDeviceArray list(app);
    EXPECT_EQ(0, list.readConfig(scratch.path()));  // first start: no HwDev key
    EXPECT_EQ(0, list.count);

    const GUID g1 = fakeGuid(1), g2 = fakeGuid(2);
    put("x", "guid", REG_BINARY, &g1, 16);
    putText("x", "sInstName", "Throttle");
    put("y", "guid", REG_BINARY, &g2, 16);
    putText("y", "sInstName", "Stick");
    putText("y", "sUsrName", "Left hand");
    ASSERT_EQ(0, list.readConfig(scratch.path()));
    ASSERT_EQ(2, list.count);
    const struct { GUID guid; const char* inst; const char* usr; } cases[] = {
        {g1, "Throttle", "Throttle"}, {g2, "Stick", "Left hand"}};
    for (const auto& c : cases) {
        int idx = -1;
        ASSERT_EQ(0, list.findByGuid(idx, &c.guid));
        ASSERT_GE(idx, 0) << c.inst;
        EXPECT_STREQ(c.inst, list.items[idx]->instName.text());
        EXPECT_STREQ(c.usr, list.items[idx]->usrName.text());
        EXPECT_EQ(0, list.items[idx]->bConnected);
    }
}

TEST_F(HwDeviceRegistry, MissingOrMisfitValuesKeepTheCurrentOnes) {
    const GUID stored = fakeGuid(0x40), current = fakeGuid(9);
    unsigned char longer[20] = {};
    memcpy(longer, &stored, 16);
    const struct { const char* sub; DWORD type; DWORD size; bool taken; } cases[] = {
        {"exact", REG_BINARY, 16, true},
        {"short", REG_BINARY, 8, false},  // would mix stored and current bytes
        {"long", REG_BINARY, 20, false},
        {"text", REG_SZ, 16, false},
    };
    for (const auto& c : cases) {
        put(c.sub, "guid", c.type, longer, c.size);
        HwDevice dev(app);
        dev.guid = current;
        EXPECT_EQ(0, dev.readConfig(MyString(hwDev.c_str()), MyString(c.sub)));
        EXPECT_TRUE(IsEqualGUID(c.taken ? stored : current, dev.guid)) << c.sub;
    }

    HwDevice dev(app);
    dev.setInstName("Old");
    dev.setUsrName("Mine");
    EXPECT_EQ(0, dev.readConfig(MyString(hwDev.c_str()), MyString("absent")));
    EXPECT_STREQ("Mine", dev.usrName.text());  // no key: nothing changes
    EXPECT_EQ(0, dev.readConfig(MyString(hwDev.c_str()), MyString("exact")));
    EXPECT_STREQ("Old", dev.instName.text());
    EXPECT_STREQ("Old", dev.usrName.text());  // no sUsrName: the instance name
}

}  // namespace
