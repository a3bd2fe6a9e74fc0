#include "support/SetTextCounter.h"

#include <commctrl.h>

namespace {
const UINT_PTR kSubclassId = 0x5154;

LRESULT CALLBACK countSetText(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR ref) {
    if (msg == WM_SETTEXT) ++reinterpret_cast<SetTextCounter*>(ref)->counts[hwnd];
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}
}  // namespace

SetTextCounter::~SetTextCounter() {
    for (auto& c : counts)
        if (IsWindow(c.first)) RemoveWindowSubclass(c.first, countSetText, kSubclassId);
}

void SetTextCounter::watch(HWND ctrl) {
    if (ctrl && SetWindowSubclass(ctrl, countSetText, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        counts[ctrl] = 0;
}

void SetTextCounter::watchAxisRows(HWND dlg) {
    for (int n = 1; n <= 8; ++n)
        for (int field : {2, 4, 5}) watch(GetDlgItem(dlg, 1000 + 100 * n + field));
}

long SetTextCounter::total() const {
    long sum = 0;
    for (const auto& c : counts) sum += c.second;
    return sum;
}

long SetTextCounter::of(HWND ctrl) const {
    auto it = counts.find(ctrl);
    return it == counts.end() ? 0 : it->second;
}

void SetTextCounter::reset() {
    for (auto& c : counts) c.second = 0;
}
