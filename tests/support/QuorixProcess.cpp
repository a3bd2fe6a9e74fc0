#include "support/QuorixProcess.h"

#include "support/TestPaths.h"

const char* const kQuorixRegRoot = "Software\\Velmora\\Quorix";

void clearQuorixSettings() { RegDeleteTreeA(HKEY_CURRENT_USER, kQuorixRegRoot); }

bool QuorixProcess::startAndWait(const std::string& extraEnv, const std::string& exe, DWORD ms) {
    if (!start("\"" + (exe.empty() ? exePath("quorix.exe") : exe) + "\"", extraEnv)) return false;
    return waitFor(ms, [this] { return frame() != nullptr || !running(); }) && frame() != nullptr;
}

bool QuorixProcess::quit(DWORD& exitCode, DWORD ms) {
    HWND hwnd = frame();
    if (!hwnd) return false;
    PostMessageA(hwnd, WM_COMMAND, 999, 0);
    return waitExit(ms, exitCode);
}
