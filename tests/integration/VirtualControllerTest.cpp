// Smoke test of padsimctl: another process drives the shared block that the
// virtual dinput8.dll reads (the e2e tests run the DLL under the real exe).

#include <gtest/gtest.h>

#include <string>
#include <tuple>

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
    ASSERT_EQ(0u, run("plug 3") + run("set 3 Rz 1234") + run("plug 4 500 2") + run("lose 4") + run("newport 4") +
                      run("polled 4 1") + run("failcreate 1"));
    for (const char* bad : {"set 5 X 1", "set 3 Q 1", "set 3 Rz 65536", "sweep 3 X 0", "fly", "polled 4 2"})
        EXPECT_EQ(1u, run(bad)) << bad;
    int bPlugged = 0;
    long iRz = 0, iX = 0;
    ASSERT_EQ(PADSIM_OK, vc.isPlugged(bPlugged, 3) + vc.getAxis(iRz, 3, 6) + vc.getAxis(iX, 3, 1));
    EXPECT_EQ(1, bPlugged);
    EXPECT_EQ(1234, iRz);
    EXPECT_EQ(PADSIM_AXIS_CENTRE, iX);
    const VirtualControllerState& s = vc.block()->aCtrl[3];
    EXPECT_EQ(std::make_tuple(1L, 500L, 2L, 1L, 1L), std::make_tuple(s.bPlugged, s.dwListDelayMs, s.iFailingAcquires,
                                                                     s.iLostSeq, s.bPolled));
    EXPECT_EQ(E_FAIL, vc.block()->hrCreate);
    EXPECT_EQ(1, s.guidInstance.Data4[6] - kVirtualControllerGuid[3].Data4[6]) << "a new port, a new GUID";
    vc.reset();
}
