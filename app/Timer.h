#pragma once
// The poll timer: a window timer on the frame window that runs one poll round per tick.

#include <windows.h>

class Quorix;

int startTimer(Quorix* app);
int closeTimer();
// One poll round under the timer's re-entry guard; the message loop's input
// events use it too. Returns the round's status, 0 when none ran.
int runGuardedRound();
int isRoundRunning();
void CALLBACK TimerProc(HWND hwnd, UINT msg, UINT_PTR id, DWORD time);
