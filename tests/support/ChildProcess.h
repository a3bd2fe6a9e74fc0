#pragma once
// A program started by a test, ended by the test at the latest in the destructor.

#include <windows.h>

#include <functional>
#include <string>

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts commandLine (the exe path quoted if needed) in our environment; false when it cannot start.
    bool start(const std::string& commandLine);
    bool waitExit(DWORD ms, DWORD& exitCode);
    bool running() const;
    void kill();
    DWORD pid() const { return pi.dwProcessId; }

private:
    PROCESS_INFORMATION pi = {};
};

HWND findProcessWindow(DWORD pid, const char* cls, const char* title, const std::function<bool(HWND)>& also = nullptr);
