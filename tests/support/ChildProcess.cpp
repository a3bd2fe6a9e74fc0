#include "support/ChildProcess.h"

#include <vector>

ChildProcess::~ChildProcess() { kill(); }

bool ChildProcess::start(const std::string& commandLine) {
    kill();  // a finished earlier run: release its handles
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    std::vector<char> cmd(commandLine.begin(), commandLine.end());
    cmd.push_back('\0');
    return CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) != 0;
}

bool ChildProcess::waitExit(DWORD ms, DWORD& exitCode) {
    if (!pi.hProcess || WaitForSingleObject(pi.hProcess, ms) != WAIT_OBJECT_0) return false;
    GetExitCodeProcess(pi.hProcess, &exitCode);
    return true;
}

bool ChildProcess::running() const {
    return pi.hProcess && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT;
}

void ChildProcess::kill() {
    if (!pi.hProcess) return;
    if (running()) {
        TerminateProcess(pi.hProcess, 99);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    pi = PROCESS_INFORMATION{};
}

HWND findProcessWindow(DWORD pid, const char* cls, const char* title, const std::function<bool(HWND)>& also) {
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, cls, title)) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid && (!also || also(w))) return w;
    }
    return nullptr;
}
