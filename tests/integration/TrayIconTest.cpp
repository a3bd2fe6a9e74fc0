// The tray icon as the shell sees it: the requests the program makes through
// Shell_NotifyIconA, recorded in place of the real call.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "support/AppHarness.h"
#include "support/DlgDriver.h"
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

// The request's fields as one text, to compare a whole request in one check.
std::string fields(const ShellRequest& r) {
    char b[160];
    snprintf(b, sizeof b, "msg %lu size %lu wnd %p id %u flags %u cb %u icon %p tip %s", r.message, r.cbSize,
             (void*)r.hWnd, r.uID, r.uFlags, r.uCallbackMessage, (void*)r.hIcon, r.tip.c_str());
    return b;
}

TEST_F(TrayIconTest, StartAddsIconThenShowsNotConnectedImage) {
    ASSERT_EQ(2u, gShellRequests.size());
    // Windows refuses record sizes it does not know, Wine takes any.
    const ShellRequest add = {NIM_ADD, NOTIFYICONDATAA_V1_SIZE, h.app.hFrameWnd, 1, NIF_MESSAGE | NIF_ICON | NIF_TIP,
                              WM_USER + 1, h.app.hTrayIcon1, "Quorix"};
    EXPECT_EQ(fields(add), fields(gShellRequests[0]));
    const ShellRequest& modify = gShellRequests[1];
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), modify.message);
    EXPECT_EQ(static_cast<UINT>(NIF_ICON), modify.uFlags);
    EXPECT_EQ(h.app.hTrayIcon1, modify.hIcon);
    EXPECT_EQ(STATE_RUNNING, h.app.usState);
}

// Each step: a state change, then the requests it made (the icon, or none).
TEST_F(TrayIconTest, ImageFollowsTheConnectedFlagInRunningStateOnly) {
    enum Op { SET, REM, STATE };
    const struct { Op op; unsigned short arg; int requests; bool connectedIcon; unsigned short flags; } steps[] = {
        {SET, STATEFLAG_IL2_CONNECTED, 1, true, STATEFLAG_IL2_CONNECTED},
        {SET, STATEFLAG_IL2_CONNECTED, 0, true, STATEFLAG_IL2_CONNECTED},  // already set
        {REM, STATEFLAG_IL2_CONNECTED, 1, false, 0},
        {REM, STATEFLAG_IL2_CONNECTED, 0, false, 0},
        {STATE, STATE_STARTING, 0, false, 0},
        {SET, STATEFLAG_IL2_CONNECTED, 0, false, STATEFLAG_IL2_CONNECTED},  // flags only outside running
        {STATE, STATE_RUNNING, 1, false, 0},  // a new state clears the flags
        {STATE, STATE_RUNNING, 0, false, 0},
    };
    for (const auto& s : steps) {
        gShellRequests.clear();
        if (s.op == SET) h.app.setStateFlag(s.arg);
        if (s.op == REM) h.app.remStateFlag(s.arg);
        if (s.op == STATE) h.app.setState(s.arg);
        EXPECT_EQ(s.flags, h.app.usStateFlags);
        ASSERT_EQ(size_t(s.requests), gShellRequests.size()) << int(s.op) << " " << s.arg;
        if (s.requests) { EXPECT_EQ(s.connectedIcon ? h.app.hTrayIcon2 : h.app.hTrayIcon1, last().hIcon); }
    }
}

TEST_F(TrayIconTest, TaskbarRestartAddsIconAgainWithCurrentImage) {
    h.app.setStateFlag(STATEFLAG_IL2_CONNECTED);
    gShellRequests.clear();
    UINT msg = RegisterWindowMessageA("TaskbarCreated");
    SendMessageA(h.app.hFrameWnd, msg, 0, 0);
    ASSERT_EQ(1u, gShellRequests.size());
    const ShellRequest add = {NIM_ADD, NOTIFYICONDATAA_V1_SIZE, h.app.hFrameWnd, 1, NIF_MESSAGE | NIF_ICON | NIF_TIP,
                              WM_USER + 1, h.app.hTrayIcon2, "Quorix"};
    EXPECT_EQ(fields(add), fields(last()));
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

// "Configure..." opens the modal dialog, so it is posted and the dialog closed as a user would.
TEST_F(TrayIconTest, ConfigureAndUnknownCommandsLeaveProgramRunning) {
    gShellRequests.clear();
    std::atomic<bool> closed(false);
    std::thread user([&] {
        HWND dlg = waitDlg(0, "Quorix - Ombrisal for IL-2", IDC_CFG_PROFILE_LIST);
        if (dlg) dlgCommand(dlg, IDC_CFG_CLOSE);
        closed = dlg != nullptr;
    });
    PostMessageA(h.app.hFrameWnd, WM_COMMAND, IDM_CONFIGURE, 0);
    // The modal loop runs inside this wait and returns when "Close" ended it.
    EXPECT_TRUE(dlgWait([&] { return closed && h.app.dlgCfg.hDlg == nullptr && !h.app.bDlgCfgRunning; }));
    user.join();
    SendMessageA(h.app.hFrameWnd, WM_COMMAND, 4242, 0);
    EXPECT_TRUE(IsWindow(h.app.hFrameWnd));
    EXPECT_TRUE(gShellRequests.empty());
    EXPECT_EQ(STATE_RUNNING, h.app.usState);
}

}  // namespace
