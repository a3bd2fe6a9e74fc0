#pragma once
// Commands to a dialog whose handler opens a modal window (a message box, the
// name prompt): a helper thread answers the window while the command runs, so a
// test neither blocks on it nor waits out a deadline when none comes.

#include <windows.h>

#include <string>
#include <vector>

// Sends WM_COMMAND (id, code) to dlg of this thread; a box with that caption
// opened meanwhile is answered with button. Returns its text, "" if none opened.
std::string sendAnswering(HWND dlg, int id, const char* caption, int button, int code = BN_CLICKED);

// Runs command id of dlg and answers its name prompts ("DLGSTR") in turn: types
// the next answer and presses "OK", or "Cancel" for a null answer. Returns what
// each prompt showed as "prompt|name". In this process (pid 0) the command is sent and prompts
// beyond the answers are cancelled; in another it is posted and the call
// returns after the last answer.
std::vector<std::string> answerPrompts(DWORD pid, HWND dlg, int id, const std::vector<const char*>& answers);
