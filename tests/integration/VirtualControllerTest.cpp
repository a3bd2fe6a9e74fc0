// Smoke test of padsimctl: another process drives the shared block that the
// virtual dinput8.dll reads (the e2e tests run the DLL under the real exe).

#include <gtest/gtest.h>

#include <string>

#include "padsim/VirtualControllers.h"
#include "support/ChildProcess.h"
#include "support/TestPaths.h"

TEST(Padsimctl, DrivesTheSharedBlockFromAnotherProcess) {
    VirtualControllers vc;
    ASSERT_EQ(PADSIM_OK, vc.open(1));
    ASSERT_EQ(PADSIM_OK, vc.reset());
    auto run = [](const std::string& args) -> DWORD {
        ChildProcess p;
        DWORD code = 999;
        return p.start("\"" + exePath("padsimctl.exe") + "\" " + args) && p.waitExit(20000, code) ? code : 998;
    };
    ASSERT_EQ(0u, run("plug 3") + run("set 3 Rz 1234"));
    for (const char* bad : {"set 5 X 1", "set 3 Q 1", "set 3 Rz 65536", "sweep 3 X 0", "fly"})
        EXPECT_EQ(1u, run(bad)) << bad;
    int bPlugged = 0;
    long iRz = 0, iX = 0;
    ASSERT_EQ(PADSIM_OK, vc.isPlugged(bPlugged, 3) + vc.getAxis(iRz, 3, 6) + vc.getAxis(iX, 3, 1));
    EXPECT_EQ(1, bPlugged);
    EXPECT_EQ(1234, iRz);
    EXPECT_EQ(PADSIM_AXIS_CENTRE, iX);
}
