#pragma once
// Counts WM_SETTEXT to the raw, reported and corrected fields of the eight axis rows of a
// "DLGCFG" dialog of this process, and the paints of its response plot (WM_DRAWITEM for
// 220): a still controller must cost the dialog no writes and no paints.

#include <windows.h>

class SetTextCounter {
public:
    explicit SetTextCounter(HWND dlg);
    ~SetTextCounter();
    SetTextCounter(const SetTextCounter&) = delete;
    SetTextCounter& operator=(const SetTextCounter&) = delete;

    long lWrites = 0;
    long lPlotPaints = 0;
    HWND hDlg;
};
