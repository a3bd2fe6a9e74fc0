#include "support/SetTextCounter.h"

#include <commctrl.h>

namespace {
const UINT_PTR kSubclassId = 0x5154;
const int kFields[] = {2, 4, 5};

LRESULT CALLBACK countSetText(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR ref) {
    SetTextCounter* counter = reinterpret_cast<SetTextCounter*>(ref);
    if (msg == WM_SETTEXT && hwnd != counter->hDlg) ++counter->lWrites;
    if (msg == WM_DRAWITEM && wParam == 220 && hwnd == counter->hDlg) ++counter->lPlotPaints;
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}
}  // namespace

SetTextCounter::SetTextCounter(HWND dlg) : hDlg(dlg) {
    SetWindowSubclass(dlg, countSetText, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    for (int n = 1; n <= 8; ++n)
        for (int f : kFields)
            SetWindowSubclass(GetDlgItem(dlg, 1000 + 100 * n + f), countSetText, kSubclassId,
                              reinterpret_cast<DWORD_PTR>(this));
}

SetTextCounter::~SetTextCounter() {
    if (IsWindow(hDlg)) RemoveWindowSubclass(hDlg, countSetText, kSubclassId);
    for (int n = 1; n <= 8 && IsWindow(hDlg); ++n)
        for (int f : kFields) RemoveWindowSubclass(GetDlgItem(hDlg, 1000 + 100 * n + f), countSetText, kSubclassId);
}
