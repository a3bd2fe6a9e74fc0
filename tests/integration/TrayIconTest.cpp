// The tray icon as the shell and the user see it: the requests the program makes through
// Shell_NotifyIconA (recorded in place of the real call), the menu a click opens, and
// the two images the built quorix.exe carries.

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "res/resource.h"
#include "support/IntegrationHelpers.h"
#include "support/Seeding.h"
#include "support/ShellRecorder.h"
#include "support/TestPaths.h"

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

class TrayIconTest : public AppTest {
protected:
    void SetUp() override { ASSERT_EQ(0, h.init()); }
    // Windows refuses record sizes it does not know, Wine takes any.
    ShellRequest added(HICON icon, const char* tip) {
        return {NIM_ADD, NOTIFYICONDATAA_V2_SIZE, h.app.hFrameWnd, 1, NIF_MESSAGE | NIF_ICON | NIF_TIP,
                WM_TRAYICON, icon, tip, {}, {}, 0};
    }
    const ShellRequest& last() { return gShellRequests.back(); }
    // The icon's mouse messages; a menu runs its own modal loop inside SendMessage, where the timer closes it.
    void click(std::initializer_list<LPARAM> messages) {
        gMenu = MenuSeen();
        UINT_PTR timer = SetTimer(nullptr, 0, 50, closeOpenMenu);
        for (LPARAM m : messages) SendMessageA(h.app.hFrameWnd, WM_TRAYICON, 1, m);
        KillTimer(nullptr, timer);
    }
};

// The request's fields, to compare a whole request in one check.
std::tuple<DWORD, DWORD, HWND, UINT, UINT, UINT, HICON, std::string> fields(const ShellRequest& r) {
    return std::make_tuple(r.message, r.cbSize, r.hWnd, r.uID, r.uFlags, r.uCallbackMessage, r.hIcon, r.tip);
}

// "Configure..." is the dialog tests' (on the real exe); unknown commands do nothing; only a
// right click opens the menu, right-aligned at the cursor. A balloon is one request, its texts cut to fit.
TEST_F(TrayIconTest, StartAndTaskbarRestartAddTheIconWithItsTipOnlyARightClickOpensTheMenuAndQuitRemovesIt) {
    ASSERT_EQ(3u, gShellRequests.size());  // then the image of "running", the tip with the profile read
    EXPECT_EQ(fields(added(h.app.hTrayIcon1, "Quorix - IL-2 not found")), fields(gShellRequests[0]));
    ICONINFO ii = {};
    BITMAP bm = {};
    ASSERT_TRUE(GetIconInfo(h.app.hTrayIcon1, &ii) && GetObjectA(ii.hbmColor, sizeof bm, &bm));
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), bm.bmWidth) << "the image for the small-icon size";
    DeleteObject(ii.hbmColor), DeleteObject(ii.hbmMask);

    h.app.setStateFlag(STATEFLAG_IL2_CONNECTED);
    gShellRequests.clear();
    SendMessageA(h.app.hFrameWnd, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    SendMessageA(h.app.hFrameWnd, WM_COMMAND, 4242, 0);
    ASSERT_EQ(1u, gShellRequests.size());
    EXPECT_EQ(fields(added(h.app.hTrayIcon2, "Quorix - IL-2 not found - New Profile")), fields(last()));
    std::string t(70, 't'), x(300, 'x');
    EXPECT_EQ(0, h.app.showBalloon(t.c_str(), x.c_str()));
    const ShellRequest& b = last();  // the texts cut to the record's 64 and 256 bytes
    EXPECT_EQ(std::make_tuple(NIM_MODIFY, NOTIFYICONDATAA_V2_SIZE, NIF_INFO, NIIF_INFO, t.erase(63), x.erase(255)),
              std::make_tuple(int(b.message), int(b.cbSize), int(b.uFlags), int(b.dwInfoFlags), b.infoTitle, b.info));
    SetCursorPos(600, 400);
    POINT pt;
    GetCursorPos(&pt);
    click({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONUP, WM_MOUSEMOVE, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN});
    ASSERT_EQ(1, gMenu.seen);
    EXPECT_NEAR(pt.x, gMenu.rect.right, 2);  // ends at the cursor's x, starts at its y
    EXPECT_NEAR(pt.y, gMenu.rect.top, 2);
    EXPECT_TRUE(IsWindow(h.app.hFrameWnd));
    SendMessageA(h.app.hFrameWnd, WM_COMMAND, IDM_QUIT, 0);
    EXPECT_FALSE(IsWindow(h.app.hFrameWnd));
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), last().message);
    EXPECT_EQ(1u, last().uID);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// Below the harness's root: checked for this exe's quoted path in any case unless Task Manager disabled it
