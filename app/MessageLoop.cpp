#include "app/MessageLoop.h"

#include "app/Quorix.h"
#include "app/Timer.h"

namespace {
// At most one event-driven round per 4 ms: an axis reporting at 1 kHz costs 250
// rounds a second, not 1000.
const LONGLONG kEventRoundGapUs = 4000;
const int kMaxEvents = MAXIMUM_WAIT_OBJECTS - 1;  // one wait slot stays for the message queue

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

HANDLE windowsCreateTimer(void*) { return nullptr; }

void windowsSetTimer(void*, HANDLE, LONGLONG) {}

DWORD windowsWait(void*, DWORD n, const HANDLE* ah, DWORD dwMs) {
    return MsgWaitForMultipleObjectsEx(n, ah, dwMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}
}  // namespace

const MessageLoopSeam kWindowsLoopSeam = {windowsNowUs, windowsCreateTimer, windowsSetTimer, windowsWait, nullptr};

int runMessageLoop(Quorix& app, const MessageLoopSeam& seam) {
    HANDLE ahEvents[kMaxEvents];
    LONGLONG llLastRound = seam.pfnNowUs(seam.pCtx) - kEventRoundGapUs;  // the first move is served at once
    int bPending = 0;  // a controller signalled while the gap ran; its event is consumed
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        // Afresh before every wait: a discovery pass run by a message just
        // dispatched may have closed the events of the last list. Rounds send
        // only in the cockpit; elsewhere the timer's link test is all there is to do.
        int n = 0;
        if (app.il2Com.bConnected && app.il2Com.iInCockpit == 1)
            app.hwDevices.getEventHandles(n, ahEvents, kMaxEvents);
        LONGLONG llNow = seam.pfnNowUs(seam.pCtx);
        LONGLONG llUntilGate = llLastRound + kEventRoundGapUs - llNow;
        if (bPending && llUntilGate <= 0) {
            // The round reads every device: signals of the others are served by it too.
            for (int i = 0; i < n; ++i) ResetEvent(ahEvents[i]);
            bPending = 0;
            llLastRound = llNow;
            runGuardedRound();
            continue;
        }
        // Windows rounds a time-out up to its timer tick (15.6 ms by default), so
        // there a round held back by the gap may come that much later; the first
        // move after a quiet spell never waits.
        DWORD dwTimeout = bPending ? static_cast<DWORD>((llUntilGate + 999) / 1000) : INFINITE;
        // With a round due, further signals need no wake-up: the round reads them.
        DWORD nWait = bPending ? 0 : static_cast<DWORD>(n);
        DWORD r = seam.pfnWait(seam.pCtx, nWait, ahEvents, dwTimeout);
        if (r < WAIT_OBJECT_0 + nWait)
            bPending = 1;
        else if (r == WAIT_FAILED)
            WaitMessage();  // never spin: the timer still drives the rounds
    }
}
