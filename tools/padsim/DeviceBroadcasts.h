#pragma once
// The device events Windows sends a window, with the names it gives HID
// interfaces, and the top-level usage behind those names: the plug watcher
// announces the virtual controllers with them, and in-process tests send the
// events of other devices (a mouse, a USB drive) and the bursts of a composite
// controller. Events are sent, never posted: the system sends them too.

#include <windows.h>

// The interface name of virtual controller iCtrl (0-based), collection iCol, as
// Windows names a HID interface ("\\?\HID#VID_1209&PID_C0DE&Col01#...").
void padsimInterfaceName(char (&out)[128], int iCtrl, int iCol);
// WM_DEVICECHANGE wEvent with a HID interface record naming that interface;
// wait at most dwMs for the window (0: no limit).
void padsimSendInterfaceEvent(HWND hwnd, WPARAM wEvent, const char* name, DWORD dwMs = 0);
// A HID mouse's interface arrives (usage page 1, usage 2).
void padsimSendMouseArrival(HWND hwnd);
// A USB drive or mounted disk image: Windows broadcasts it to every top-level window.
void padsimSendVolumeArrival(HWND hwnd);
// The top-level usage of an interface named as above: the controllers are
// joysticks (1, 4), the mouse a mouse (1, 2). Any other name cannot be opened: 1.
int padsimHidTopUsage(unsigned short& usPage, unsigned short& usUsage, const char* name);
