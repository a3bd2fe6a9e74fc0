// Damaged settings, one stored value at a time, on the real application object:
// nothing crashes, no command leaves -1.00 .. 1.00, nothing undamaged is lost, and
// what a save writes comes back and is written again byte for byte.

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/MyMiscFuncs.h"
#include "support/AppHarness.h"
#include "support/RegistryDump.h"

namespace {

const DWORD kDeleteValue = 0xFFFF;  // row type: remove the value (a null value name removes the key)
std::string dw(int v) { return std::string(reinterpret_cast<const char*>(&v), 4); }
std::string sz(const std::string& s) { return s + '\0'; }
std::string bytes(const void* p, size_t n) { return std::string(static_cast<const char*>(p), n); }
std::string points(int first, int last) {
    int a[20];
    for (int j = 0; j < 20; ++j) a[j] = 5 * j;
    a[0] = first;
    a[19] = last;
    return bytes(a, sizeof a);
}
const std::string kRoot = kTestRegRoot;
const GUID kStick = fakeGuid(10);
const std::string kDev = "HwDev\\" + guidKeyName(kStick);
const char kAil[] = "Profiles\\Flying\\Dev2Axis\\1";

void put(const std::string& key, const char* name, DWORD type, const std::string& b) {
    putRegistryValue(kRoot + (key.empty() ? "" : "\\" + key), name, type, b);
}

void seedGood() {
    put("", "uiTimerInterval", REG_DWORD, dw(20));
    put("IL2Com", "iIL2Port", REG_DWORD, dw(3333));
    put("IL2Com", "sIL2Addr", REG_SZ, sz("127.0.0.1"));
    put(kDev, "guid", REG_BINARY, bytes(&kStick, 16));
    put(kDev, "sInstName", REG_SZ, sz("Stick"));
    put(kDev, "sUsrName", REG_SZ, sz("My Stick"));
    put("Profiles", "sActProfile", REG_SZ, sz("Flying"));
    const struct { const char* key; int axis; const char* control; } a[] = {
        {kAil, 1, "Ailerons"}, {"Profiles\\Flying\\Dev2Axis\\11", 3, "Rudder"}, {"Profiles\\Spare\\Dev2Axis\\2", 2, "Brakes"}};
    for (const auto& s : a) {
        put(s.key, "guidHwDev", REG_BINARY, bytes(&kStick, 16));
        put(s.key, "idAxis", REG_DWORD, dw(s.axis));
        put(s.key, "ILDeviceName", REG_SZ, sz(s.control));
    }
    put(kAil, "dFilterJitter", REG_SZ, sz("0.50"));
    put(kAil, "dRvBugCor", REG_SZ, sz("3"));
    put(kAil, "aiTranslate", REG_BINARY, points(0, 95));
    put(kAil, "iMinCalibVal", REG_DWORD, dw(100));
    put(kAil, "iMaxCalibVal", REG_DWORD, dw(65000));
    put(kAil, "bIs50Axis", REG_DWORD, dw(1));
}

// Every assignment of every profile driven over the raw range: each result is a
// percentage 0..100 and each command's value text lies in -1.00 .. 1.00.
void expectCommandsInRange(Quorix& app) {
    const int raws[] = {INT_MIN, -70000, -5, 0, 1, 99, 100, 327, 16384, 32768, 49151,
                        64999, 65000, 65535, 65536, 1 << 20, INT_MAX, 40000, 10, INT_MIN};
    for (int p = 0; p < app.profiles.count; ++p)
        for (int i = 0; i < app.profiles.items[p]->dev2Axis.count; ++i) {
            ProfileDev2Axis* a = app.profiles.items[p]->dev2Axis.items[i];
            for (int raw : raws) {
                int changed = 0;
                double v = -2;
                a->apply(changed, v, raw);
                ASSERT_TRUE(v >= 0.0 && v <= 100.0) << "control " << a->idILDevice << " raw " << raw << ": " << v;
                MyString cmd;
                ASSERT_EQ(0, a->pILDevice->makeCommand(cmd, roundMy(v)));
                double w = atof(strrchr(cmd.text(), '\\') + 1);
                EXPECT_TRUE(w >= -1.0 && w <= 1.0) << cmd.text();
            }
        }
}

std::string firstDifference(const RegistryDump& a, const RegistryDump& b) {
    for (const auto& e : a) {
        auto f = b.find(e.first);
        if (f == b.end() || f->second != e.second) return e.first;
    }
    for (const auto& e : b)
        if (!a.count(e.first)) return e.first;
    return "";
}

class HostileSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { deleteTestSettings(); }
    void TearDown() override { deleteTestSettings(); }
    // Reads the stored settings into a fresh application object, checks its commands,
    // quits (which saves) and returns what is stored then.
    RegistryDump startAndQuit(int& devices) {
        AppHarness h;
        EXPECT_EQ(0, h.init());
        devices = h.app.hwDevices.count;
        expectCommandsInRange(h.app);
        h.quit();
        return dumpRegistryTree(kRoot);
    }
};

