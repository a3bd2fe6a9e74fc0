#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "app/Quorix.h"
#include "hw/HwDevice.h"
#include "support/FakeDirectInput.h"
#include "support/ScratchKey.h"

namespace {

typedef std::vector<unsigned char> Bytes;

Bytes bytesOf(const void* p, size_t n) {
    const unsigned char* b = static_cast<const unsigned char*>(p);
    return Bytes(b, b + n);
}

class HwDeviceRegistry : public ::testing::Test {
protected:
    HwDeviceRegistry() : scratch("QuorixTest-HwDev"), hwDev(scratch.path().text()) { hwDev += "\\HwDev"; }

    // Writes one value below HwDev\<sub>, past the code under test.
    void put(const char* sub, const char* name, DWORD type, const void* data, DWORD size) {
        std::string path = hwDev + "\\" + sub;
        HKEY k = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, &k, nullptr));
        if (name) {
            EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(k, name, 0, type, static_cast<const BYTE*>(data), size));
        }
        RegCloseKey(k);
    }
    void putText(const char* sub, const char* name, const char* t) {
        put(sub, name, REG_SZ, t, static_cast<DWORD>(strlen(t) + 1));
    }
    // Type and bytes of a stored value; false when it is missing.
    bool query(const std::string& sub, const char* name, DWORD& type, Bytes& bytes) {
        HKEY k = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, (hwDev + "\\" + sub).c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
            return false;
        DWORD size = 0;
        LONG r = RegQueryValueExA(k, name, nullptr, &type, nullptr, &size);
        bytes.assign(size, 0);
        if (r == ERROR_SUCCESS && size) r = RegQueryValueExA(k, name, nullptr, &type, bytes.data(), &size);
        RegCloseKey(k);
        return r == ERROR_SUCCESS;
    }
    std::set<std::string> subkeys() {
        std::set<std::string> out;
        HKEY k = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, hwDev.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return out;
        char name[256];
        for (DWORD i = 0;; ++i) {
            DWORD len = sizeof name;
            if (RegEnumKeyExA(k, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            out.insert(name);
        }
        RegCloseKey(k);
        return out;
    }
    HwDevice* addDevice(HwDeviceArray& list, const GUID& guid, const char* inst, const char* usr) {
        HwDevice* dev = new HwDevice(app);
        dev->guid = guid;
        dev->setInstName(inst);
        dev->setUsrName(usr);
        EXPECT_EQ(0, list.add(dev));
        return dev;
    }

    ScratchKey scratch;
    std::string hwDev;
    Quorix app;
};

TEST_F(HwDeviceRegistry, EveryDeviceIsSavedUnderItsGuidTextConnectedOrNot) {
    ASSERT_TRUE(scratch.ok());
    putText("Keep", "sInstName", "an older entry");
    HwDeviceArray list(app);
    GUID g1 = fakeGuid(1), g2 = fakeGuid(0xF0);
    addDevice(list, g1, "Stick", "My Stick")->setConnected(1);
    addDevice(list, g2, "Pedals", "Pedals");  // unplugged since start-up
    ASSERT_EQ(0, list.saveConfig(scratch.path()));

    // Data1, Data2 and Data3 most significant digit first, Data4 in byte order.
    const std::string k1 = "{04030201-0605-0807-090A-0B0C0D0E0F10}";
    const std::string k2 = "{F3F2F1F0-F5F4-F7F6-F8F9-FAFBFCFDFEFF}";
    EXPECT_EQ((std::set<std::string>{k1, k2, "Keep"}), subkeys());
    EXPECT_EQ(38u, k1.size());
    const struct { std::string sub; const char* name; DWORD type; Bytes bytes; } expected[] = {
        {k1, "guid", REG_BINARY, bytesOf(&g1, 16)},
        {k1, "sInstName", REG_SZ, bytesOf("Stick", 6)},
        {k1, "sUsrName", REG_SZ, bytesOf("My Stick", 9)},
        {k2, "guid", REG_BINARY, bytesOf(&g2, 16)},
        {k2, "sInstName", REG_SZ, bytesOf("Pedals", 7)},
        {k2, "sUsrName", REG_SZ, bytesOf("Pedals", 7)},
    };
    for (const auto& e : expected) {
        DWORD type = 0;
        Bytes bytes;
        ASSERT_TRUE(query(e.sub, e.name, type, bytes)) << e.sub << " " << e.name;
        EXPECT_EQ(e.type, type) << e.name;
        EXPECT_EQ(e.bytes, bytes) << e.name;
    }
}

TEST_F(HwDeviceRegistry, LoadsEverySubkeyWhateverItsNameAndDefaultsTheUserName) {
    ASSERT_TRUE(scratch.ok());
    GUID g1 = fakeGuid(1), g2 = fakeGuid(2);
    put("x", "guid", REG_BINARY, &g1, 16);
    putText("x", "sInstName", "Throttle");
    put("y", "guid", REG_BINARY, &g2, 16);
    putText("y", "sInstName", "Stick");
    putText("y", "sUsrName", "Left hand");
    HwDeviceArray list(app);
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
        EXPECT_EQ(nullptr, list.items[idx]->pDiDevice);
    }
}

TEST_F(HwDeviceRegistry, AGuidOfAnotherSizeOrKindKeepsTheCurrentOne) {
    ASSERT_TRUE(scratch.ok());
    GUID stored = fakeGuid(0x40), current = fakeGuid(9);
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
}

TEST_F(HwDeviceRegistry, MissingKeysAndValuesAreNotErrors) {
    ASSERT_TRUE(scratch.ok());
    HwDeviceArray list(app);
    EXPECT_EQ(0, list.readConfig(scratch.path()));  // first start: no HwDev key
    EXPECT_EQ(0, list.count);

    HwDevice dev(app);
    dev.setInstName("Old");
    dev.setUsrName("Mine");
    EXPECT_EQ(0, dev.readConfig(MyString(hwDev.c_str()), MyString("absent")));
    EXPECT_STREQ("Old", dev.instName.text());
    EXPECT_STREQ("Mine", dev.usrName.text());
    put("empty", nullptr, 0, nullptr, 0);
    EXPECT_EQ(0, dev.readConfig(MyString(hwDev.c_str()), MyString("empty")));
    EXPECT_STREQ("Old", dev.instName.text());
    EXPECT_STREQ("Old", dev.usrName.text());  // no sUsrName: the instance name
}

}  // namespace
