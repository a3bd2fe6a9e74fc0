#include "support/VirtualLoop.h"

namespace {
const LONGLONG kTickUs = 15625;  // Windows' default timer resolution
const LONGLONG kMoveUs = 1000;   // a controller reporting at 1 kHz
}  // namespace

VirtualLoop::VirtualLoop(bool bTimer, int iMoves, std::function<void(int)> move, std::function<long()> reads)
    : llFirstMoveUs(0), llLastMoveUs(0), bTimer(bTimer), iMoves(iMoves), move(move), reads(reads) {}

int VirtualLoop::run(Quorix& app) {
    iLastReads = reads();
    llFirstMoveUs = llNow + kMoveUs;
    llLastMoveUs = llFirstMoveUs + (iMoves - 1) * kMoveUs;
    MessageLoopSeam seam = {nowUs, createTimer, setTimer, wait, this};
    return runMessageLoop(app, seam);
}

int VirtualLoop::roundsInBurst() const {
    int n = 0;
    for (LONGLONG t : allRoundsUs) n += t >= llFirstMoveUs && t <= llLastMoveUs;
    return n;
}

LONGLONG VirtualLoop::lastValueDelayUs() const {
    for (LONGLONG t : allRoundsUs)
        if (t >= llLastMoveUs) return t - llLastMoveUs;
    return -1;
}

LONGLONG VirtualLoop::nowUs(void* p) { return static_cast<VirtualLoop*>(p)->llNow; }

HANDLE VirtualLoop::createTimer(void* p) {
    VirtualLoop* v = static_cast<VirtualLoop*>(p);
    // The loop owns and closes it; an auto-reset event stands for the timer.
    return v->bTimer ? (v->hTimer = CreateEventA(nullptr, FALSE, FALSE, nullptr)) : nullptr;
}

BOOL VirtualLoop::setTimer(void* p, HANDLE h, LONGLONG llUs) {
    VirtualLoop* v = static_cast<VirtualLoop*>(p);
    if (llUs > 0) ResetEvent(h);  // as SetWaitableTimer does
    v->llTimerDue = llUs > 0 ? v->llNow + llUs : -1;
    return TRUE;
}

DWORD VirtualLoop::wait(void* p, DWORD n, const HANDLE* ah, DWORD dwMs) {
    VirtualLoop* v = static_cast<VirtualLoop*>(p);
    // A round ran since the last wait, at the time that wait ended.
    long r = v->reads();
    if (r != v->iLastReads) v->allRoundsUs.push_back(v->llNow), v->iLastReads = r;
    bool bTimerWaited = false;
    for (DWORD i = 0; i < n; ++i) bTimerWaited = bTimerWaited || ah[i] == v->hTimer;
    // Windows ends a time-out on a tick of its clock: here it lasts whole ticks from its start.
    const LONGLONG llWake = dwMs == INFINITE ? -1 : v->llNow + (dwMs * 1000LL + kTickUs - 1) / kTickUs * kTickUs;
    for (;;) {
        if (HIWORD(GetQueueStatus(QS_ALLINPUT))) return WAIT_OBJECT_0 + n;
        DWORD w = n ? WaitForMultipleObjects(n, ah, FALSE, 0) : WAIT_TIMEOUT;
        if (w < WAIT_OBJECT_0 + n) return w;
        LONGLONG llMove = v->iNextMove < v->iMoves ? v->llFirstMoveUs + v->iNextMove * kMoveUs : -1;
        LONGLONG llTimer = bTimerWaited ? v->llTimerDue : -1;
        LONGLONG llNext = llMove;
        if (llTimer >= 0 && (llNext < 0 || llTimer < llNext)) llNext = llTimer;
        if (llWake >= 0 && (llNext < 0 || llWake <= llNext)) {
            if (llWake > v->llNow) v->llNow = llWake;
            return WAIT_TIMEOUT;
        }
        if (llNext < 0) {  // the burst is over and nothing is waited for
            PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 0, 0);
            return WAIT_OBJECT_0 + n;
        }
        v->llNow = llNext;
        if (llNext == llMove) v->move(v->iNextMove++);
        if (llNext == llTimer) v->llTimerDue = -1, SetEvent(v->hTimer);
    }
}
