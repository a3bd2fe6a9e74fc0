#pragma once
// The program's message loop on a virtual clock, as Windows times it: a
// time-out lasts whole ticks of 15.625 ms, a high-resolution timer (when not
// refused) fires on time. A controller moves once per millisecond
// for a burst; the clock jumps to whatever comes next, so a run takes no real time.

#include <functional>
#include <vector>

#include "app/MessageLoop.h"

class VirtualLoop {
public:
    // move(k) makes the k-th move; reads() counts the program's reads of that controller.
    VirtualLoop(bool bTimer, int iMoves, std::function<void(int)> move, std::function<long()> reads);
    // Runs the loop until the burst is over and nothing waits any more; the loop's result.
    int run(Quorix& app);

    // After run(): the virtual times of the rounds that read the controller, and of its moves.
    std::vector<LONGLONG> allRoundsUs;
    LONGLONG llFirstMoveUs, llLastMoveUs;
    // Rounds from the first move to the last, and the delay of the round that read the last one.
    int roundsInBurst() const;
    LONGLONG lastValueDelayUs() const;

private:
    static LONGLONG nowUs(void* p);
    static HANDLE createTimer(void* p);
    static BOOL setTimer(void* p, HANDLE h, LONGLONG llUs);
    static DWORD wait(void* p, DWORD n, const HANDLE* ah, DWORD dwMs);

    bool bTimer;
    int iMoves, iNextMove = 0;
    std::function<void(int)> move;
    std::function<long()> reads;
    long iLastReads = 0;
    LONGLONG llNow = 1000000, llTimerDue = -1;
    HANDLE hTimer = nullptr;
};
