#pragma once
// The program's message loop. Besides messages it waits for the input events of
// the controllers a poll round would send from, so that a move is sent at once
// rather than at the next timer tick.

#include <windows.h>

class Quorix;

// Where the loop meets the clock and the waits: Windows' by default; tests and
// benchmarks run the loop on a virtual clock that rounds waits up to the tick.
struct MessageLoopSeam {
    LONGLONG (*pfnNowUs)(void* pCtx);  // a monotonic clock, microseconds
    // A high-resolution waitable timer, or null where the system refuses one.
    HANDLE (*pfnCreateTimer)(void* pCtx);
    // Arms the timer to fire llUs from now, 0 or less disarms it; FALSE when refused.
    BOOL (*pfnSetTimer)(void* pCtx, HANDLE hTimer, LONGLONG llUs);
    // As MsgWaitForMultipleObjectsEx(n, ah, dwMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE).
    DWORD (*pfnWait)(void* pCtx, DWORD n, const HANDLE* ah, DWORD dwMs);
    void* pCtx;
};
extern const MessageLoopSeam kWindowsLoopSeam;

// Runs until WM_QUIT; returns its wParam.
int runMessageLoop(Quorix& app, const MessageLoopSeam& seam = kWindowsLoopSeam);
