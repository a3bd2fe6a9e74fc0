#include "support/ShellRecorder.h"

std::vector<ShellRequest> gShellRequests;

BOOL WINAPI recordShellNotifyIcon(DWORD message, PNOTIFYICONDATAA d) {
    auto text = [](const char* field, size_t size) { return std::string(field, strnlen(field, size)); };
    gShellRequests.push_back({message, d->cbSize, d->hWnd, d->uID, d->uFlags, d->uCallbackMessage, d->hIcon,
                              d->uFlags & NIF_TIP ? text(d->szTip, sizeof d->szTip) : "", text(d->szInfo, 256),
                              text(d->szInfoTitle, 64), d->dwInfoFlags});
    return TRUE;
}
