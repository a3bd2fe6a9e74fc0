#pragma once
// The top-level usage of a HID interface, read from the system: tells a game
// controller's arrival from a mouse's, a keyboard's or a headset's.

// 0 with the usage page and usage of the interface's top-level collection; 1
// when the interface cannot be opened or read (a removed one, for instance).
int hidTopUsage(unsigned short& usPage, unsigned short& usUsage, const char* name);
typedef int (*HidTopUsageFn)(unsigned short& usPage, unsigned short& usUsage, const char* name);

// Whether that usage is a game controller's: generic desktop (1) joystick (4),
// game pad (5) or multi-axis controller (8).
inline int isGameControllerUsage(unsigned short usPage, unsigned short usUsage) {
    return usPage == 1 && (usUsage == 4 || usUsage == 5 || usUsage == 8);
}
