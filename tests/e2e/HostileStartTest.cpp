// The real program started on the worst of the damaged settings: it feeds the
// stick within -1.00 .. 1.00, quits with exit code 0 and writes no phantom device.

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "support/E2eRig.h"
#include "support/RegistryDump.h"

namespace {

TEST(HostileStartTest, WorstSettingsStillFeedTheStickAndQuitCleanly) {
    const char* const ail = "Profiles\\Flying\\Dev2Axis\\1";
    int wild[20];
    for (int j = 0; j < 20; ++j) wild[j] = j % 2 ? 250 : -5;
    const GUID zero = {};
    const struct {
        const char* name;
        void (*damage)(const char* ail, const int* wild, const GUID& zero);
    } rows[] = {
        {"transfer settings at their extremes",
         [](const char* a, const int* w, const GUID&) {
             seedBinary(a, "aiTranslate", w, 80);
             seedString(a, "dFilterJitter", "nan");
             seedString(a, "dRvBugCor", "1e300");
         }},
        {"calibration inverted, axes out of range",
         [](const char* a, const int*, const GUID&) {
             seedDword(a, "iMinCalibVal", static_cast<DWORD>(INT_MAX));
             seedString(a, "dFilterJitter", "1e999");
             seedDword("Profiles\\Flying\\Dev2Axis\\11", "idAxis", static_cast<DWORD>(-1));
             seedDword("Profiles\\Flying\\Dev2Axis\\2", "idAxis", 9);
         }},
        {"phantom devices, active profile naming nothing",
         [](const char*, const int*, const GUID& z) {
             seedString("HwDev\\Phantom", "sInstName", "No guid");
             seedBinary("HwDev\\Short", "guid", &z, 15);
             seedBinary("HwDev\\Zero", "guid", &z, 16);
             seedString("Profiles", "sActProfile", "Nobody");
         }},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        clearQuorixSettings();
        E2eRig rig;
        ASSERT_TRUE(rig.prepare());
        seedLink(rig.sim.port());
        seedAssignment("Flying", 1, 1, 1);  // stick X -> Ailerons
        r.damage(ail, wild, zero);
        rig.sim.setInCockpit(1);
        rig.vjoy.setAxis(1, 1, 32768);
        ASSERT_TRUE(rig.startQuorix());
        ASSERT_TRUE(rig.sim.waitForRecords(2, 20000)) << "the link came up";
        ASSERT_EQ(VJOY_OK, rig.vjoy.setAxis(1, 1, 0));
        EXPECT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\-1.00", 5000));
        DWORD code = 1234;
        ASSERT_TRUE(rig.quorix.quit(code));
        EXPECT_EQ(0u, code);
        for (const std::string& c : rig.commands()) {
            double v = atof(c.substr(c.rfind('\\') + 1).c_str());
            EXPECT_TRUE(v >= -1.0 && v <= 1.0) << c;
        }
        EXPECT_EQ(0u, dumpRegistryTree(kQuorixRegRoot).count("HwDev\\" + guidKeyName(zero) + "|"));
    }
    clearQuorixSettings();
}

}  // namespace
