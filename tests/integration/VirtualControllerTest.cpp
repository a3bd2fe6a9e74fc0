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
        if (!p.start("\"" + exePath("padsimctl.exe") + "\" " + args) || !p.waitExit(20000, code)) return 998;
        return code;
    };
    ASSERT_EQ(0u, run("plug 3"));
    ASSERT_EQ(0u, run("set 3 Rz 1234"));
    for (const char* bad : {"set 5 X 1", "set 3 Q 1", "set 3 Rz 65536", "sweep 3 X 0", "fly"})
        EXPECT_EQ(1u, run(bad)) << bad;
    int bPlugged = 0;
    long iRz = 0, iX = 0;
    EXPECT_EQ(PADSIM_OK, vc.isPlugged(bPlugged, 3));
    EXPECT_EQ(1, bPlugged);
    EXPECT_EQ(PADSIM_OK, vc.getAxis(iRz, 3, 6));
    EXPECT_EQ(1234, iRz);
    EXPECT_EQ(PADSIM_OK, vc.getAxis(iX, 3, 1));
    EXPECT_EQ(PADSIM_AXIS_CENTRE, iX);
}
