// The tray menu: its resource and how a click on the icon opens it.

#include <gtest/gtest.h>

#include "support/AppHarness.h"

namespace {

struct MenuSeen { int seen = 0; RECT rect = {}; } gMenu;

// Runs inside the menu's own modal loop: notes the open popup, then closes it.
void CALLBACK closeOpenMenu(HWND, UINT, UINT_PTR, DWORD) {
    HWND popup = FindWindowA("#32768", nullptr);
    if (popup && IsWindowVisible(popup)) {
        ++gMenu.seen;
        GetWindowRect(popup, &gMenu.rect);
        EndMenu();
    }
}

class TrayMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        deleteTestSettings();
        ASSERT_EQ(0, h.init());
        gMenu = MenuSeen();
        timer = SetTimer(nullptr, 0, 50, closeOpenMenu);
    }
    void TearDown() override {
        KillTimer(nullptr, timer);
        h.quit();
        deleteTestSettings();
    }
    AppHarness h;
    UINT_PTR timer = 0;
};

TEST_F(TrayMenuTest, ResourceHoldsTheTrayCommandsInOrder) {
    HMENU popup = GetSubMenu(h.app.hIconMenu, 0);
    ASSERT_NE(nullptr, popup);
    ASSERT_EQ(5, GetMenuItemCount(popup));
    const struct { const char* text; UINT id; bool separator, grayed; } expected[] = {
        {"Quorix", 0, false, true}, {"", 0, true, false}, {"Configure...", 101, false, false},
        {"", 0, true, false},       {"Quit", 999, false, false},
    };
    for (int i = 0; i < 5; ++i) {
        char text[64] = {};
        MENUITEMINFOA mii = {sizeof mii, MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING, 0, 0, 0, 0, 0, 0, 0, text,
                             sizeof text, 0};
        ASSERT_TRUE(GetMenuItemInfoA(popup, i, TRUE, &mii)) << i;
        EXPECT_EQ(expected[i].separator, (mii.fType & MFT_SEPARATOR) != 0) << i;
        if (expected[i].separator) continue;
        EXPECT_STREQ(expected[i].text, text) << i;
        EXPECT_EQ(expected[i].id, mii.wID) << i;
        EXPECT_EQ(expected[i].grayed, (mii.fState & MFS_GRAYED) != 0) << i;
    }
    char title[32] = {};
    GetMenuStringA(h.app.hIconMenu, 0, title, sizeof title, MF_BYPOSITION);
    EXPECT_STREQ("Dummy", title);
}

TEST_F(TrayMenuTest, RightClickOpensMenuAtCursor) {
    SetCursorPos(600, 400);
    POINT pt;
    GetCursorPos(&pt);
    SendMessageA(h.app.hFrameWnd, WM_USER + 1, 1, WM_RBUTTONDOWN);
    ASSERT_EQ(1, gMenu.seen);
    // Right-aligned at the cursor: the menu ends at the cursor's x, starts at its y.
    EXPECT_NEAR(pt.x, gMenu.rect.right, 2);
    EXPECT_NEAR(pt.y, gMenu.rect.top, 2);
    EXPECT_TRUE(IsWindow(h.app.hFrameWnd));
}

TEST_F(TrayMenuTest, OtherMouseMessagesOpenNothing) {
    // A menu would run its own modal loop inside SendMessage, where the closing timer counts it.
    for (LPARAM m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONUP, WM_MOUSEMOVE, WM_LBUTTONDBLCLK})
        SendMessageA(h.app.hFrameWnd, WM_USER + 1, 1, m);
    EXPECT_EQ(0, gMenu.seen);
}

}  // namespace
