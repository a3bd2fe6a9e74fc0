#pragma once
// A millisecond tick that tests move by hand (for the link's once-a-second test).

#include <windows.h>

inline DWORD gTestTick = 0;
inline DWORD WINAPI testTick() { return gTestTick; }
