#pragma once
// Counts the WM_SETTEXT messages that reach the raw, reported and corrected
// fields of the eight axis rows of a "DLGCFG" dialog of this process, to prove
// that a still controller costs the dialog no control writes.

#include <windows.h>

class SetTextCounter {
public:
    explicit SetTextCounter(HWND dlg);
    ~SetTextCounter();
    SetTextCounter(const SetTextCounter&) = delete;
    SetTextCounter& operator=(const SetTextCounter&) = delete;

    long lWrites = 0;
    HWND hDlg;
};
