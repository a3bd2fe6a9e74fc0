#include "support/SetTextCounter.h"

#include <commctrl.h>

namespace {
const UINT_PTR kSubclassId = 0x5154;
const int kFields[] = {2, 4, 5};

LRESULT CALLBACK countSetText(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR ref) {
    if (msg == WM_SETTEXT) ++reinterpret_cast<SetTextCounter*>(ref)->lWrites;
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}
}  // namespace

SetTextCounter::SetTextCounter(HWND dlg) : hDlg(dlg) {
    for (int n = 1; n <= 8; ++n)
        for (int f : kFields)
            SetWindowSubclass(GetDlgItem(dlg, 1000 + 100 * n + f), countSetText, kSubclassId,
                              reinterpret_cast<DWORD_PTR>(this));
}

SetTextCounter::~SetTextCounter() {
    for (int n = 1; n <= 8 && IsWindow(hDlg); ++n)
        for (int f : kFields) RemoveWindowSubclass(GetDlgItem(hDlg, 1000 + 100 * n + f), countSetText, kSubclassId);
}
