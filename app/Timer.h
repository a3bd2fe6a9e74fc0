#pragma once
// The poll timer: a window timer on the frame window that runs one poll round per tick.

#include <windows.h>

class Quorix;

int startTimer(Quorix* app);
int closeTimer();
void CALLBACK TimerProc(HWND hwnd, UINT msg, UINT_PTR id, DWORD time);
