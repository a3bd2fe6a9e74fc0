#include "support/DlgDriver.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "support/ChildProcess.h"

bool dlgWait(const std::function<bool()>& pred, DWORD ms) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (pred()) return true;
        if (GetTickCount() - start >= ms) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

static HWND findDlg(DWORD pid, const char* caption, int onlyCtrl, int lacksCtrl) {
    // FindWindowEx compares the stored caption and sends no message, unlike GetWindowText for a window
    // of another thread of this process, which waits on that thread: a test thread joining this helper.
    return findProcessWindow(pid ? pid : GetCurrentProcessId(), nullptr, caption, [&](HWND w) {
        return IsWindowVisible(w) && (!onlyCtrl || GetDlgItem(w, onlyCtrl)) && !(lacksCtrl && GetDlgItem(w, lacksCtrl));
    });
}

HWND waitDlg(DWORD pid, const char* caption, int onlyCtrl, int lacksCtrl, DWORD ms) {
    HWND found = nullptr;
    dlgWait([&] { return (found = findDlg(pid, caption, onlyCtrl, lacksCtrl)) != nullptr; }, ms);
    return found;
}

static HWND item(HWND dlg, int id) { return id ? GetDlgItem(dlg, id) : dlg; }

std::string dlgText(HWND dlg, int id) {
    char buf[1024] = {};
    SendMessageA(item(dlg, id), WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
    return buf;
}

bool dlgSetText(HWND dlg, int id, const char* text) {
    return SendMessageA(item(dlg, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0;
}

int dlgCheck(HWND dlg, int id) { return static_cast<int>(SendDlgItemMessageA(dlg, id, BM_GETCHECK, 0, 0)); }
bool dlgEnabled(HWND dlg, int id) { return IsWindowEnabled(GetDlgItem(dlg, id)) != 0; }
int dlgTrackPos(HWND dlg, int id) { return static_cast<int>(SendDlgItemMessageA(dlg, id, TBM_GETPOS, 0, 0)); }
int dlgComboSel(HWND dlg, int id) { return static_cast<int>(SendDlgItemMessageA(dlg, id, CB_GETCURSEL, 0, 0)); }

std::vector<std::string> dlgComboItems(HWND dlg, int id) {
    std::vector<std::string> items;
    int n = static_cast<int>(SendDlgItemMessageA(dlg, id, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        // Wine 8 hands an ANSI CB_GETLBTEXT from another process back in UTF-16
        // ("A\0i\0..." reads as "A"); the wide form crosses correctly on both.
        WCHAR wide[512] = {};
        char buf[1024] = {};
        SendDlgItemMessageW(dlg, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(wide));
        WideCharToMultiByte(CP_ACP, 0, wide, -1, buf, sizeof buf, nullptr, nullptr);
        items.push_back(buf);
    }
    return items;
}

void dlgPick(HWND dlg, int id, const std::string& text) {
    std::vector<std::string> items = dlgComboItems(dlg, id);
    int to = int(std::find(items.begin(), items.end(), text) - items.begin()), at = dlgComboSel(dlg, id);
    HWND combo = GetDlgItem(dlg, id);
    SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
    for (; at != to; at += at < to ? 1 : -1) PostMessageA(combo, WM_KEYDOWN, at < to ? VK_DOWN : VK_UP, 0);
    PostMessageA(combo, WM_KEYDOWN, VK_RETURN, 0);
}

void dlgCommand(HWND dlg, int id, int code) {
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

void dlgClick(HWND dlg, int id) { PostMessageA(GetDlgItem(dlg, id), BM_CLICK, 0, 0); }

static std::string boxText(HWND box) {
    // Windows numbers the text control 0xFFFF, Wine 100.
    HWND text = GetDlgItem(box, 0xFFFF);
    return dlgText(text ? text : GetDlgItem(box, 100), 0);
}

// A box of that caption showing its text: presses button and hands the text back.
static bool tryAnswer(DWORD pid, const char* caption, int button, std::string& text) {
    // Only boxes: a dialog of the same caption has no button of the box's kind and a text control.
    HWND box = findDlg(pid, caption, button, 0);
    if (!box || (text = boxText(box)).empty()) return false;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    return true;
}

std::string answerBox(DWORD pid, const char* caption, int button, DWORD ms) {
    std::string text;
    dlgWait([&] { return tryAnswer(pid, caption, button, text); }, ms);
    return text;
}

static void sendCommand(HWND dlg, int id) {
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

std::string sendAnswering(HWND dlg, int id, const char* caption, int button) {
    std::atomic<bool> sent(false);
    std::string text;
    std::thread answerer([&] { dlgWait([&] { return sent || tryAnswer(0, caption, button, text); }); });
    sendCommand(dlg, id);
    sent = true;
    answerer.join();
    return text;
}

std::vector<std::string> answerPrompts(DWORD pid, HWND dlg, int id, const std::vector<const char*>& answers) {
    std::atomic<bool> sent(false);
    std::vector<std::string> seen;
    std::thread answerer([&] {
        HWND p = nullptr;  // the prompt has the main dialog's caption, not its profile list
        while (dlgWait([&] { return sent || (p = findDlg(pid, "Quorix - Ombrisal for IL-2", 103, 104)); }) && !sent) {
            seen.push_back(dlgText(p, 101) + "|" + dlgText(p, 103));
            const char* a = seen.size() <= answers.size() ? answers[seen.size() - 1] : nullptr;
            if (a) dlgSetText(p, 103, a);
            dlgCommand(p, a ? IDOK : IDCANCEL);
            // The next prompt is a new window, made after this one is gone.
            if (!dlgWait([&] { return !IsWindow(p); }) || (pid && seen.size() >= answers.size())) break;
        }
    });
    if (pid) dlgCommand(dlg, id);
    else sendCommand(dlg, id);
    sent = !pid;
    answerer.join();
    return seen;
}
