// qxctl: small remote control for a running quorix.exe, for scripts and tests.
//   qxctl wait [ms]   waits until the program's frame window exists (default 10000 ms)
//   qxctl close       asks the program to end (WM_CLOSE to its frame window)
//   qxctl quit        chooses "Quit" in the tray menu (WM_COMMAND 999)
//   qxctl configure   chooses "Configure..." in the tray menu (WM_COMMAND 101)
//   qxctl closeconfig [ms]  waits for the configuration dialog, presses its "Close"
//                     (WM_COMMAND 101) and waits until it is gone (default 10000 ms)

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

static HWND frameWindow() { return FindWindowA("Quorix", "Quorix"); }
static HWND configDialog() { return FindWindowA("#32770", "Quorix - Ombrisal for IL-2"); }

// Waits up to limit ms for the dialog to exist (bWant true) or be gone (false).
static bool waitDialog(bool bWant, DWORD limit) {
    DWORD start = GetTickCount();
    while ((configDialog() != nullptr) != bWant) {
        if (GetTickCount() - start >= limit) return false;
        Sleep(50);
    }
    return true;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: qxctl wait [ms] | close | quit | configure | closeconfig [ms]\n");
        return 2;
    }
    if (strcmp(argv[1], "wait") == 0) {
        DWORD limit = argc > 2 ? static_cast<DWORD>(strtoul(argv[2], nullptr, 10)) : 10000;
        DWORD start = GetTickCount();
        while (!frameWindow()) {
            if (GetTickCount() - start >= limit) {
                fprintf(stderr, "qxctl: no Quorix window after %lu ms\n", static_cast<unsigned long>(limit));
                return 1;
            }
            Sleep(50);
        }
        return 0;
    }
    if (strcmp(argv[1], "closeconfig") == 0) {
        DWORD limit = argc > 2 ? static_cast<DWORD>(strtoul(argv[2], nullptr, 10)) : 10000;
        if (!waitDialog(true, limit)) {
            fprintf(stderr, "qxctl: no configuration dialog after %lu ms\n", static_cast<unsigned long>(limit));
            return 1;
        }
        // Posted, as a click on "Close" would arrive.
        HWND dlg = configDialog();
        PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(101, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, 101)));
        if (!waitDialog(false, limit)) {
            fprintf(stderr, "qxctl: the configuration dialog is still open after %lu ms\n",
                    static_cast<unsigned long>(limit));
            return 1;
        }
        return 0;
    }
    if (strcmp(argv[1], "close") == 0 || strcmp(argv[1], "quit") == 0 || strcmp(argv[1], "configure") == 0) {
        HWND hwnd = frameWindow();
        if (!hwnd) {
            fprintf(stderr, "qxctl: Quorix is not running\n");
            return 1;
        }
        // Posted: "Configure..." opens a modal dialog, and a sent message would wait for it.
        if (strcmp(argv[1], "close") == 0)
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
        else
            PostMessageA(hwnd, WM_COMMAND, argv[1][0] == 'q' ? 999 : 101, 0);
        return 0;
    }
    fprintf(stderr, "qxctl: unknown command %s\n", argv[1]);
    return 2;
}
