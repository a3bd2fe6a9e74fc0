#pragma once
// Drives dialogs of this process or another as a user would; controls are read with window
// messages, which cross processes (GetWindowText does not for another process's controls).

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

const DWORD kDlgWaitMs = 10000;

// Waits for pred() with a deadline, dispatching the calling thread's messages meanwhile.
bool dlgWait(const std::function<bool()>& pred, DWORD ms = kDlgWaitMs);

// Waits for a visible top-level window of process pid (0: this process) with that caption
// that holds a control with id onlyCtrl (0: any) and none with id lacksCtrl (0: no test);
// null if none came. "DLGSTR" has no id of its own: 103 without 104.
HWND waitDlg(DWORD pid, const char* caption, int onlyCtrl = 0, int lacksCtrl = 0, DWORD ms = kDlgWaitMs);

std::string dlgText(HWND dlg, int id);  // WM_GETTEXT; id 0: the window's own text
bool dlgSetText(HWND dlg, int id, const char* text);
int dlgCheck(HWND dlg, int id);  // BM_GETCHECK
bool dlgEnabled(HWND dlg, int id);
int dlgTrackPos(HWND dlg, int id);
std::vector<std::string> dlgComboItems(HWND dlg, int id);
int dlgComboSel(HWND dlg, int id);  // CB_ERR (-1) for none

// Chooses text in combo id as a user does: opens the list, steps to the entry, presses Enter. The
// keys are posted, for the dialog's message loop to hand on.
void dlgPick(HWND dlg, int id, const std::string& text);
// Posted, never sent: the command may open a modal window.
void dlgCommand(HWND dlg, int id, int code = BN_CLICKED);
// A real click (BM_CLICK): automatic radio and check boxes change, disabled controls ignore it.
void dlgClick(HWND dlg, int id);
// Waits for a message box with that caption, returns its text and presses button; "" if none came.
std::string answerBox(DWORD pid, const char* caption, int button, DWORD ms = kDlgWaitMs);

// In-process, where a box blocks this thread: sends command id to dlg while a helper thread
// answers the box with that caption with button. The box's text, "" if none opened.
std::string sendAnswering(HWND dlg, int id, const char* caption, int button);
// Runs command id of dlg and answers its name prompts ("DLGSTR") in turn: types the next
// answer and presses "OK" ("Cancel" for null). Returns each prompt as "prompt|name". In
// this process (pid 0) the command is sent and further prompts are cancelled; to another
// it is posted and the call returns when the last answered prompt is gone.
std::vector<std::string> answerPrompts(DWORD pid, HWND dlg, int id, const std::vector<const char*>& answers);
