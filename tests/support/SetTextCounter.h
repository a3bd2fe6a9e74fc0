#pragma once
// Counts WM_SETTEXT to the raw, reported and corrected fields of the eight axis rows of a
// "DLGCFG" dialog of this process: a still controller must cost the dialog no writes.

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
