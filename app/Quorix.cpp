#include "app/Quorix.h"

#include <commctrl.h>
#include <dbt.h>

#include "app/Timer.h"

Quorix::Quorix()
    : il2Com(*this),
      hwDevices(*this),
      ilDevices(*this),
      profiles(*this),
      dlgCfg(*this),
      pActProfile(nullptr),
      pDI(nullptr),
      uiTimerInterval(10),
      uiTimerId(0),
      hInstance(nullptr),
      hFrameWnd(nullptr),
      hIconMenu(nullptr),
      hLogFile(INVALID_HANDLE_VALUE),
      hTrayIcon1(nullptr),
      hTrayIcon2(nullptr),
      hDevNotify(nullptr),
      bEnumerating(0),
      usState(0),
      usStateFlags(0),
      sRegRoot("Software\\Velmora\\Quorix"),
      bConfigRead(0),
      uTaskbarCreatedMsg(0),
      wsRunRoot(L"Software\\Microsoft\\Windows\\CurrentVersion"),
      pLogBuf(nullptr),
      uiLogBuffered(0),
      uiLogSize(0),
      uiLogCap(10 * 1024 * 1024),
      wsLogPath(),
      bQuitting(0),
      bDlgCfgRunning(0),
      bDiscoveryDue(0),
      bDiscoveryArrival(0),
      iNewlyConnected(0),
      aNewcomers(nullptr),
      iNewcomers(0),
      sInitStep(nullptr),
      pShellNotifyIcon(Shell_NotifyIconA),
      pDirectInput8Create(DirectInput8Create),
      pfnHidTopUsage(hidTopUsage) {
    ilDevices.fill();
    addLog("=== Started ===\r\n");  // the sink is still closed: openLog writes the line again
}

Quorix::~Quorix() {
    addLog("=== Closed ===\r\n");
    closeLog();
    if (hTrayIcon1) DestroyIcon(hTrayIcon1);
    if (hTrayIcon2) DestroyIcon(hTrayIcon2);
    // Devices go before the DirectInput interface that made them.
    hwDevices.releaseAll();
    if (pDI) {
        pDI->Release();
        pDI = nullptr;
    }
}

int Quorix::init(HINSTANCE hInst) {
    hInstance = hInst;
    InitCommonControls();
    sInitStep = "load its icons";
    // LoadIconA would pick the 32-pixel image and leave the shell to shrink it.
    const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    hTrayIcon1 = static_cast<HICON>(LoadImageA(hInstance, "APP_TRAYICON_1", IMAGE_ICON, cx, cy, 0));
    hTrayIcon2 = static_cast<HICON>(LoadImageA(hInstance, "APP_TRAYICON_2", IMAGE_ICON, cx, cy, 0));
    if (!hTrayIcon1 || !hTrayIcon2) return 1;
    sInitStep = "register its window class";
    int status = registerWinClass();
    if (status != 0) return status;
    sInitStep = "create its window";
    status = createFrameWnd();
    if (status != 0) return status;
    sInitStep = "load its menu";
    hIconMenu = LoadMenuA(hInstance, "ICONMENU");
    if (!hIconMenu) return 1002;
    sInitStep = "read its settings";
    status = readConfig();
    if (status != 0) return status;
    updateTrayTip();  // the active profile is known now
    closeTimer();
    startTimer(this);  // not checked: without a timer the program runs without rounds
    sInitStep = "start DirectInput";
    if (FAILED(pDirectInput8Create(hInstance, DIRECTINPUT_VERSION, IID_IDirectInput8A,
                                   reinterpret_cast<void**>(&pDI), nullptr))) {
        pDI = nullptr;
        return 1;
    }
    sInitStep = nullptr;
    // Not the end of the start: the controllers are looked for again as after an arrival.
    if (enumHwDevices() != 0) {
        addLog("First discovery failed; looking again shortly\r\n");
        lookAgainLater();
    }
    return 0;
}

int Quorix::abandonStart(int status) {
    // The window's end stops the timer and the device notifications and runs
    // close(): nothing runs inside the box below on a half-built program.
    if (hFrameWnd && IsWindow(hFrameWnd))
        DestroyWindow(hFrameWnd);
    else
        close();
    // A pending WM_QUIT would end the box at once, unseen.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) continue;
    MyString text("Quorix could not ");
    text += sInitStep ? sInitStep : "start";
    text += " (status ";
    text.appendVal(status);
    text += ").";
    MessageBoxA(nullptr, text.text(), "Quorix", MB_OK | MB_ICONERROR);
    return 1;
}

int Quorix::close() {
    // The session ends under the open dialog: what its rows show is saved, once, below.
    if (dlgCfg.hDlg) dlgCfg.bDirty = 0, dlgCfg.onDlgEnd();
    hwDevices.disconnectAll();
    il2Com.closeConnection();
    if (bConfigRead) saveConfig();
    removeSysTrayIcon();
    if (hIconMenu) {
        DestroyMenu(hIconMenu);
        hIconMenu = nullptr;
    }
    return 0;
}

int Quorix::registerWinClass() {
    WNDCLASSA wc = {};
    wc.style = 0;
    wc.lpfnWndProc = AppWindowProc;
    wc.hInstance = hInstance;
    wc.hIcon = LoadIconA(hInstance, "APPICON32");
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = "Quorix";
    return RegisterClassA(&wc) ? 0 : 1000;
}

int Quorix::createFrameWnd() {
    HWND hwnd = CreateWindowExA(0, "Quorix", "Quorix", WS_DISABLED, 0, 0, 10, 10, nullptr, nullptr, hInstance, this);
    return hwnd ? 0 : 1001;
}

