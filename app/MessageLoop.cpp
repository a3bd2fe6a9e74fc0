#include "app/MessageLoop.h"

#include "app/Quorix.h"
#include "app/Timer.h"

namespace {
// At most one event-driven round per 4 ms: an axis reporting at 1 kHz costs 250
// rounds a second, not 1000.
const LONGLONG kEventRoundGapMs = 4;
const int kMaxEvents = MAXIMUM_WAIT_OBJECTS - 1;  // one wait slot stays for the message queue
}  // namespace

int runMessageLoop(Quorix& app) {
    HANDLE ahEvents[kMaxEvents];
    LARGE_INTEGER freq, now;
    QueryPerformanceFrequency(&freq);
    const LONGLONG llGap = freq.QuadPart * kEventRoundGapMs / 1000;
    QueryPerformanceCounter(&now);
    LONGLONG llLastRound = now.QuadPart - llGap;  // the first move is served at once
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
        QueryPerformanceCounter(&now);
        LONGLONG llUntilGate = llLastRound + llGap - now.QuadPart;
        if (bPending && llUntilGate <= 0) {
            // The round reads every device: signals of the others are served by it too.
            for (int i = 0; i < n; ++i) ResetEvent(ahEvents[i]);
            bPending = 0;
            llLastRound = now.QuadPart;
            runGuardedRound();
            continue;
        }
        // Windows rounds a time-out up to its timer tick (15.6 ms by default), so
        // there a round held back by the gap may come that much later; the first
        // move after a quiet spell never waits.
        DWORD dwTimeout = bPending ? static_cast<DWORD>((llUntilGate * 1000 + freq.QuadPart - 1) / freq.QuadPart)
                                   : INFINITE;
        // With a round due, further signals need no wake-up: the round reads them.
        DWORD nWait = bPending ? 0 : static_cast<DWORD>(n);
        DWORD r = MsgWaitForMultipleObjectsEx(nWait, ahEvents, dwTimeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (r < WAIT_OBJECT_0 + nWait)
            bPending = 1;
        else if (r == WAIT_FAILED)
            WaitMessage();  // never spin: the timer still drives the rounds
    }
}
