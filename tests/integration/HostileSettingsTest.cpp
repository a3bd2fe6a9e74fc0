// Settings stored damaged, on the real application object: nothing else is lost,
// nothing crashes, no command leaves -1.00 .. 1.00.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "base/MyMiscFuncs.h"
#include "support/IntegrationHelpers.h"
#include "support/Seeding.h"

namespace {

const std::string kRoot = kTestRegRoot, kDev = "HwDev\\{0D0C0B0A-0F0E-1110-1213-141516171819}";  // fakeGuid(10)
const std::string kGuid = [] { GUID g = fakeGuid(10); return binaryValue(&g, sizeof g).second; }();
const DWORD kDelete = 0xFFFF;  // row type: remove the value (no value name: the key)

struct Put { std::string key; const char* value; DWORD type; std::string data; };
void put(const Put& p) {
    const std::string path = kRoot + (p.key.empty() ? "" : "\\" + p.key);
    if (!p.value) RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
    else if (p.type == kDelete) RegDeleteKeyValueA(HKEY_CURRENT_USER, path.c_str(), p.value);
    else regWrite(path, p.value, p.type, p.data);
}
std::string dw(int v) { return dwordValue(static_cast<DWORD>(v)).second; }
std::string sz(const std::string& s) { return s + '\0'; }
std::string points(int first, int last) {  // a curve of 20 points, its ends replaced
    int a[20];
    for (int j = 0; j < 20; ++j) a[j] = 5 * j;
    a[0] = first, a[19] = last;
    return binaryValue(a, sizeof a).second;
}

// Each row damages one stored value. Every command of every assignment stays within
// -1.00 .. 1.00, nothing undamaged is lost, a second save writes the same bytes, and a
// HwDev key without a usable guid loads as no controller and is never written as one.
class HostileSettingsTest : public AppTest {};

TEST_F(HostileSettingsTest, DamagedSettingsLoseNothingElseAndSaveStably) {
    const std::string I = "IL2Com", D = kDev, A = "Profiles\\Flying\\Dev2Axis\\1", P = "Profiles", big(5000, '9'),
                      pts = points(0, 95);
    const DWORD N = REG_DWORD, T = REG_SZ, B = REG_BINARY;
    std::vector<Put> good = {
        {"", "uiTimerInterval", N, dw(20)}, {I, "iIL2Port", N, dw(3333)}, {I, "sIL2Addr", T, sz("127.0.0.1")},
        {D, "guid", B, kGuid}, {D, "sInstName", T, sz("Stick")}, {D, "sUsrName", T, sz("My Stick")},
        {P, "sActProfile", T, sz("Flying")}, {A, "dFilterJitter", T, sz("0.50")}, {A, "dRvBugCor", T, sz("3")},
        {A, "aiTranslate", B, pts}, {A, "iMinCalibVal", N, dw(100)}, {A, "iMaxCalibVal", N, dw(65000)},
        {A, "bIs50Axis", N, dw(1)}, {A, "bInvert", N, dw(1)}, {A, "ILDeviceName", T, sz("Ailerons")}};
    // Ailerons on X, rudder on Z, and in another profile brakes on Y.
    const std::pair<std::string, int> assigned[] = {
        {A, 1}, {P + "\\Flying\\Dev2Axis\\11", 3}, {P + "\\Spare\\Dev2Axis\\2", 2}};
    for (const auto& k : assigned)
        good.insert(good.end(), {{k.first, "guidHwDev", B, kGuid}, {k.first, "idAxis", N, dw(k.second)}});
    const Put rows[] = {
        {"", "uiTimerInterval", T, sz("20")}, {"", "uiTimerInterval", N, std::string("\x14\x00", 2)},
        {"", "uiTimerInterval", N, dw(-1)}, {I, "iIL2Port", B, dw(4444)}, {I, "iIL2Port", N, dw(INT_MIN)},
        {I, "sIL2Addr", T, ""}, {I, "sIL2Addr", T, sz(big)}, {I, "sIL2Addr", N, dw(7)},
        {D, "guid", B, kGuid.substr(0, 15)}, {D, "guid", B, kGuid + "x"}, {D, "guid", kDelete, ""},
        {D, "guid", T, sz("{guid}")}, {D, "guid", B, std::string(16, '\0')}, {D, "sInstName", T, sz(big)},
        {D, "sUsrName", N, dw(1)}, {P, "sActProfile", T, sz("Nobody")}, {P, "sActProfile", N, dw(1)},
        {"Profiles\\Spare\\Dev2Axis", nullptr, kDelete, ""}, {A, "guidHwDev", B, kGuid.substr(0, 15)},
        {A, "guidHwDev", B, kGuid + "x"}, {A, "idAxis", N, dw(9)}, {A, "idAxis", N, dw(-1)}, {A, "idAxis", T, sz("1")},
        {A, "iMinCalibVal", N, dw(INT_MIN)}, {A, "iMaxCalibVal", N, dw(INT_MAX)}, {A, "iMinCalibVal", N, dw(65000)},
        {A, "iMinCalibVal", N, dw(INT_MAX)}, {A, "iMaxCalibVal", B, dw(1)}, {A, "dFilterJitter", T, sz("nan")},
        {A, "dFilterJitter", T, sz("1e999")}, {A, "dFilterJitter", T, sz(big)}, {A, "dFilterJitter", T, sz("-5")},
        {A, "dFilterJitter", T, ""}, {A, "dRvBugCor", T, sz("1e300")}, {A, "dRvBugCor", T, sz("-1e300")},
        {A, "dRvBugCor", N, dw(3)}, {A, "aiTranslate", B, points(-5, 250)},
        {A, "aiTranslate", B, points(INT_MIN, INT_MAX)}, {A, "aiTranslate", B, pts.substr(0, 79)},
        {A, "aiTranslate", B, pts + "x"}, {A, "aiTranslate", B, ""}, {A, "bIs50Axis", N, dw(7)},
        {A, "bInvert", N, dw(-1)}};
    // Starts on what is stored, drives every assignment over the raw range, quits (which saves).
    const int kRaws[] = {INT_MIN, -70000, -5, 0, 1, 99, 327, 16384, 49151, 65000, 65535, 1 << 20, INT_MAX, 10};
    auto startAndQuit = [&](int devices, RegDump& stored) {
        {
            AppHarness h;
            ASSERT_EQ(0, h.init());
            EXPECT_EQ(devices, h.app.hwDevices.count);
            for (int p = 0; p < h.app.profiles.count; ++p)
                for (int i = 0; i < h.app.profiles.items[p]->dev2Axis.count; ++i) {
                    ProfileDev2Axis* a = h.app.profiles.items[p]->dev2Axis.items[i];
                    // What the dialog shows, and the device side's index of the axis:
                    for (int pt : a->aiTranslate) EXPECT_TRUE(pt >= 0 && pt <= 100) << "point " << pt;
                    EXPECT_TRUE(a->idAxis >= HWA_NONE && a->idAxis <= HWA_SLD2) << "axis " << a->idAxis;
                    EXPECT_LT(a->iMinCalibVal, a->iMaxCalibVal);
                    for (int raw : kRaws) {
                        int changed = 0;
                        double v = -2;
                        MyString cmd;
                        a->apply(changed, v, raw);
                        ASSERT_TRUE(v >= 0.0 && v <= 100.0) << a->idILDevice << " raw " << raw << ": " << v;
                        ASSERT_EQ(0, a->pILDevice->makeCommand(cmd, roundMy(v)));
                        EXPECT_LE(fabs(atof(strrchr(cmd.text(), '\\') + 1)), 1.0) << cmd.text();
                    }
                }
        }  // quit, which saves
        stored = regDump(kRoot);
    };
    for (const Put& g : good) put(g);
    const RegDump seeded = regDump(kRoot);
    for (const Put& r : rows) {
        SCOPED_TRACE(r.key + "|" + (r.value ? r.value : "") + " row " + std::to_string(&r - rows));
        deleteTestSettings();
        for (const Put& g : good) put(g);
        put(r);
        const int devices = r.key == kDev && std::string(r.value) == "guid" ? 0 : 1;
        RegDump first, second;
        startAndQuit(devices, first);
        startAndQuit(devices, second);
        EXPECT_TRUE(first == second) << "a second save changed it";
        EXPECT_EQ(0u, first.count("HwDev\\{00000000-0000-0000-0000-000000000000}|"));
        std::string touched = r.key + "|" + (r.value ? r.value : "");  // what else may change:
        if (!r.value) touched = "Profiles\\Spare";  // the profile of a removed key,
        else if (touched.find("|iM") != std::string::npos) touched = r.key + "|iM";  // min and max put in order
        for (const auto& e : seeded) {
            if (e.first.compare(0, touched.size(), touched) == 0) continue;
            EXPECT_TRUE(first.count(e.first) && first.at(e.first) == e.second) << "lost: " << e.first;
        }
    }
}

}  // namespace
