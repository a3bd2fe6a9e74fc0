#include "app/Timer.h"

#include "app/Quorix.h"

static Quorix* __LocalStatic_pApp = nullptr;
// Message boxes and modal dialogs run nested loops that keep dispatching this
// timer: a tick arriving inside a round must not start another one.
static int __LocalStatic_bOnProc = 0;

int startTimer(Quorix* app) {
    __LocalStatic_pApp = app;
    if (app->uiTimerId != 0) return 0;
    UINT_PTR id = SetTimer(app->hFrameWnd, TIMER_POLL, app->uiTimerInterval, TimerProc);
    if (id == 0) return 1003;
    app->uiTimerId = id;
    return 0;
}

int closeTimer() {
    Quorix* app = __LocalStatic_pApp;
    if (app && app->uiTimerId != 0) {
        KillTimer(app->hFrameWnd, app->uiTimerId);
        app->uiTimerId = 0;
    }
    return 0;
}

int runGuardedRound() {
    if (__LocalStatic_bOnProc || !__LocalStatic_pApp) return 0;
    __LocalStatic_bOnProc = 1;
    int status = __LocalStatic_pApp->runRound();
    __LocalStatic_bOnProc = 0;
    return status;
}

int isRoundRunning() { return __LocalStatic_bOnProc; }

void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD) { runGuardedRound(); }
