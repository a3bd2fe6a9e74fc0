// Tray icon and application state.

#include <cstring>

#include "app/Quorix.h"

void Quorix::fillTrayRecord(NOTIFYICONDATAA& nid, UINT flags, HICON icon) {
    memset(&nid, 0, sizeof nid);
    // The second record layout, the first with balloons: Windows refuses sizes it does
    // not know (Wine is lenient). NIM_SETVERSION is never sent: version 4 would change
    // the callback's lParam, which the tray menu relies on.
    nid.cbSize = NOTIFYICONDATAA_V2_SIZE;
    nid.hWnd = hFrameWnd;
    nid.uID = 1;
    nid.uFlags = flags;
    nid.uCallbackMessage = WM_TRAYICON;
    nid.hIcon = icon;
    if (flags & NIF_TIP) StrCopyCut(nid.szTip, sizeof nid.szTip, sTrayTip.text());
}

int Quorix::createSysTrayIcon() {
    updateTrayTip();  // not sent: the icon is added with it
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

int Quorix::updateTrayTip() {
    MyString tip(!il2Com.bConnected         ? "Quorix - IL-2 not found"
                 : il2Com.iInCockpit == 1 ? "Quorix - in cockpit"
                                          : "Quorix - connected");
    if (pActProfile) {
        tip += " - ";
        tip += pActProfile->name;
    }
    char cut[sizeof(NOTIFYICONDATAA::szTip)];
    StrCopyCut(cut, sizeof cut, tip.text());
    if (sTrayTip == cut) return 0;
    sTrayTip = cut;
    // Before the start has finished the icon is added with it; when closing it is gone.
    if (usState != STATE_RUNNING) return 0;
    NOTIFYICONDATAA nid;
    fillTrayRecord(nid, NIF_TIP, nullptr);
    pShellNotifyIcon(NIM_MODIFY, &nid);
    return 0;
}

int Quorix::showBalloon(const char* title, const char* text) {
    NOTIFYICONDATAA nid;
    fillTrayRecord(nid, NIF_INFO, nullptr);
    StrCopyCut(nid.szInfoTitle, sizeof nid.szInfoTitle, title);
    StrCopyCut(nid.szInfo, sizeof nid.szInfo, text);
    nid.dwInfoFlags = NIIF_INFO;
    nid.uTimeout = 10000;  // heeded before Vista only
    return pShellNotifyIcon(NIM_MODIFY, &nid) ? 0 : 1;
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
