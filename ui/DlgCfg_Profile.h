#pragma once
// The axis settings dialog "DLGCFG_PROFILE": calibration range, jitter filter,
// G940 correction and the 20-point sensitivity curve of one assignment.

#include <windows.h>

class Quorix;
class ProfileDev2Axis;

struct DlgCfg_Profile_Param {
    Quorix* pApplication;    // builds the temporary assignment that holds the defaults
    ProfileDev2Axis* pAxis;  // the live assignment; written only by "OK"
};

int DlgCfg_Profile_initSettings(HWND hDlg, ProfileDev2Axis* pAxis);
int DlgCfg_Profile_initSensitivity(HWND hDlg, ProfileDev2Axis* pAxis);
int DlgCfg_Profile_configureSensitivity(HWND hDlg);
int DlgCfg_Profile_setDefaultSettings(HWND hDlg, DlgCfg_Profile_Param* pParam);
int DlgCfg_Profile_setDefaultAll(HWND hDlg, DlgCfg_Profile_Param* pParam);
int DlgCfg_Profile_readSettings(int& bOk, DlgCfg_Profile_Param* pParam, HWND hDlg);
int DlgCfg_Profile_readSensitivity(int& bOk, DlgCfg_Profile_Param* pParam, HWND hDlg);

INT_PTR CALLBACK DlgCfg_ProfileProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);
