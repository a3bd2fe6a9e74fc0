// The real program at a 100 ms poll interval: the virtual controller DLL passes
// each change on as an input event, and the move is sent without waiting for a tick.

#include <gtest/gtest.h>

#include "support/E2eRig.h"

TEST(InputEventE2eTest, TwentyMovesAtA100MsIntervalNeedFewerThanTenTicks) {
    clearQuorixSettings();
    E2eRig rig;
    ASSERT_TRUE(rig.prepare());
    HANDLE hSent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    rig.sim.setLineSink([hSent](const std::string& line) {
        if (line.rfind("cmd Ailerons", 0) == 0) SetEvent(hSent);
    });
    seedLink(rig.sim.port(), 100);
    seedAssignment("Events", 1, 1, 1);
    ASSERT_TRUE(rig.startQuorix());
    ASSERT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\0.00", 20000));
    // By the timer alone each move waits for a tick of its own: twenty moves, two seconds.
    DWORD t0 = GetTickCount();
    for (int p = 61; p <= 80; ++p) {
        ResetEvent(hSent);
        rig.pads.setAxis(1, 1, (p * 65536L + 50) / 100);
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hSent, 3000)) << p;
    }
    EXPECT_LT(GetTickCount() - t0, 1000u);
    EXPECT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\0.60", 3000));  // 80 %, the last move
    rig.sim.setLineSink(nullptr);
    CloseHandle(hSent);
    clearQuorixSettings();
}
