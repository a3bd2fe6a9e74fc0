#pragma once
// Runs a real application object in the test process: real window, timer and
// registry (below a scratch key), with the shell and DirectInput replaced.

#include <windows.h>

#include "app/Quorix.h"
#include "support/Pads.h"

extern const char* const kTestRegRoot;

void deleteTestSettings();


class AppHarness {
public:
    AppHarness();
    ~AppHarness();
    // init() on the test exe's own resources; returns its status.
    int init();
    // Destroys the frame window as "Quit" does, if it still exists.
    void quit();

    // Declared before the application object, which it must outlive. It starts
    // with no controller; tests add them before init().
    VirtualDirectInput di;
    Quorix app;
    HINSTANCE hInst;
};
