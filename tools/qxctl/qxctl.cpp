// qxctl: small remote control for a running quorix.exe, for scripts and tests.
//   qxctl wait [ms]        waits until the program's frame window exists (default 10000 ms)
//   qxctl close            asks the program to end (WM_CLOSE to its frame window)
//   qxctl quit             chooses "Quit" in the tray menu (WM_COMMAND 999)
//   qxctl configure        chooses "Configure..." in the tray menu (WM_COMMAND 101)
//   qxctl menu             right-clicks the tray icon: the tray menu opens at the cursor
//   qxctl escape           presses Escape in the program's thread (closes an open tray menu)
//   qxctl click DLG ID     clicks control ID of dialog DLG (BM_CLICK, posted)
//   qxctl rect DLG [ms]    waits for DLG (default 10000 ms) and prints "x y width height"
//   qxctl closeconfig [ms] waits for the configuration dialog, presses its "Close" and
//                          waits until it is gone (default 10000 ms)
// DLG: main (configuration), axis (axis settings), name (name prompt),
// server (server address) or menu (the open tray menu).

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

static HWND frameWindow() { return FindWindowA("Quorix", "Quorix"); }
static const char kCaption[] = "Quorix - Ombrisal for IL-2";
enum { WM_TRAYICON = WM_USER + 1 };  // the frame window's tray icon callback

struct Lookup {
    const char* which;
    HWND found;
};

// The three dialogs titled kCaption differ by a control only one of them has.
static bool isWanted(HWND hwnd, const char* which) {
    char cls[64] = "", text[128] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    if (!IsWindowVisible(hwnd)) return false;
    if (strcmp(which, "menu") == 0) return strcmp(cls, "#32768") == 0;
    if (strcmp(cls, "#32770") != 0) return false;
    GetWindowTextA(hwnd, text, sizeof text);
    if (strcmp(which, "server") == 0) return strcmp(text, "IL2 Device Link Server") == 0;
    if (strcmp(text, kCaption) != 0) return false;
    if (strcmp(which, "main") == 0) return GetDlgItem(hwnd, 104) != nullptr && GetDlgItem(hwnd, 1107) != nullptr;
    if (strcmp(which, "axis") == 0) return GetDlgItem(hwnd, 10050) != nullptr;
    if (strcmp(which, "name") == 0) return GetDlgItem(hwnd, 103) != nullptr && GetDlgItem(hwnd, 104) == nullptr;
    return false;
}

static BOOL CALLBACK visit(HWND hwnd, LPARAM param) {
    Lookup* l = reinterpret_cast<Lookup*>(param);
    if (!isWanted(hwnd, l->which)) return TRUE;
    l->found = hwnd;
    return FALSE;
}

static HWND findDialog(const char* which, DWORD limit) {
    DWORD start = GetTickCount();
    for (;;) {
        Lookup l = {which, nullptr};
        EnumWindows(visit, reinterpret_cast<LPARAM>(&l));
        if (l.found) return l.found;
        if (GetTickCount() - start >= limit) return nullptr;
        Sleep(50);
    }
}

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: qxctl wait [ms] | close | quit | configure | menu | escape | click DLG ID | rect DLG [ms] |"
                        " closeconfig [ms]\n");
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
    if (strcmp(argv[1], "click") == 0 || strcmp(argv[1], "rect") == 0) {
        if (argc < 3 || (argv[1][0] == 'c' && argc < 4)) {
            fprintf(stderr, "qxctl: %s needs a dialog%s\n", argv[1], argv[1][0] == 'c' ? " and a control id" : "");
            return 2;
        }
        DWORD limit = argv[1][0] == 'r' && argc > 3 ? static_cast<DWORD>(strtoul(argv[3], nullptr, 10)) : 10000;
        HWND dlg = findDialog(argv[2], limit);
        if (!dlg) {
            fprintf(stderr, "qxctl: no open dialog %s\n", argv[2]);
            return 1;
        }
        if (argv[1][0] == 'r') {
            RECT r;
            GetWindowRect(dlg, &r);
            printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
            return 0;
        }
        HWND ctl = GetDlgItem(dlg, static_cast<int>(strtol(argv[3], nullptr, 10)));
        if (!ctl) {
            fprintf(stderr, "qxctl: dialog %s has no control %s\n", argv[2], argv[3]);
            return 1;
        }
        // Posted: a click that opens a modal dialog would hold a sent message until it closes.
        PostMessageA(ctl, BM_CLICK, 0, 0);
        return 0;
    }
    if (strcmp(argv[1], "closeconfig") == 0) {
        DWORD limit = argc > 2 ? static_cast<DWORD>(strtoul(argv[2], nullptr, 10)) : 10000;
        HWND dlg = findDialog("main", limit);
        if (!dlg) {
            fprintf(stderr, "qxctl: no configuration dialog after %lu ms\n", static_cast<unsigned long>(limit));
            return 1;
        }
        // Posted, as a click on "Close" would arrive.
        PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(101, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, 101)));
        DWORD start = GetTickCount();
        while (IsWindow(dlg)) {
            if (GetTickCount() - start >= limit) {
                fprintf(stderr, "qxctl: the configuration dialog is still open after %lu ms\n",
                        static_cast<unsigned long>(limit));
                return 1;
            }
            Sleep(50);
        }
        return 0;
    }
    if (strcmp(argv[1], "close") == 0 || strcmp(argv[1], "quit") == 0 || strcmp(argv[1], "configure") == 0 ||
        strcmp(argv[1], "menu") == 0 || strcmp(argv[1], "escape") == 0) {
        HWND hwnd = frameWindow();
        if (!hwnd) {
            fprintf(stderr, "qxctl: Quorix is not running\n");
            return 1;
        }
        // Posted: "Configure..." opens a modal dialog, and a sent message would wait for it.
        if (strcmp(argv[1], "close") == 0)
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
        else if (strcmp(argv[1], "menu") == 0)
            PostMessageA(hwnd, WM_TRAYICON, 0, WM_RBUTTONDOWN);
        else if (strcmp(argv[1], "escape") == 0)
            // The menu loop reads the keys of its whole thread.
            PostMessageA(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
        else
            PostMessageA(hwnd, WM_COMMAND, argv[1][0] == 'q' ? 999 : 101, 0);
        return 0;
    }
    fprintf(stderr, "qxctl: unknown command %s\n", argv[1]);
    return 2;
}
