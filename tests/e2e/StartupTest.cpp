// Start-up and shutdown of the real program.

#include <gtest/gtest.h>

#include "support/QuorixProcess.h"
#include "support/TestPaths.h"

namespace {

long long storedDword(const char* subKey, const char* name) {
    DWORD type = 0, v = 0, size = sizeof v;
    std::string path = std::string(kQuorixRegRoot) + (subKey ? std::string("\\") + subKey : std::string());
    if (RegGetValueA(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_ANY, &type, &v, &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return -1;
    return v;
}

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override { clearQuorixSettings(); }
    void TearDown() override { clearQuorixSettings(); }
};

TEST_F(StartupTest, SecondStartShowsAlreadyRunningAndLeavesFirstRunning) {
    QuorixProcess first;
    ASSERT_TRUE(first.startAndWait());

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

TEST_F(StartupTest, FrameWindowIsHiddenAndDisabled) {
    QuorixProcess q;
    ASSERT_TRUE(q.startAndWait());
    HWND hwnd = q.frame();
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_FALSE(IsWindowEnabled(hwnd));
    DWORD code = 1234;
    ASSERT_TRUE(q.quit(code));
    EXPECT_EQ(0u, code);
}

TEST_F(StartupTest, QuitSavesClampedIntervalAndAllowsNewStart) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kQuorixRegRoot, 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr));
    DWORD v = 1000;
    RegSetValueExA(key, "uiTimerInterval", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), sizeof v);
    RegCloseKey(key);

    QuorixProcess q;
    ASSERT_TRUE(q.startAndWait());
    DWORD code = 1234;
    ASSERT_TRUE(q.quit(code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ(100, storedDword(nullptr, "uiTimerInterval"));

    // The mutex went with the first instance: a new start runs normally.
    QuorixProcess again;
    ASSERT_TRUE(again.startAndWait());
    ASSERT_TRUE(again.quit(code));
    EXPECT_EQ(0u, code);
}

TEST_F(StartupTest, FirstStartWithNothingStoredWritesDefaults) {
    QuorixProcess q;
    ASSERT_TRUE(q.startAndWait());
    DWORD code = 1234;
    ASSERT_TRUE(q.quit(code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ(10, storedDword(nullptr, "uiTimerInterval"));
}

}  // namespace
