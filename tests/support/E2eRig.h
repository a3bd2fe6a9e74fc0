#pragma once
// The real quorix.exe with the virtual controllers (our own dinput8.dll beside a
// copy of it) and the stand-in simulator on 127.0.0.1, for end-to-end tests and
// the end-to-end benchmark.

#include <windows.h>

#include <string>
#include <vector>

#include "il2sim/Il2SimServer.h"
#include "support/QuorixProcess.h"
#include "support/Seeding.h"
#include "padsim/VirtualControllers.h"

class E2eRig {
public:
    E2eRig();
    ~E2eRig();
    // Copies quorix.exe and the virtual dinput8.dll into a folder of their own.
    bool prepare();
    // Starts the program there with Wine told to load our dinput8.dll.
    bool startQuorix();
    // Command datagrams that arrived so far, in order.
    std::vector<std::string> commands() const;
    // Waits until a command datagram equal to text arrived; true if it did.
    bool waitForCommand(const std::string& text, DWORD ms) const;

    Il2SimServer sim;
    VirtualControllers pads;
    QuorixProcess quorix;
    std::string sAppDir;
};
