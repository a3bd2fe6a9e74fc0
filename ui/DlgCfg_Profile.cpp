#include "ui/DlgCfg_Profile.h"

#include <commctrl.h>

#include "base/MyDlgFuncs.h"
#include "base/MyWndFuncs.h"
#include "profile/ProfileDev2Axis.h"
#include "res/resource.h"
#include "ui/ResponsePlot.h"

namespace {
// Trackbar T and 21050 - T are mirror partners (point k and point 19 - k).
const int IDC_PROF_TRACK_MIRROR = 2 * IDC_PROF_TRACK_FIRST + (TRANSLATE_POINTS - 1) * IDC_PROF_TRACK_STEP;

// Hundredths of the jitter threshold, truncated toward zero. The product is nudged
// first: 0.29 * 100 is 28.999... in binary and would otherwise show (and, after
// "OK", store) 28.
int jitterHundredths(double d) {
    double x = d * 100.0;
    return static_cast<int>(x + (x < 0 ? -1e-6 : 1e-6));
}

inline int trackId(int k) { return IDC_PROF_TRACK_FIRST + IDC_PROF_TRACK_STEP * k; }

// Only the 20 trackbars: the mirror arithmetic must never reach another control.
int isTrackId(int id) {
    int d = id - IDC_PROF_TRACK_FIRST;
    return d >= 0 && d % IDC_PROF_TRACK_STEP == 0 && d / IDC_PROF_TRACK_STEP < TRANSLATE_POINTS;
}

int getTrackPos(HWND hDlg, int id) { return static_cast<int>(SendDlgItemMessageA(hDlg, id, TBM_GETPOS, 0, 0)); }
void setTrackPos(HWND hDlg, int id, int pos) { SendDlgItemMessageA(hDlg, id, TBM_SETPOS, TRUE, pos); }

// A trackbar's value is 100 - its position: dragging a thumb up raises the value.
void showPoint(HWND hDlg, int id, int pos) {
    setTrackPos(hDlg, id, pos);
    setDlgItemInt(hDlg, id + 1, 100 - pos, 1);
}

void mirrorLeftHalf(HWND hDlg) {
    for (int k = 0; k < TRANSLATE_POINTS / 2; ++k) {
        int t = trackId(k);
        showPoint(hDlg, t, getTrackPos(hDlg, IDC_PROF_TRACK_MIRROR - t));
    }
}

void onTrackMoved(HWND hDlg, WPARAM wParam, LPARAM lParam) {
    int t = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
    int code = LOWORD(wParam);
    if (!isTrackId(t) || code > TB_ENDTRACK || code == TB_TOP || code == TB_BOTTOM) return;
    int p = (code == TB_THUMBPOSITION || code == TB_THUMBTRACK) ? HIWORD(wParam) : getTrackPos(hDlg, t);
    setDlgItemInt(hDlg, t + 1, 100 - p, 1);
    if (isDlgItemChecked(hDlg, IDC_PROF_AXIS50)) showPoint(hDlg, IDC_PROF_TRACK_MIRROR - t, p);
}

void setAllTo100(HWND hDlg) {
    for (int k = 0; k < TRANSLATE_POINTS; ++k)
        if (setDlgItemInt(hDlg, trackId(k) + 1, 100, 1) == 0) setTrackPos(hDlg, trackId(k), 0);
}

// The curve the trackbars hold now, through a scratch assignment (the live one changes
// only with "OK"), with the stick's live point on it.
void paintPlot(HWND hDlg, DlgCfg_Profile_Param* pParam, const DRAWITEMSTRUCT& item) {
    ProfileDev2Axis scratch(*pParam->pApplication, IDIL_NONE, nullptr);
    DlgCfg_Profile_Param held = {pParam->pApplication, &scratch, hDlg, -1.0};
    int bOk = 0;
    DlgCfg_Profile_readSensitivity(bOk, &held, hDlg);
    double y = -1.0;
    scratch.applyCurve(y, pParam->dPlotReport);
    drawResponsePlot(item, &scratch, pParam->dPlotReport, y);
}

void onOk(HWND hDlg, DlgCfg_Profile_Param* pParam) {
    int bOk = 0;
    if (DlgCfg_Profile_readSettings(bOk, pParam, hDlg) != 0 || !bOk) return;
    if (DlgCfg_Profile_readSensitivity(bOk, pParam, hDlg) != 0 || !bOk) return;
    // The new settings reach the simulator at the next round, even at rest.
    pParam->pAxis->forgetLastRaw();
    EndDialog(hDlg, IDOK);
}
}  // namespace

