#include "app/Quorix.h"

#include <commctrl.h>
#include <dbt.h>

#include "app/Timer.h"
#include "base/MyFile.h"

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
      bQuitting(0),
      bDlgCfgRunning(0),
      pShellNotifyIcon(Shell_NotifyIconA),
      pDirectInput8Create(DirectInput8Create) {
    ilDevices.fill();
    addLog("=== Started ===\r\n");
}

Quorix::~Quorix() {
    addLog("=== Closed ===\r\n");
    if (hLogFile != INVALID_HANDLE_VALUE) closeFile(hLogFile);
    if (pDI) {
        pDI->Release();
        pDI = nullptr;
    }
}

int Quorix::addLog(const char* text) {
    if (hLogFile == INVALID_HANDLE_VALUE) return 0;
    return writeFile(hLogFile, text);
}

int Quorix::init(HINSTANCE hInst) {
    hInstance = hInst;
    InitCommonControls();
    hTrayIcon1 = LoadIconA(hInstance, "APP_TRAYICON_1");
    hTrayIcon2 = LoadIconA(hInstance, "APP_TRAYICON_2");
    if (!hTrayIcon1 || !hTrayIcon2) return 1;
    int status = registerWinClass();
    if (status == 0) status = createFrameWnd();
    if (status != 0) return status;
    hIconMenu = LoadMenuA(hInstance, "ICONMENU");
    if (!hIconMenu) return 1002;
    status = readConfig();
    if (status != 0) return status;
    closeTimer();
    startTimer(this);  // not checked: without a timer the program runs without rounds
    if (FAILED(pDirectInput8Create(hInstance, DIRECTINPUT_VERSION, IID_IDirectInput8A,
                                   reinterpret_cast<void**>(&pDI), nullptr))) {
        pDI = nullptr;
        return 1;
    }
    return enumHwDevices();
}

int Quorix::close() {
    if (dlgCfg.hDlg) dlgCfg.onDlgEnd();  // the session ends under the open dialog: what it shows is saved
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
    if (dlgCfg.hDlg) {
        // The dialog shows live values: every attached device is read, link or not.
        for (int i = 0; i < hwDevices.count && status == 0; ++i) {
            HwDevice* dev = hwDevices.items[i];
            if (!dev) {
                status = 2;
            } else if (dev->bConnected && dev->bAcquired) {
                status = dev->processDlgCfg(bFlush, dev == dlgCfg.pHwDev);
                if (status == 0) status = dlgCfg.updTicks();
            }
        }
        return status;
    }
    // Sends only while the simulator answers and the pilot sits in a cockpit.
    if (!il2Com.bConnected || il2Com.iInCockpit != 1) return 0;
    for (int i = 0; i < hwDevices.count && status == 0; ++i) {
        HwDevice* dev = hwDevices.items[i];
        if (!dev)
            status = 2;
        else if (dev->bConnected && dev->bAcquired && dev->bInUse)
            status = dev->process(bFlush);
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
            TrackPopupMenu(GetSubMenu(pApp->hIconMenu, 0), TPM_RIGHTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd,
                           nullptr);
        }
        return 0;
    case WM_DEVICECHANGE:
        if (wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE) pApp->enumHwDevices();
        return 0;
    default:
        if (pApp && msg != 0 && msg == pApp->uTaskbarCreatedMsg) {
            pApp->readdSysTrayIcon();
            return 0;
        }
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}
