#pragma once
// Stands in for Shell_NotifyIconA and records every request the program makes.

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

struct ShellRequest {
    DWORD message, cbSize;
    HWND hWnd;
    UINT uID, uFlags, uCallbackMessage;
    HICON hIcon;
    std::string tip;
    std::string info, infoTitle; DWORD dwInfoFlags;  // a balloon's
};

extern std::vector<ShellRequest> gShellRequests;
BOOL WINAPI recordShellNotifyIcon(DWORD message, PNOTIFYICONDATAA data);
// The tooltip the last request set; "" when it set none.
inline std::string lastTip() { return gShellRequests.empty() ? "" : gShellRequests.back().tip; }
