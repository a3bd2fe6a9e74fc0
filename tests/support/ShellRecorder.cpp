#include "support/ShellRecorder.h"

std::vector<ShellRequest> gShellRequests;

BOOL WINAPI recordShellNotifyIcon(DWORD message, PNOTIFYICONDATAA d) {
    ShellRequest r{message, d->cbSize, d->hWnd, d->uID, d->uFlags, d->uCallbackMessage, d->hIcon, std::string()};
    if (d->uFlags & NIF_TIP) r.tip.assign(d->szTip, strnlen(d->szTip, sizeof d->szTip));
    if (d->uFlags & NIF_INFO) r.info.assign(d->szInfo, strnlen(d->szInfo, sizeof d->szInfo));
    gShellRequests.push_back(r);
    return TRUE;
}
