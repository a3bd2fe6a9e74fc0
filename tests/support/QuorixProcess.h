#pragma once
// The real quorix.exe, started by an end-to-end test in a fresh registry state.

#include <windows.h>

#include <string>

#include "support/ChildProcess.h"

// The program's settings key, as the program uses it.
extern const char* const kQuorixRegRoot;
// Removes every stored setting of the program.
void clearQuorixSettings();

class QuorixProcess : public ChildProcess {
public:
    // Starts quorix.exe and waits for its frame window; false if it did not appear.
    bool startAndWait(const std::string& extraEnv = std::string(), const std::string& exe = std::string(),
                      DWORD ms = 20000);
    // The frame window (class "Quorix") of this process, or null.
    HWND frame() const { return findProcessWindow(pid(), "Quorix", "Quorix"); }
    // Sends "Quit" from the tray menu and waits for the exit; false if it did not end.
    bool quit(DWORD& exitCode, DWORD ms = 15000);
};
