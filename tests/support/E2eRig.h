#pragma once
// A copy of the real quorix.exe beside our virtual dinput8.dll, and the stand-in simulator
// on 127.0.0.1: for the end-to-end tests and benchmark.

#include <windows.h>

#include <string>
#include <vector>

#include "il2sim/Il2SimServer.h"
#include "padsim/VirtualControllers.h"
#include "support/ChildProcess.h"
#include "support/Seeding.h"

// The program's settings key, as the program uses it.
extern const char* const kQuorixRegRoot;
void clearQuorixSettings();

// The real quorix.exe, ended by the test at the latest in the destructor.
class QuorixProcess : public ChildProcess {
public:
    HWND frame() const { return findProcessWindow(pid(), "Quorix", "Quorix"); }
    // Sends "Quit" from the tray menu and waits for the exit; false if it did not end.
    bool quit(DWORD& exitCode, DWORD ms = 15000);
};

class E2eRig {
public:
    E2eRig();
    ~E2eRig();
    // Copies quorix.exe and the virtual dinput8.dll into a folder of their own.
    bool prepare();
    // Starts the copy with args (" /log") and waits for its frame window; false if it did not appear.
    bool startQuorix(const std::string& args = "");
    std::vector<std::string> commands() const;
    bool waitForCommand(const std::string& text, DWORD ms) const;

    Il2SimServer sim;
    VirtualControllers pads;
    QuorixProcess quorix;
    std::string sAppDir;
};
