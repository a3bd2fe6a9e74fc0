#pragma once
// Counts the WM_SETTEXT messages that reach chosen controls of this process, to
// prove that a still controller costs the dialog no control writes.

#include <windows.h>

#include <map>

class SetTextCounter {
public:
    SetTextCounter() = default;
    ~SetTextCounter();
    SetTextCounter(const SetTextCounter&) = delete;
    SetTextCounter& operator=(const SetTextCounter&) = delete;

    void watch(HWND ctrl);
    // The raw, reported and corrected fields of the eight axis rows of "DLGCFG".
    void watchAxisRows(HWND dlg);
    long total() const;
    long of(HWND ctrl) const;
    void reset();

    std::map<HWND, long> counts;
};
