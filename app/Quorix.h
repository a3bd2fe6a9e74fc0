#pragma once
// The application object: owns every long-lived part of the program, the hidden
// frame window, the tray icon, the poll timer and the log sink.

#include <windows.h>
#include <shellapi.h>
#include <dinput.h>

#include "base/MyString.h"
#include "hw/HidUsage.h"
#include "hw/HwDevice.h"
#include "il2/IL2Com.h"
#include "il2/ILDevice.h"
#include "profile/Profile.h"
#include "res/resource.h"
#include "ui/DlgCfg.h"

enum {
    STATE_STARTING = 1,
    STATE_CLOSING = 2,
    STATE_RUNNING = 3,
};
enum { STATEFLAG_IL2_CONNECTED = 0x0001 };
enum { WM_TRAYICON = WM_USER + 1 };
// Window timers of the frame window: the poll timer, a discovery pass after a
// batch of device events, and the second look after an arrival that found nothing.
// And the log's: what it gathered reaches the file once a second.
enum { TIMER_POLL = 1, TIMER_DISCOVERY = 2, TIMER_LATE_DISCOVERY = 3, TIMER_LOG = 4 };

// Where the outside world enters; tests replace these.
typedef BOOL(WINAPI* ShellNotifyIconFn)(DWORD message, PNOTIFYICONDATAA data);
typedef HRESULT(WINAPI* DirectInput8CreateFn)(HINSTANCE, DWORD, REFIID, LPVOID*, LPUNKNOWN);

class Quorix {
public:
    Quorix();
    ~Quorix();
    Quorix(const Quorix&) = delete;
    Quorix& operator=(const Quorix&) = delete;

    int init(HINSTANCE hInst);
    int close();
    // After a failed init: ends what it built and says what failed; the exit code, 1.
    int abandonStart(int status);
    int registerWinClass();
    int createFrameWnd();
    int initFrameWnd(HWND hwnd);
    int runRound();
    int changeTimer(unsigned int v);
    // "Quit": ends an open configuration dialog first, then the frame window.
    int quit();

    int addLog(const char* text);
    int addLog(char* text) { return addLog(static_cast<const char*>(text)); }
    int addLog(MyString& text) { return addLog(text.text()); }

    // Tray icon and application state.
    int createSysTrayIcon();
    int updateSysTrayIcon();
    int removeSysTrayIcon();
    int setState(unsigned short s);
    int setStateFlag(unsigned short f);
    int remStateFlag(unsigned short f);
    int readdSysTrayIcon();
    // The tooltip tells the link, the cockpit and the active profile; called where
    // they change, it sends only a changed text.
    int updateTrayTip();
    // A balloon with the info icon, its texts cut to fit; an empty text takes a
    // shown one away. 0 handed to the shell, 1 refused.
    int showBalloon(const char* title, const char* text);

    // "Start with Windows": bOn when the current user's Run value "Quorix" names this
    // exe and Task Manager has not disabled it.
    int getStartWithWindows(int& bOn);
    int setStartWithWindows(int bOn);
    // The menu command; says so in a message box when the registry refuses.
    int toggleStartWithWindows();
    int checkStartupItem();

    // The log sink, open only when started with /log: wsDir\quorix.log.
    int openLog(const wchar_t* wsDir);
    int closeLog();
    // TIMER_LOG on the frame window while the log is open, and its WM_TIMER.
    int startLogTimer(HWND hwnd);
    int onLogTimer();

    // Settings.
    int readConfig();
    int saveConfig();
    // saveConfig, then the registry's copy made durable (RegFlushKey).
    int saveConfigNow();

