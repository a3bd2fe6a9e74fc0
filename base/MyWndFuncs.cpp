#include "base/MyWndFuncs.h"

int CenterWindow(HWND parent, HWND wnd) {
    if (!parent) parent = GetDesktopWindow();
    if (!parent || !wnd) return 0;
    RECT p, w;
    if (!GetWindowRect(parent, &p) || !GetWindowRect(wnd, &w)) return 0;
    // Counted inclusive (+1), and the parent's right and bottom stand for its size:
    // exact for the desktop, whose rectangle starts at 0, 0.
    long width = w.right - w.left + 1;
    long height = w.bottom - w.top + 1;
    if (width > p.right || height > p.bottom) return 0;
    SetWindowPos(wnd, nullptr, (p.right - width) / 2, (p.bottom - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER);
    return 1;
}