int DlgCfg_Profile_initSettings(HWND hDlg, ProfileDev2Axis* pAxis) {
    int status = setDlgItemInt(hDlg, IDC_PROF_MIN, pAxis->iMinCalibVal, 1);
    if (status == 0) status = setDlgItemInt(hDlg, IDC_PROF_MAX, pAxis->iMaxCalibVal, 1);
    if (status == 0) status = setDlgItemInt(hDlg, IDC_PROF_G940, static_cast<int>(pAxis->dRvBugCor), 1);
    if (status == 0) status = setDlgItemInt(hDlg, IDC_PROF_JITTER, jitterHundredths(pAxis->dFilterJitter), 1);
    return status;
}

int DlgCfg_Profile_initSensitivity(HWND hDlg, ProfileDev2Axis* pAxis) {
    int status = 0;
    for (int k = 0; k < TRANSLATE_POINTS; ++k) {
        int t = trackId(k);
        SendDlgItemMessageA(hDlg, t, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
        SendDlgItemMessageA(hDlg, t, TBM_SETTICFREQ, 10, 0);
        int v = 100;
        status = pAxis->getTranslate(v, k);
        if (status == 0) setDlgItemInt(hDlg, t + 1, v, 1);
        setTrackPos(hDlg, t, 100 - v);
    }
    setDlgItemCheck(hDlg, IDC_PROF_AXIS100, pAxis->bIs50Axis == 0);
    setDlgItemCheck(hDlg, IDC_PROF_AXIS50, pAxis->bIs50Axis != 0);
    return status;
}

int DlgCfg_Profile_configureSensitivity(HWND hDlg) {
    int bCentred = isDlgItemChecked(hDlg, IDC_PROF_AXIS50);
    for (int k = 0; k < TRANSLATE_POINTS; ++k) {
        ShowWindow(GetDlgItem(hDlg, IDC_PROF_LABEL50_FIRST + k), bCentred ? SW_SHOW : SW_HIDE);
        ShowWindow(GetDlgItem(hDlg, IDC_PROF_LABEL100_FIRST + k), bCentred ? SW_HIDE : SW_SHOW);
    }
    return 0;
}

int DlgCfg_Profile_setDefaultSettings(HWND hDlg, DlgCfg_Profile_Param* pParam) {
    ProfileDev2Axis defaults(*pParam->pApplication, IDIL_NONE, nullptr);
    return DlgCfg_Profile_initSettings(hDlg, &defaults);
}

int DlgCfg_Profile_setDefaultAll(HWND hDlg, DlgCfg_Profile_Param* pParam) {
    ProfileDev2Axis defaults(*pParam->pApplication, IDIL_NONE, nullptr);
    int status = DlgCfg_Profile_initSettings(hDlg, &defaults);
    if (status == 0) status = DlgCfg_Profile_initSensitivity(hDlg, &defaults);
    if (status == 0) status = DlgCfg_Profile_configureSensitivity(hDlg);
    return status;
}

int DlgCfg_Profile_readSettings(int& bOk, DlgCfg_Profile_Param* pParam, HWND hDlg) {
    bOk = 0;
    // Unsigned and at most five digits, so every number fits an int; no number reads as 0.
    int iMin = static_cast<int>(GetDlgItemInt(hDlg, IDC_PROF_MIN, nullptr, FALSE));
    int iMax = static_cast<int>(GetDlgItemInt(hDlg, IDC_PROF_MAX, nullptr, FALSE));
    int iRvBug = static_cast<int>(GetDlgItemInt(hDlg, IDC_PROF_G940, nullptr, FALSE));
    int iJitter = static_cast<int>(GetDlgItemInt(hDlg, IDC_PROF_JITTER, nullptr, FALSE));
    if (iMin < iMax) {
        ProfileDev2Axis* a = pParam->pAxis;
        a->iMinCalibVal = iMin;
        a->iMaxCalibVal = iMax;
        a->dRvBugCor = iRvBug;
        a->dFilterJitter = iJitter / 100.0;
        bOk = 1;
    } else {
        MessageBoxA(hDlg, "Minimum Raw value cannot be greater or equal Maximum Raw Value", "G940ReversalBugFix",
                    MB_OK);
    }
    return 0;
}

int DlgCfg_Profile_readSensitivity(int& bOk, DlgCfg_Profile_Param* pParam, HWND hDlg) {
    bOk = 1;
    int status = 0;
    for (int k = 0; k < TRANSLATE_POINTS; ++k) {
        int v = 100 - getTrackPos(hDlg, trackId(k));
        status = pParam->pAxis->setTranslate(k, v < 0 ? 0 : v > 100 ? 100 : v);
    }
    pParam->pAxis->bIs50Axis = isDlgItemChecked(hDlg, IDC_PROF_AXIS50) ? 1 : 0;
    return status;
}

int DlgCfg_Profile_updLivePoint(DlgCfg_Profile_Param* pParam) {
    const double x = pParam->pAxis->dLastValReport;
    if (!pParam->hDlg || x == pParam->dPlotReport) return 0;
    pParam->dPlotReport = x;
    return redrawResponsePlot(pParam->hDlg, IDC_PROF_PLOT);
}

INT_PTR CALLBACK DlgCfg_ProfileProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    static DlgCfg_Profile_Param* pParam = nullptr;
    switch (msg) {
    case WM_INITDIALOG:
        pParam = reinterpret_cast<DlgCfg_Profile_Param*>(lParam);
        pParam->hDlg = hDlg;
        pParam->dPlotReport = pParam->pAxis->dLastValReport;
        CenterWindow(nullptr, hDlg);
        SendDlgItemMessageA(hDlg, IDC_PROF_MIN, EM_LIMITTEXT, 5, 0);
        SendDlgItemMessageA(hDlg, IDC_PROF_MAX, EM_LIMITTEXT, 5, 0);
        SendDlgItemMessageA(hDlg, IDC_PROF_G940, EM_LIMITTEXT, 2, 0);
        SendDlgItemMessageA(hDlg, IDC_PROF_JITTER, EM_LIMITTEXT, 2, 0);
        DlgCfg_Profile_initSettings(hDlg, pParam->pAxis);
        DlgCfg_Profile_initSensitivity(hDlg, pParam->pAxis);
        DlgCfg_Profile_configureSensitivity(hDlg);
        return TRUE;
    case WM_VSCROLL:
        onTrackMoved(hDlg, wParam, lParam);
        redrawResponsePlot(hDlg, IDC_PROF_PLOT);
        return TRUE;
    case WM_DRAWITEM:
        if (wParam != IDC_PROF_PLOT) return FALSE;
        paintPlot(hDlg, pParam, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            onOk(hDlg, pParam);
            return TRUE;
        case IDCANCEL:
            EndDialog(hDlg, IDCANCEL);
            return TRUE;
        case IDC_PROF_ALL_DEFAULTS:
            if (MessageBoxA(hDlg, "Sure?", "Reset to defaults", MB_YESNO) != IDYES) return TRUE;
            DlgCfg_Profile_setDefaultAll(hDlg, pParam);
            break;
        case IDC_PROF_SET_DEFAULT:
            DlgCfg_Profile_setDefaultSettings(hDlg, pParam);
            return TRUE;
        case IDC_PROF_AXIS100:
            DlgCfg_Profile_configureSensitivity(hDlg);
            break;
        case IDC_PROF_AXIS50:
            mirrorLeftHalf(hDlg);
            DlgCfg_Profile_configureSensitivity(hDlg);
            break;
        case IDC_PROF_ALL100:
            setAllTo100(hDlg);
            break;
        default:
            return TRUE;
        }
        // The commands that get here changed the curve the trackbars hold.
        redrawResponsePlot(hDlg, IDC_PROF_PLOT);
        return TRUE;
    }
    return FALSE;
}
