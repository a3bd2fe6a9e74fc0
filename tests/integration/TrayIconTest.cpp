// The tray icon as the shell sees it: the requests the program makes through
// Shell_NotifyIconA, recorded in place of the real call.

#include <gtest/gtest.h>

#include "support/AppHarness.h"
#include "support/ShellRecorder.h"

namespace {

class TrayIconTest : public ::testing::Test {
protected:
    void SetUp() override {
        deleteTestSettings();
        ASSERT_EQ(0, h.init());
    }
    void TearDown() override {
        h.quit();
        deleteTestSettings();
    }
    const ShellRequest& last() { return gShellRequests.back(); }
    AppHarness h;
};

TEST_F(TrayIconTest, StartAddsIconThenShowsNotConnectedImage) {
    ASSERT_EQ(2u, gShellRequests.size());
    const ShellRequest& add = gShellRequests[0];
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), add.message);
    // Windows refuses record sizes it does not know; in a 64-bit build the
    // first layout is NOTIFYICONDATAA_V1_SIZE, not its 32-bit 88 bytes.
    EXPECT_EQ(static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE), add.cbSize);
    EXPECT_NE(88u, add.cbSize);
    EXPECT_EQ(h.app.hFrameWnd, add.hWnd);
    EXPECT_EQ(1u, add.uID);
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), add.uFlags);
    EXPECT_EQ(static_cast<UINT>(WM_USER + 1), add.uCallbackMessage);
    EXPECT_EQ(h.app.hTrayIcon1, add.hIcon);
    EXPECT_EQ("Quorix", add.tip);

    const ShellRequest& modify = gShellRequests[1];
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), modify.message);
    EXPECT_EQ(static_cast<UINT>(NIF_ICON), modify.uFlags);
    EXPECT_EQ(h.app.hTrayIcon1, modify.hIcon);
    EXPECT_EQ(STATE_RUNNING, h.app.usState);
}

TEST_F(TrayIconTest, ConnectedFlagSwitchesImageOnlyOnChange) {
    gShellRequests.clear();
    h.app.setStateFlag(STATEFLAG_IL2_CONNECTED);
    ASSERT_EQ(1u, gShellRequests.size());
    EXPECT_EQ(h.app.hTrayIcon2, last().hIcon);
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), last().message);

    h.app.setStateFlag(STATEFLAG_IL2_CONNECTED);  // already set: no second request
    EXPECT_EQ(1u, gShellRequests.size());

    h.app.remStateFlag(STATEFLAG_IL2_CONNECTED);
    ASSERT_EQ(2u, gShellRequests.size());
    EXPECT_EQ(h.app.hTrayIcon1, last().hIcon);

    h.app.remStateFlag(STATEFLAG_IL2_CONNECTED);  // not set: nothing sent
    EXPECT_EQ(2u, gShellRequests.size());
    EXPECT_EQ(0, h.app.usStateFlags);
}

TEST_F(TrayIconTest, OutsideRunningStateFlagsChangeButImageDoesNot) {
    h.app.setState(STATE_STARTING);
    gShellRequests.clear();
    h.app.setStateFlag(STATEFLAG_IL2_CONNECTED);
    EXPECT_EQ(STATEFLAG_IL2_CONNECTED, h.app.usStateFlags);
    h.app.remStateFlag(STATEFLAG_IL2_CONNECTED);
    EXPECT_EQ(0, h.app.usStateFlags);
    EXPECT_TRUE(gShellRequests.empty());

    h.app.setStateFlag(STATEFLAG_IL2_CONNECTED);
    h.app.setState(STATE_RUNNING);  // a new state clears the flags
    EXPECT_EQ(0, h.app.usStateFlags);
    ASSERT_EQ(1u, gShellRequests.size());
    EXPECT_EQ(h.app.hTrayIcon1, last().hIcon);

    h.app.setState(STATE_RUNNING);  // same state: nothing
    EXPECT_EQ(1u, gShellRequests.size());
}

TEST_F(TrayIconTest, TaskbarRestartAddsIconAgainWithCurrentImage) {
    h.app.setStateFlag(STATEFLAG_IL2_CONNECTED);
    gShellRequests.clear();
    UINT msg = RegisterWindowMessageA("TaskbarCreated");
    SendMessageA(h.app.hFrameWnd, msg, 0, 0);
    ASSERT_EQ(1u, gShellRequests.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), last().message);
    EXPECT_EQ(h.app.hTrayIcon2, last().hIcon);
    EXPECT_EQ(static_cast<UINT>(WM_USER + 1), last().uCallbackMessage);
    EXPECT_EQ("Quorix", last().tip);
}

TEST_F(TrayIconTest, QuitRemovesIconAndEndsLoop) {
    gShellRequests.clear();
    SendMessageA(h.app.hFrameWnd, WM_COMMAND, 999, 0);
    EXPECT_FALSE(IsWindow(h.app.hFrameWnd));
    ASSERT_FALSE(gShellRequests.empty());
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), last().message);
    EXPECT_EQ(1u, last().uID);
    EXPECT_EQ(STATE_CLOSING, h.app.usState);
    EXPECT_EQ(0u, h.app.uiTimerId);
    EXPECT_EQ(nullptr, h.app.hIconMenu);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// "Configure..." (101) opens the modal configuration dialog: the end-to-end dialog tests drive it.
TEST_F(TrayIconTest, UnknownCommandsLeaveProgramRunning) {
    gShellRequests.clear();
    SendMessageA(h.app.hFrameWnd, WM_COMMAND, 4242, 0);
    EXPECT_TRUE(IsWindow(h.app.hFrameWnd));
    EXPECT_TRUE(gShellRequests.empty());
    EXPECT_EQ(STATE_RUNNING, h.app.usState);
}

TEST_F(TrayIconTest, CloseTwiceIsHarmless) {
    EXPECT_EQ(0, h.app.close());
    EXPECT_EQ(0, h.app.close());
    EXPECT_EQ(nullptr, h.app.hIconMenu);
}

}  // namespace
