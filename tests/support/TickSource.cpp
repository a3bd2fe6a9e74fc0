#include "support/TickSource.h"

DWORD gTestTick = 0;
DWORD WINAPI testTick() { return gTestTick; }
