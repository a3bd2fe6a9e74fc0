#include "support/AppHarness.h"

#include "padsim/DeviceBroadcasts.h"
#include "support/ShellRecorder.h"

const char* const kTestRegRoot = "Software\\Velmora\\QuorixTest-App";

void deleteTestSettings() { RegDeleteTreeA(HKEY_CURRENT_USER, kTestRegRoot); }

AppHarness::AppHarness() : hInst(GetModuleHandleA(nullptr)) {
    gShellRequests.clear();
    app.sRegRoot = kTestRegRoot;
    // Below the test settings, which every test removes: Wine's start-up runs what a Run value names.
    app.wsRunRoot = L"Software\\Velmora\\QuorixTest-App\\Startup";
    app.pShellNotifyIcon = recordShellNotifyIcon;
    app.pDirectInput8Create = padsimDirectInput8Create;
    app.pfnHidTopUsage = padsimHidTopUsage;
    padsimSetInProcess(&di);
}

AppHarness::~AppHarness() {
    quit();
    // A new harness registers the window class again.
    UnregisterClassA("Quorix", hInst);
    padsimSetInProcess(nullptr);
}

int AppHarness::init() { return app.init(hInst); }

void AppHarness::quit() {
    if (app.hFrameWnd && IsWindow(app.hFrameWnd)) DestroyWindow(app.hFrameWnd);
    // Drop the WM_QUIT that WM_DESTROY posts, so it cannot end a later loop.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) continue;
}
