#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/Quorix.h"
#include "hw/HwDevice.h"
#include "support/Pads.h"
#include "support/ScratchKey.h"

namespace {

typedef std::vector<unsigned char> Bytes;

Bytes bytesOf(const void* p, size_t n) { return Bytes(static_cast<const char*>(p), static_cast<const char*>(p) + n); }

class HwDeviceRegistry : public ::testing::Test {
protected:
    HwDeviceRegistry() : scratch("QuorixTest-HwDev"), hwDev(scratch.path().text()) { hwDev += "\\HwDev"; }

    // Writes below HwDev\<sub> past the code under test (no value when name is null).
    void put(const char* sub, const char* name, DWORD type, const void* data, DWORD size) {
        HKEY k = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, (hwDev + "\\" + sub).c_str(), 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &k, nullptr));
        if (name) {
            EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(k, name, 0, type, static_cast<const BYTE*>(data), size));
        }
        RegCloseKey(k);
    }
    void putText(const char* sub, const char* name, const char* t) { put(sub, name, REG_SZ, t, strlen(t) + 1); }
    // Type and bytes of a stored value; type 0 when the value or its key is missing.
    Bytes query(const std::string& sub, const char* name, DWORD& type) {
        type = 0;
        Bytes bytes(64);
        DWORD size = 64;
        if (RegGetValueA(HKEY_CURRENT_USER, (hwDev + "\\" + sub).c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type,
                         bytes.data(), &size) != ERROR_SUCCESS)
            type = 0;
        bytes.resize(type ? size : 0);
        return bytes;
    }

    ScratchKey scratch;
    std::string hwDev;
    Quorix app;
};

TEST_F(HwDeviceRegistry, EveryDeviceIsSavedUnderItsGuidTextConnectedOrNot) {
    ASSERT_TRUE(scratch.ok());
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
    const struct { std::string sub; const char* name; DWORD type; Bytes bytes; } expected[] = {
        {k1, "guid", REG_BINARY, bytesOf(&g1, 16)},
        {k1, "sInstName", REG_SZ, bytesOf("Stick", 6)},
        {k1, "sUsrName", REG_SZ, bytesOf("My Stick", 9)},
        {k2, "guid", REG_BINARY, bytesOf(&g2, 16)},
        {k2, "sInstName", REG_SZ, bytesOf("Pedals", 7)},
        {k2, "sUsrName", REG_SZ, bytesOf("Pedals", 7)},
        {"Keep", "sInstName", REG_SZ, bytesOf("an older entry", 15)},  // nothing is pruned
    };
    for (const auto& e : expected) {
        DWORD type = 0;
        EXPECT_EQ(e.bytes, query(e.sub, e.name, type)) << e.sub << " " << e.name;
        EXPECT_EQ(e.type, type) << e.sub << " " << e.name;
    }
}

TEST_F(HwDeviceRegistry, LoadsEverySubkeyWhateverItsNameAndDefaultsTheUserName) {
    ASSERT_TRUE(scratch.ok());
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
    ASSERT_TRUE(scratch.ok());
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