// (an odd first byte); choosing it deletes a checked value, else writes this exe and clears the mark.
TEST_F(TrayIconTest, StartWithWindowsIsCheckedForThisExeEnabledAndChoosingItWritesOrDeletesTheRunValue) {
    const std::string root = std::string(kTestRegRoot) + "\\Startup", mark = root + "\\Explorer\\StartupApproved\\Run",
                      run = root + "\\Run", ours = '"' + exePath("integration_tests.exe") + '"',
                      upper = '"' + exePath("INTEGRATION_TESTS.EXE") + '"';
    const struct { std::string value, mark; UINT checked; } cases[] = {{"", "", 0}, {ours, "", MF_CHECKED},
        {upper, std::string("\2\0\0\0", 4), MF_CHECKED}, {ours, "\3", 0}, {"\"C:\\Games\\quorix.exe\"", "", 0}};
    for (const auto& c : cases) {
        RegDeleteTreeA(HKEY_CURRENT_USER, root.c_str());
        if (!c.value.empty()) regWrite(run, "Quorix", REG_SZ, textValue(c.value.c_str()).second);
        if (!c.mark.empty()) regWrite(mark, "Quorix", REG_BINARY, c.mark);
        click({WM_RBUTTONDOWN});
        EXPECT_EQ(c.checked, GetMenuState(GetSubMenu(h.app.hIconMenu, 0), IDM_STARTUP, 0) & MF_CHECKED) << c.value;
        SendMessageA(h.app.hFrameWnd, WM_COMMAND, IDM_STARTUP, 0);
        EXPECT_EQ(c.checked ? RegValue() : textValue(ours.c_str()), regRead(run, "Quorix"));
        if (!c.checked) { EXPECT_EQ(0u, regRead(mark, "Quorix").first) << "the disabled mark goes"; }
    }
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

class TrayTipTest : public SimAppTest {};

// Rounds a second apart: sent only when its text changes. The profile's changes are the dialog test's.
TEST_F(TrayTipTest, TipFollowsConnectCockpitAndDisconnectAndIsSentOnlyWhenItChanges) {
    const struct { int inCockpit, silent; const char* tip; } steps[] = {{0, 0, "connected"}, {0, 0, nullptr},
        {1, 0, "in cockpit"}, {1, 1, "IL-2 not found"}, {1, 1, nullptr}};
    for (const auto& s : steps) {
        sim.setInCockpit(s.inCockpit), sim.setSilent(s.silent);
        gShellRequests.clear();
        round(1000);
        EXPECT_EQ(s.tip ? std::string("Quorix - ") + s.tip + " - New Profile" : "", lastTip());
    }
}

// The frame window's procedure must forget an application object with its window: a later
// window's first messages (before WM_CREATE) would read freed memory otherwise.
TEST(FrameWindowTest, ANewFrameWindowNeverReachesAGoneApplicationObject) {
    void* block = VirtualAlloc(nullptr, sizeof(AppHarness), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_NE(nullptr, block);
    AppHarness* gone = new (block) AppHarness;
    ASSERT_EQ(0, gone->init());
    gone->~AppHarness();
    VirtualFree(block, 0, MEM_RELEASE);
    AppHarness h;
    EXPECT_EQ(0, h.init());
}


// Drawn as the shell draws them: a square from (6,5) to (25,25) on black.
TEST(TrayIconImageTest, IconsAreSquaresOfTheirColourOnBlack) {
    HMODULE module = LoadLibraryExA(exePath("quorix.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module) << "quorix.exe not found beside the tests";
    const struct { const char* name; COLORREF square; } icons[] = {{"APP_TRAYICON_1", RGB(255, 255, 255)},
                                                                   {"APP_TRAYICON_2", RGB(0, 255, 0)}};
    const struct { int x, y; bool inside; } points[] = {{6, 5, true},  {25, 25, true}, {5, 5, false},
                                                        {6, 4, false}, {26, 25, false}, {6, 26, false}};
    for (const auto& icon : icons) {
        HICON h = static_cast<HICON>(LoadImageA(module, icon.name, IMAGE_ICON, 32, 32, 0));
        ASSERT_NE(nullptr, h) << icon.name;
        HDC dc = CreateCompatibleDC(nullptr);
        BITMAPINFO bi = {{sizeof bi.bmiHeader, 32, -32, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
        void* bits = nullptr;
        HGDIOBJ old = SelectObject(dc, CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        // A grey background shows any pixel the mask leaves transparent.
        RECT all = {0, 0, 32, 32};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        ASSERT_TRUE(DrawIconEx(dc, 0, 0, h, 32, 32, 0, nullptr, DI_NORMAL));
        for (const auto& p : points)
            EXPECT_EQ(p.inside ? icon.square : RGB(0, 0, 0), GetPixel(dc, p.x, p.y))
                << icon.name << " " << p.x << "," << p.y;
        DeleteObject(SelectObject(dc, old));
        DeleteDC(dc);
        DestroyIcon(h);
    }
    FreeLibrary(module);
}

}  // namespace
