#pragma once
// The axis settings dialog "DLGCFG_PROFILE": calibration range, jitter filter,
// G940 correction and the 20-point sensitivity curve of one assignment.

#include <windows.h>

class Quorix;
class ProfileDev2Axis;

struct DlgCfg_Profile_Param {
    Quorix* pApplication;    // builds the temporary assignments (defaults, the plotted curve)
    ProfileDev2Axis* pAxis;  // the live assignment; written only by "OK"
    HWND hDlg;               // the open dialog, set by it: the main dialog's live feed reaches it here
    double dPlotReport;      // pAxis's reported value where the plot's point stands (-1: none yet)
};

int DlgCfg_Profile_initSettings(HWND hDlg, ProfileDev2Axis* pAxis);
int DlgCfg_Profile_initSensitivity(HWND hDlg, ProfileDev2Axis* pAxis);
int DlgCfg_Profile_configureSensitivity(HWND hDlg);
int DlgCfg_Profile_setDefaultSettings(HWND hDlg, DlgCfg_Profile_Param* pParam);
int DlgCfg_Profile_setDefaultAll(HWND hDlg, DlgCfg_Profile_Param* pParam);
int DlgCfg_Profile_readSettings(int& bOk, DlgCfg_Profile_Param* pParam, HWND hDlg);
int DlgCfg_Profile_readSensitivity(int& bOk, DlgCfg_Profile_Param* pParam, HWND hDlg);
// The live feed changed pAxis's values: the plot's point follows its reported value.
int DlgCfg_Profile_updLivePoint(DlgCfg_Profile_Param* pParam);

INT_PTR CALLBACK DlgCfg_ProfileProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);
