#include "app/MessageLoop.h"

#include "app/Quorix.h"
#include "app/Timer.h"

// MinGW's headers lack it; Windows 10 1803 and later take it, older ones refuse.
#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace {
// At most one event-driven round per 4 ms: an axis reporting at 1 kHz costs 250
// rounds a second, not 1000.
const LONGLONG kEventRoundGapUs = 4000;

LONGLONG windowsNowUs(void*) {
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return c.QuadPart / freq.QuadPart * 1000000 + c.QuadPart % freq.QuadPart * 1000000 / freq.QuadPart;
}

// Wine ignores the flag; only the seam reaches the refused path there.
HANDLE windowsCreateTimer(void*) {
    return CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
}

BOOL windowsSetTimer(void*, HANDLE hTimer, LONGLONG llUs) {
    if (llUs <= 0) return CancelWaitableTimer(hTimer);
    LARGE_INTEGER due;
    due.QuadPart = -llUs * 10;  // relative, in 100 ns
    return SetWaitableTimer(hTimer, &due, 0, nullptr, nullptr, FALSE);
}

DWORD windowsWait(void*, DWORD n, const HANDLE* ah, DWORD dwMs) {
    return MsgWaitForMultipleObjectsEx(n, ah, dwMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}
}  // namespace

const MessageLoopSeam kWindowsLoopSeam = {windowsNowUs, windowsCreateTimer, windowsSetTimer, windowsWait, nullptr};

int runMessageLoop(Quorix& app, const MessageLoopSeam& seam) {
    // A wait's time-out ends on Windows' timer tick (15.6 ms by default, and
    // Windows 11 keeps it so for a program without a visible window): only this
    // timer wakes the loop on time for a burst's last value.
    HANDLE hTimer = seam.pfnCreateTimer(seam.pCtx);
    // The message queue takes one wait slot, the timer another.
    const int iMaxEvents = MAXIMUM_WAIT_OBJECTS - 1 - (hTimer ? 1 : 0);
    HANDLE ah[MAXIMUM_WAIT_OBJECTS];
    LONGLONG llLastRound = seam.pfnNowUs(seam.pCtx) - kEventRoundGapUs;  // the first move is served at once
    int bPending = 0;    // a controller signalled while the gap ran; its event is consumed
    int bTimerSet = 0;
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                if (hTimer) CloseHandle(hTimer);
                return static_cast<int>(msg.wParam);
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        // Afresh before every wait: a discovery pass run by a message just
        // dispatched may have closed the events of the last list. Rounds send
        // only in the cockpit; elsewhere the timer's link test is all there is to do.
        int n = 0;
        if (app.il2Com.bConnected && app.il2Com.iInCockpit == 1) app.hwDevices.getEventHandles(n, ah, iMaxEvents);
        LONGLONG llNow = seam.pfnNowUs(seam.pCtx);
        LONGLONG llUntilGate = llLastRound + kEventRoundGapUs - llNow;
        if (bPending && llUntilGate <= 0) {
            // The round reads every device: signals of the others are served by it too.
            for (int i = 0; i < n; ++i) ResetEvent(ah[i]);
            if (bTimerSet) seam.pfnSetTimer(seam.pCtx, hTimer, 0);
            bPending = bTimerSet = 0;
            llLastRound = llNow;
            runGuardedRound();
            continue;
        }
        // A round held back by the gap is fetched by the timer the moment the gap
        // ends: the controllers' reports meanwhile need no wake-up (each costs one
        // under continuous motion). Where the system refuses the timer, the gap keeps
        // listening to them, so that in continuous motion the first report after it
        // runs the round; only a burst's last value waits for a time-out, a tick long.
        DWORD nWait = static_cast<DWORD>(n);
        DWORD dwTimeout = INFINITE;
        if (bPending && hTimer && (bTimerSet || seam.pfnSetTimer(seam.pCtx, hTimer, llUntilGate))) {
            bTimerSet = 1;
            ah[0] = hTimer;
            nWait = 1;
        } else if (bPending) {
            dwTimeout = static_cast<DWORD>((llUntilGate + 999) / 1000);
        }
        DWORD r = seam.pfnWait(seam.pCtx, nWait, ah, dwTimeout);
        if (bTimerSet && r == WAIT_OBJECT_0)
            bTimerSet = 0;  // the gap is over: the next turn runs the round
        else if (r < WAIT_OBJECT_0 + nWait)
            bPending = 1;
        else if (r == WAIT_FAILED)
            WaitMessage();  // never spin: the timer still drives the rounds
    }
}
