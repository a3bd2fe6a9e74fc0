#pragma once
// Placing windows on the screen.

#include <windows.h>

// Centres wnd on parent (null: the desktop). 1 moved; 0 not moved.
int CenterWindow(HWND parent, HWND wnd);
