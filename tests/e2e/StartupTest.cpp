// Start-up and shutdown of the real program.

#include <gtest/gtest.h>

#include "support/QuorixProcess.h"
#include "support/Seeding.h"
#include "support/TestPaths.h"

namespace {

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override { clearQuorixSettings(); }
    void TearDown() override { clearQuorixSettings(); }
};

TEST_F(StartupTest, SecondStartShowsAlreadyRunningAndLeavesFirstRunning) {
    QuorixProcess first;
    ASSERT_TRUE(first.startAndWait());
    EXPECT_FALSE(IsWindowVisible(first.frame()));
    EXPECT_FALSE(IsWindowEnabled(first.frame()));

    ChildProcess second;
    ASSERT_TRUE(second.start("\"" + exePath("quorix.exe") + "\""));
    HWND box = nullptr;
    ASSERT_TRUE(waitFor(15000, [&] { return (box = findProcessWindow(second.pid(), "#32770", "Quorix")) != nullptr; }))
        << "no message box from the second start";
    char text[64] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // a message box's text control
    EXPECT_STREQ("Already running", text);
    EXPECT_EQ(nullptr, findProcessWindow(second.pid(), "Quorix", nullptr)) << "second start built a frame window";
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    DWORD code = 1234;
    ASSERT_TRUE(second.waitExit(10000, code));
    EXPECT_EQ(0u, code);

    EXPECT_TRUE(first.running());
    ASSERT_NE(nullptr, first.frame());
    PostMessageA(first.frame(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(first.waitExit(15000, code));
    EXPECT_EQ(0u, code);
}

// A start after a quit (the mutex went with the program) is in MainJobTest.StoredPollIntervalIsHonoured.
TEST_F(StartupTest, QuitSavesClampedInterval) {
    seedDword("", "uiTimerInterval", 1000);
    QuorixProcess q;
    ASSERT_TRUE(q.startAndWait());
    DWORD code = 1234;
    ASSERT_TRUE(q.quit(code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ(dwordValue(100), regRead(kQuorixRegRoot, "uiTimerInterval"));
}

}  // namespace
