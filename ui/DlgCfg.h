#pragma once
// The main configuration dialog "DLGCFG": its state, drawing and live-value operations.

#include <windows.h>

#include "hw/HwDevice.h"
#include "hw/IdHwAxis.h"
#include "il2/ILDevice.h"

class Quorix;
class Profile;
struct DlgCfg_Profile_Param;

// Field of an axis row: control id = row base id (1000 + 100 * IdHwAxis) + field.
enum DlgCfg_idAxisField {
    fieldLabel = 1,
    fieldRaw = 2,
    fieldInvert = 3,
    fieldReported = 4,
    fieldCorrected = 5,
    fieldSendAs = 6,
    fieldConfig = 7,
};

class DlgCfg {
public:
    explicit DlgCfg(Quorix& app);
    ~DlgCfg() {}
    DlgCfg(const DlgCfg&) = delete;
    DlgCfg& operator=(const DlgCfg&) = delete;

    int drawProfileList();
    int addProfileListItem(Profile* profile, int bSelect);
    int drawIL2Connect();
    int updateIL2Connect(int bConnected);
    int updateIL2Cockpit(int bInCockpit);
    int drawHwDevList(int bRedraw);
    int addHwDevListItem(HwDevice* dev, int index, int bSelect);
    int drawHwDev();
    int drawHwDevAxis(HwAxis* axis, int baseIdc);
    int addILDevListItem(const char* name, IdILDevice id, int idc, int bSelect);
    int unsetHwDev();
    int unsetHwDevAxis(int baseIdc);
    int getHwDevAxisBaseIdc(IdHwAxis id);
    int getHwDevAxisIdcField(int baseIdc, DlgCfg_idAxisField field);
    int updHwAxisValRaw(IdHwAxis id, long raw);
    int updHwAxisValReport(IdHwAxis id, double value);
    int updHwAxisValCorrected(IdHwAxis id, double value);
    int drawTimer();
    int updTicks();

    // The response plot (219, 220): draws the shown axis's curve again (the first assigned
    // axis when it shows none of the shown device); touchPlotAxis makes axis the shown one;
    // paintPlot answers its WM_DRAWITEM.
    int drawPlot();
    int touchPlotAxis(HwAxis* axis);
    int paintPlot(const DRAWITEMSTRUCT& item);

    // Trackbar 212 notifications (WM_HSCROLL).
    int onPollScroll(int code);
    // Ends the open sub-windows and the dialog as a user would, for "Quit";
    // 0 when no dialog was open.
    int endForQuit();

    // Editing commands (ui/DlgCfgCommands.cpp).
    int onProfileSelect();
    int onProfileRename();
    int onProfileDelete();
    int onProfileCreate();
    int onServerDialog();
    int onHwDevSelect();
    int onHwDevRename();
    int setAxisInvert(HwAxis* axis, int bInvert);
    int setAxisDevice(HwAxis* axis, int idc);
    // "Send as" notifications: applies a final choice only (opened list, or focus leaving).
    int onAxisSendAs(HwAxis* axis, int idc, int code);
    // Makes the shown device's axes drive what their rows show (a choice made with the keys).
    int applyShownSendAs();
    // Every end of the dialog comes here while the rows still exist: the choice they
    // show is applied, then nobody writes into the dialog any more (hDlg NULL).
    int onDlgEnd();
    int onAxisConfig(HwAxis* axis);

    Quorix& app;
    HWND hDlg;
    HwDevice* pHwDev;
    unsigned int lastTickSecond;
    int redrawValues;
    // Something was changed while the dialog was open: saved when it ends.
    int bDirty;

    HwAxis* pPlotAxis;               // the shown device's axis whose response the plot shows; null: none
    double dPlotReport;              // the live point the plot shows (-1: none read yet)
    double dPlotCorrected;
    DWORD dwPlotSince;               // link tick when the plot took its axis
    double adPlotFrom[HWA_COUNT];    // every axis's reported value then (-1: none yet)
    DlgCfg_Profile_Param* pAxisDlg;  // the open axis settings dialog, fed the live point; null: none

private:
    // The live feed wrote a reported value of axis of the shown device.
    int followPlot(HwAxis& axis, double value);
    // The shown axis's point from its assignment; a paint only when it moved, or when bRedraw.
    int updPlotPoint(int bRedraw);
};

INT_PTR CALLBACK DlgCfgProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);