TEST_F(HostileSettingsTest, DamagedValuesLoseNothingElseAndSaveStably) {
    seedGood();
    const RegistryDump good = dumpRegistryTree(kRoot);
    const std::string big(5000, '9');
    const struct {
        const char* name;
        std::string key;
        const char* value;
        DWORD type;
        std::string data;
        const char* touches;  // what else may change; null: the damaged value only
        int devices;
    } rows[] = {
        {"interval as text", "", "uiTimerInterval", REG_SZ, sz("20"), nullptr, 1},
        {"interval of 2 bytes", "", "uiTimerInterval", REG_DWORD, std::string("\x14\x00", 2), nullptr, 1},
        {"interval -1", "", "uiTimerInterval", REG_DWORD, dw(-1), nullptr, 1},
        {"port as binary", "IL2Com", "iIL2Port", REG_BINARY, dw(4444), nullptr, 1},
        {"port INT_MIN", "IL2Com", "iIL2Port", REG_DWORD, dw(INT_MIN), nullptr, 1},
        {"address empty", "IL2Com", "sIL2Addr", REG_SZ, "", nullptr, 1},
        {"address overlong", "IL2Com", "sIL2Addr", REG_SZ, sz(big), nullptr, 1},
        {"address as dword", "IL2Com", "sIL2Addr", REG_DWORD, dw(7), nullptr, 1},
        {"device guid of 15 bytes", kDev, "guid", REG_BINARY, bytes(&kStick, 15), nullptr, 0},
        {"device guid of 17 bytes", kDev, "guid", REG_BINARY, bytes(&kStick, 16) + "x", nullptr, 0},
        {"device without guid", kDev, "guid", kDeleteValue, "", nullptr, 0},
        {"device guid as text", kDev, "guid", REG_SZ, sz("{guid}"), nullptr, 0},
        {"device guid all zero", kDev, "guid", REG_BINARY, std::string(16, '\0'), nullptr, 0},
        {"instance name overlong", kDev, "sInstName", REG_SZ, sz(big), nullptr, 1},
        {"user name as dword", kDev, "sUsrName", REG_DWORD, dw(1), nullptr, 1},
        {"active profile naming nothing", "Profiles", "sActProfile", REG_SZ, sz("Nobody"), nullptr, 1},
        {"active profile as dword", "Profiles", "sActProfile", REG_DWORD, dw(1), nullptr, 1},
        {"profile without Dev2Axis", "Profiles\\Spare\\Dev2Axis", nullptr, 0, "", "Profiles\\Spare", 1},
        {"controller guid of 15 bytes", kAil, "guidHwDev", REG_BINARY, bytes(&kStick, 15), nullptr, 1},
        {"controller guid of 17 bytes", kAil, "guidHwDev", REG_BINARY, bytes(&kStick, 16) + "x", nullptr, 1},
        {"axis 9", kAil, "idAxis", REG_DWORD, dw(9), nullptr, 1},
        {"axis -1", kAil, "idAxis", REG_DWORD, dw(-1), nullptr, 1},
        {"axis as text", kAil, "idAxis", REG_SZ, sz("1"), nullptr, 1},
        {"calibration min INT_MIN", kAil, "iMinCalibVal", REG_DWORD, dw(INT_MIN), nullptr, 1},
        {"calibration max INT_MAX", kAil, "iMaxCalibVal", REG_DWORD, dw(INT_MAX), nullptr, 1},
        {"calibration min = max", kAil, "iMinCalibVal", REG_DWORD, dw(65000), "Profiles\\Flying\\Dev2Axis\\1|iM", 1},
        {"calibration min > max", kAil, "iMinCalibVal", REG_DWORD, dw(INT_MAX), "Profiles\\Flying\\Dev2Axis\\1|iM", 1},
        {"calibration max as binary", kAil, "iMaxCalibVal", REG_BINARY, dw(1), nullptr, 1},
        {"jitter NaN", kAil, "dFilterJitter", REG_SZ, sz("nan"), nullptr, 1},
        {"jitter infinite", kAil, "dFilterJitter", REG_SZ, sz("1e999"), nullptr, 1},
        {"jitter overlong number", kAil, "dFilterJitter", REG_SZ, sz(big), nullptr, 1},
        {"jitter negative", kAil, "dFilterJitter", REG_SZ, sz("-5"), nullptr, 1},
        {"jitter empty", kAil, "dFilterJitter", REG_SZ, "", nullptr, 1},
        {"G940 correction huge", kAil, "dRvBugCor", REG_SZ, sz("1e300"), nullptr, 1},
        {"G940 correction -huge", kAil, "dRvBugCor", REG_SZ, sz("-1e300"), nullptr, 1},
        {"G940 correction as dword", kAil, "dRvBugCor", REG_DWORD, dw(3), nullptr, 1},
        {"curve points -5 and 250", kAil, "aiTranslate", REG_BINARY, points(-5, 250), nullptr, 1},
        {"curve INT_MIN and INT_MAX", kAil, "aiTranslate", REG_BINARY, points(INT_MIN, INT_MAX), nullptr, 1},
        {"curve of 79 bytes", kAil, "aiTranslate", REG_BINARY, points(0, 95).substr(0, 79), nullptr, 1},
        {"curve of 81 bytes", kAil, "aiTranslate", REG_BINARY, points(0, 95) + "x", nullptr, 1},
        {"curve empty", kAil, "aiTranslate", REG_BINARY, "", nullptr, 1},
        {"centred flag 7", kAil, "bIs50Axis", REG_DWORD, dw(7), nullptr, 1},
        {"inversion -1", kAil, "bInvert", REG_DWORD, dw(-1), nullptr, 1},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        deleteTestSettings();
        seedGood();
        std::string path = kRoot + "\\" + r.key;
        if (!r.value)
            RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
        else if (r.type == kDeleteValue)
            RegDeleteKeyValueA(HKEY_CURRENT_USER, path.c_str(), r.value);
        else
            put(r.key, r.value, r.type, r.data);

        int devices = -1, again = -1;
        RegistryDump first = startAndQuit(devices);
        EXPECT_EQ(r.devices, devices);
        RegistryDump second = startAndQuit(again);
        EXPECT_EQ(r.devices, again);
        EXPECT_EQ("", firstDifference(first, second)) << "a second save changed it";
        EXPECT_EQ(0u, first.count("HwDev\\{00000000-0000-0000-0000-000000000000}|"));
        std::string touched = r.touches ? r.touches : r.key + "|" + (r.value ? r.value : "");
        for (const auto& e : good)
            if (e.first.compare(0, touched.size(), touched) != 0) {
                auto f = first.find(e.first);
                EXPECT_TRUE(f != first.end() && f->second == e.second) << "lost: " << e.first;
            }
    }
}

}  // namespace