    // Device discovery and hot-plug.
    int initDeviceNotifications();
    int closeDeviceNotifications();
    int enumHwDevices();
    static BOOL CALLBACK enumHwDevicesCB(const DIDEVICEINSTANCEA* inst, void* ctx);
    // After EnumDevices: each controller of an unknown GUID takes over the one stored
    // controller it can only be (another USB port), or is registered as new.
    int settleNewcomers();
    // The set-up of one listed controller: instance, connected, configured, acquired, bound.
    int setUpDevice(HwDevice* dev, const DIDEVICEINSTANCEA* inst);
    int reapplyProfile();
    // 1 when a WM_DEVICECHANGE may concern a game controller: the arrival or
    // removal of a HID interface that is one, or that cannot be read.
    int isControllerEvent(WPARAM wEvent, LPARAM lParam);
    // The events of about 250 ms from the first one cause one pass (TIMER_DISCOVERY).
    int requestDiscovery(int bArrival);
    // WM_TIMER of TIMER_DISCOVERY or TIMER_LATE_DISCOVERY: runs the pass unless
    // a pass or a round is under way, in which case the timer comes again.
    int onDiscoveryTimer(UINT_PTR id);
    // One more pass in about two seconds (TIMER_LATE_DISCOVERY).
    int lookAgainLater();

    // Owned parts, constructed in this order and destroyed in reverse.
    IL2Com il2Com;
    HwDeviceArray hwDevices;
    ILDeviceArray ilDevices;
    ProfileArray profiles;
    DlgCfg dlgCfg;

    Profile* pActProfile;  // a member of profiles, not owned here

    IDirectInput8A* pDI;
    unsigned int uiTimerInterval;
    UINT_PTR uiTimerId;
    HINSTANCE hInstance;
    HWND hFrameWnd;
    HMENU hIconMenu;
    HANDLE hLogFile;
    HICON hTrayIcon1;
    HICON hTrayIcon2;
    HDEVNOTIFY hDevNotify;
    int bEnumerating;
    unsigned short usState;
    unsigned short usStateFlags;

    // Registry path of the settings (tests point it at a scratch key).
    MyString sRegRoot;
    // Set once every setting was read; close() saves only then, so a start that
    // failed early never overwrites stored settings with defaults.
    int bConfigRead;
    // Message the shell broadcasts when the taskbar is (re)created.
    UINT uTaskbarCreatedMsg;
    // The tooltip last given to the shell.
    MyString sTrayTip;
    // Below HKEY_CURRENT_USER: holds the keys Run and Explorer\StartupApproved\Run
    // (tests point it at a scratch key: Wine's start-up runs what a Run key names).
    const wchar_t* wsRunRoot;
    // The log's lines gather in pLogBuf and reach the file when it fills, once a
    // second (TIMER_LOG) and at the end. At uiLogCap bytes the file moves to
    // quorix.log.1 and a new one begins.
    char* pLogBuf;
    unsigned int uiLogBuffered;
    unsigned int uiLogSize;
    unsigned int uiLogCap;
    wchar_t wsLogPath[MAX_PATH];
    // "Quit" is under way: commands that loop on prompts stop, nothing new opens.
    int bQuitting;
    // 1 while AppWindowProc runs the configuration dialog's modal call.
    int bDlgCfgRunning;
    // A discovery pass is due at TIMER_DISCOVERY, for events among which an arrival.
    int bDiscoveryDue;
    int bDiscoveryArrival;
    // Controllers the last pass connected that were not connected before it.
    int iNewlyConnected;
    // During a pass: the listed controllers of unknown GUID, for settleNewcomers.
    DIDEVICEINSTANCEA* aNewcomers;
    int iNewcomers;
    // What init was doing, for the message when it fails ("start DirectInput").
    const char* sInitStep;
    ShellNotifyIconFn pShellNotifyIcon;
    DirectInput8CreateFn pDirectInput8Create;
    HidTopUsageFn pfnHidTopUsage;

private:
    void fillTrayRecord(NOTIFYICONDATAA& nid, UINT flags, HICON icon);
    int beginLogFile();
    int flushLog();
};

LRESULT CALLBACK AppWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
