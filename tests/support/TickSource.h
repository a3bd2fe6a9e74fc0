#pragma once
// A millisecond tick that tests move by hand (for the link's once-a-second test).

#include <windows.h>

extern DWORD gTestTick;
DWORD WINAPI testTick();