int Quorix::initFrameWnd(HWND hwnd) {
    hFrameWnd = hwnd;
    createSysTrayIcon();
    return 0;
}

int Quorix::runRound() {
    if (bEnumerating || hwDevices.count == 0) return 0;
    int bFlush = 0;
    int status = il2Com.testConnection(bFlush);
    if (status != 0) return status;
    // A device that cannot be read or processed is skipped: one controller that
    // lost its input must not silence the others. The first failure is returned.
    if (dlgCfg.hDlg) {
        // The dialog shows live values: every attached device is read, link or not.
        for (int i = 0; i < hwDevices.count; ++i) {
            HwDevice* dev = hwDevices.items[i];
            int s = dev ? 0 : 2;
            if (dev && dev->bConnected && dev->bAcquired) {
                s = dev->processDlgCfg(bFlush, dev == dlgCfg.pHwDev);
                if (s == 0) s = dlgCfg.updTicks();
            }
            if (status == 0) status = s;
        }
        return status;
    }
    // Sends only while the simulator answers and the pilot sits in a cockpit; a
    // failed send closes the link, and then nothing more can be sent this round.
    for (int i = 0; i < hwDevices.count && il2Com.bConnected && il2Com.iInCockpit == 1; ++i) {
        HwDevice* dev = hwDevices.items[i];
        int s = dev ? 0 : 2;
        if (dev && dev->bConnected && dev->bAcquired && dev->bInUse) s = dev->process(bFlush);
        if (status == 0) status = s;
    }
    return status;
}

int Quorix::quit() {
    bQuitting = 1;
    // The frame window owns the dialog: destroying it now would pull the windows
    // away under a running handler. The dialog's caller destroys it on return.
    if (bDlgCfgRunning) return dlgCfg.endForQuit();
    if (hFrameWnd && IsWindow(hFrameWnd)) DestroyWindow(hFrameWnd);
    return 0;
}

int Quorix::changeTimer(unsigned int v) {
    if (v == uiTimerInterval || v < 10 || v > 100) return 0;
    uiTimerInterval = v;
    int status = closeTimer();
    if (status == 0) status = startTimer(this);
    return status;
}

LRESULT CALLBACK AppWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    static Quorix* pApp = nullptr;
    switch (msg) {
    case WM_CREATE:
        pApp = static_cast<Quorix*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        pApp->initFrameWnd(hwnd);
        pApp->setState(STATE_STARTING);
        pApp->initDeviceNotifications();  // without it, hot-plug goes unnoticed
        pApp->setState(STATE_RUNNING);
        startTimer(pApp);
        pApp->startLogTimer(hwnd);
        return 0;
    case WM_DESTROY:
        pApp->closeDeviceNotifications();
        closeTimer();
        pApp->setState(STATE_CLOSING);
        pApp->close();
        PostQuitMessage(0);
        return 0;
    case WM_CLOSE:
        pApp->quit();
        return 0;
    case WM_ENDSESSION:
        if (wParam) pApp->close();
        return 0;
    case WM_NCDESTROY:
        // The object may die with the window: a later frame window's first messages
        // (before WM_CREATE) must not reach it through the default branch.
        pApp = nullptr;
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_MOVE:
    case WM_SIZE:
    case WM_SETFOCUS:
    case WM_QUIT:
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDM_QUIT) {
            pApp->quit();
        } else if (LOWORD(wParam) == IDM_STARTUP) {
            pApp->toggleStartWithWindows();
        } else if (LOWORD(wParam) == IDM_CONFIGURE && !pApp->bQuitting) {
            if (pApp->bDlgCfgRunning) {
                // One dialog at a time: its state (hDlg, pHwDev) exists once.
                if (pApp->dlgCfg.hDlg) SetForegroundWindow(GetLastActivePopup(pApp->dlgCfg.hDlg));
                return 0;
            }
            pApp->bDlgCfgRunning = 1;
            DialogBoxParamA(pApp->hInstance, "DLGCFG", hwnd, DlgCfgProc, reinterpret_cast<LPARAM>(pApp));
            pApp->bDlgCfgRunning = 0;
            if (pApp->bQuitting) DestroyWindow(hwnd);
        }
        return 0;
    case WM_TRAYICON:
        if (lParam == WM_RBUTTONDOWN && pApp->hIconMenu) {
            POINT pt;
            GetCursorPos(&pt);
            SetForegroundWindow(hwnd);
            pApp->checkStartupItem();
            TrackPopupMenu(GetSubMenu(pApp->hIconMenu, 0), TPM_RIGHTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd,
                           nullptr);
            // Without it Windows closes the menu at once the next time it opens.
            PostMessageA(hwnd, WM_NULL, 0, 0);
        }
        return 0;
    case WM_DEVICECHANGE:
        if (pApp->isControllerEvent(wParam, lParam)) pApp->requestDiscovery(wParam == DBT_DEVICEARRIVAL);
        return 0;
    case WM_TIMER:
        if (wParam == TIMER_LOG) return pApp->onLogTimer();
        if (wParam != TIMER_DISCOVERY && wParam != TIMER_LATE_DISCOVERY) return DefWindowProcA(hwnd, msg, wParam, lParam);
        pApp->onDiscoveryTimer(wParam);
        return 0;
    default:
        if (pApp && msg != 0 && msg == pApp->uTaskbarCreatedMsg) {
            pApp->readdSysTrayIcon();
            return 0;
        }
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}
