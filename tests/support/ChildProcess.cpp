#include "support/ChildProcess.h"

#include <cstring>
#include <vector>

ChildProcess::~ChildProcess() { kill(); }

bool ChildProcess::start(const std::string& commandLine, const std::string& extraEnv) {
    kill();  // a finished earlier run: release its handles
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    std::vector<char> cmd(commandLine.begin(), commandLine.end());
    cmd.push_back('\0');
    std::vector<char> env;
    if (!extraEnv.empty()) {
        // Our own environment with NAME=VALUE replaced (one pair; the value may hold ';').
        std::string name = extraEnv.substr(0, extraEnv.find('=') + 1);
        char* block = GetEnvironmentStringsA();
        for (char* p = block; *p; p += strlen(p) + 1) {
            if (_strnicmp(p, name.c_str(), name.size()) == 0) continue;
            env.insert(env.end(), p, p + strlen(p) + 1);
        }
        FreeEnvironmentStringsA(block);
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        env.push_back('\0');
        env.push_back('\0');
    }
    return CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, env.empty() ? nullptr : env.data(),
                          nullptr, &si, &pi) != 0;
}

bool ChildProcess::waitExit(DWORD ms, DWORD& exitCode) {
    if (!pi.hProcess) return false;
    if (WaitForSingleObject(pi.hProcess, ms) != WAIT_OBJECT_0) return false;
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

namespace {
struct FindArgs { DWORD pid; const char* cls; const char* title; HWND found; };

BOOL CALLBACK findProc(HWND hwnd, LPARAM lp) {
    FindArgs* a = reinterpret_cast<FindArgs*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != a->pid) return TRUE;
    char buf[256] = {};
    GetClassNameA(hwnd, buf, sizeof buf);
    if (a->cls && strcmp(buf, a->cls) != 0) return TRUE;
    GetWindowTextA(hwnd, buf, sizeof buf);
    if (a->title && strcmp(buf, a->title) != 0) return TRUE;
    a->found = hwnd;
    return FALSE;
}
}  // namespace

HWND findProcessWindow(DWORD pid, const char* cls, const char* title) {
    FindArgs a = {pid, cls, title, nullptr};
    EnumWindows(findProc, reinterpret_cast<LPARAM>(&a));
    return a.found;
}
