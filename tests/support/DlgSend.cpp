#include "support/DlgSend.h"

#include <atomic>
#include <thread>

#include "support/DlgDriver.h"

namespace {
const char kPromptCaption[] = "Quorix - Ombrisal for IL-2";

void nap() { MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT); }

// Joins a helper that may be asking this thread's windows for their captions
// (a sent message): a plain join would wait on a thread that waits on us.
void joinPumping(std::thread& t, std::atomic<bool>& finished) {
    dlgWait([&] { return finished.load(); }, INFINITE);
    t.join();
}
}  // namespace

std::string sendAnswering(HWND dlg, int id, const char* caption, int button, int code) {
    std::atomic<bool> done(false), finished(false);
    std::string text;
    std::thread answerer([&] {
        struct Flag { std::atomic<bool>& f; ~Flag() { f = true; } } flag{finished};
        while (!done) {
            HWND box = findDlg(0, caption, button);
            if (box && !boxText(box).empty()) {
                text = boxText(box);
                PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
                return;
            }
            nap();
        }
    });
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
    done = true;
    joinPumping(answerer, finished);
    return text;
}

std::vector<std::string> answerPrompts(DWORD pid, HWND dlg, int id, const std::vector<const char*>& answers) {
    std::atomic<bool> done(false), finished(false);
    std::vector<std::string> seen;
    std::thread answerer([&] {
        struct Flag { std::atomic<bool>& f; ~Flag() { f = true; } } flag{finished};
        DWORD start = GetTickCount();
        while (!done && GetTickCount() - start < kDlgWaitMs && (!pid || seen.size() < answers.size())) {
            // The prompt shares its caption with the main dialog but lacks its profile list.
            HWND p = findDlg(pid, kPromptCaption, 103, 104);
            if (!p) {
                nap();
                continue;
            }
            seen.push_back(dlgText(p, 101) + "|" + dlgText(p, 103));
            const char* a = seen.size() <= answers.size() ? answers[seen.size() - 1] : nullptr;
            if (a) dlgSetText(p, 103, a);
            dlgCommand(p, a ? IDOK : IDCANCEL);
            // The next prompt is a new window, made after this one is gone.
            while (IsWindow(p) && GetTickCount() - start < kDlgWaitMs) nap();
            start = GetTickCount();
        }
    });
    if (pid) {
        PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
    } else {
        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
        done = true;
    }
    joinPumping(answerer, finished);
    return seen;
}
