// Tray icon and application state.

#include <cstring>

#include "app/Quorix.h"

void Quorix::fillTrayRecord(NOTIFYICONDATAA& nid, UINT flags, HICON icon) {
    memset(&nid, 0, sizeof nid);
    // The first record layout: Windows refuses sizes it does not know (Wine is
    // lenient), and in a 64-bit build that layout is not 88 bytes but this.
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = hFrameWnd;
    nid.uID = 1;
    nid.uFlags = flags;
    nid.uCallbackMessage = WM_TRAYICON;
    nid.hIcon = icon;
    if (flags & NIF_TIP) strcpy(nid.szTip, "Quorix");
}

int Quorix::createSysTrayIcon() {
    NOTIFYICONDATAA nid;
    fillTrayRecord(nid, NIF_MESSAGE | NIF_ICON | NIF_TIP, hTrayIcon1);
    pShellNotifyIcon(NIM_ADD, &nid);
    // Explorer announces a restart with this message; the icon is added again then.
    if (!uTaskbarCreatedMsg) uTaskbarCreatedMsg = RegisterWindowMessageA("TaskbarCreated");
    return 0;
}

int Quorix::readdSysTrayIcon() {
    NOTIFYICONDATAA nid;
    fillTrayRecord(nid, NIF_MESSAGE | NIF_ICON | NIF_TIP,
                   (usStateFlags & STATEFLAG_IL2_CONNECTED) ? hTrayIcon2 : hTrayIcon1);
    pShellNotifyIcon(NIM_ADD, &nid);
    return 0;
}

int Quorix::updateSysTrayIcon() {
    if (usState != STATE_RUNNING) return 0;
    NOTIFYICONDATAA nid;
    fillTrayRecord(nid, NIF_ICON, (usStateFlags & STATEFLAG_IL2_CONNECTED) ? hTrayIcon2 : hTrayIcon1);
    pShellNotifyIcon(NIM_MODIFY, &nid);
    return 0;
}

int Quorix::removeSysTrayIcon() {
    NOTIFYICONDATAA nid;
    fillTrayRecord(nid, 0, nullptr);
    pShellNotifyIcon(NIM_DELETE, &nid);
    return 0;
}

int Quorix::setState(unsigned short s) {
    if (s == usState) return 0;
    usState = s;
    usStateFlags = 0;
    return updateSysTrayIcon();
}

int Quorix::setStateFlag(unsigned short f) {
    if (usStateFlags & f) return 0;
    usStateFlags = static_cast<unsigned short>(usStateFlags | f);
    return usStateFlags ? updateSysTrayIcon() : 0;
}

int Quorix::remStateFlag(unsigned short f) {
    if (!(usStateFlags & f)) return 0;
    usStateFlags = static_cast<unsigned short>(usStateFlags & ~f);
    return updateSysTrayIcon();
}

int Quorix::showBalloon(const char* title, const char* text) {
    NOTIFYICONDATAA nid;
    fillTrayRecord(nid, NIF_INFO, nullptr);
    nid.cbSize = NOTIFYICONDATAA_V2_SIZE;
    lstrcpynA(nid.szInfoTitle, title, sizeof nid.szInfoTitle);
    lstrcpynA(nid.szInfo, text, sizeof nid.szInfo);
    nid.dwInfoFlags = NIIF_INFO;
    pShellNotifyIcon(NIM_MODIFY, &nid);
    return 0;
}
