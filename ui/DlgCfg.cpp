// The main configuration dialog: drawing its boxes, the live values of the shown
// device, the poll trackbar and the dialog procedure.

#include "ui/DlgCfg.h"

#include <commctrl.h>

#include <cstring>

#include "app/Quorix.h"
#include "base/MyDlgFuncs.h"
#include "base/MyMiscFuncs.h"
#include "base/MyWndFuncs.h"
#include "res/resource.h"
#include "ui/DlgCfg_Profile.h"
#include "ui/ResponsePlot.h"

DlgCfg::DlgCfg(Quorix& application)
    : app(application),
      hDlg(nullptr),
      pHwDev(nullptr),
      lastTickSecond(0),
      redrawValues(0),
      bDirty(0),
      pPlotAxis(nullptr),
      dPlotReport(-1.0),
      dPlotCorrected(-1.0),
      dwPlotSince(0),
      adPlotFrom(),
      pAxisDlg(nullptr) {}

int DlgCfg::drawProfileList() {
    SendDlgItemMessageA(hDlg, IDC_CFG_PROFILE_LIST, CB_RESETCONTENT, 0, 0);
    // Without an active profile (never after a normal start) there is nothing to
    // choose from: the list stays empty rather than offering one without selection.
    if (!app.pActProfile) return 0;
    ProfileArray& list = app.profiles;
    for (int i = 0; i < list.count; ++i) {
        Profile* profile = list.items[i];
        if (!profile) return 2;
        if (profile->bDeleted) continue;
        int status = addProfileListItem(profile, profile == app.pActProfile);
        if (status != 0) return status;
    }
    return 0;
}

// Adds text with its item data to a sorted combo box; 1 when the box refused it.
static int addComboItem(HWND dlg, int idc, const char* text, LPARAM data, int bSelect) {
    LRESULT pos = SendDlgItemMessageA(dlg, idc, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (pos < 0) return 1;
    if (SendDlgItemMessageA(dlg, idc, CB_SETITEMDATA, pos, data) == CB_ERR) return 1;
    if (bSelect) SendDlgItemMessageA(dlg, idc, CB_SETCURSEL, pos, 0);
    return 0;
}

int DlgCfg::addProfileListItem(Profile* profile, int bSelect) {
    return addComboItem(hDlg, IDC_CFG_PROFILE_LIST, profile->name.text(), reinterpret_cast<LPARAM>(profile), bSelect);
}

int DlgCfg::drawIL2Connect() {
    IL2Com& link = app.il2Com;
    int status = setDlgItemText(hDlg, IDC_CFG_IL2_ADDR, link.sIL2Addr);
    if (status == 0) status = setDlgItemInt(hDlg, IDC_CFG_IL2_PORT, link.iIL2Port, 0);
    if (status == 0) status = updateIL2Connect(link.bConnected);
    if (status == 0) status = updateIL2Cockpit(link.iInCockpit == 1);
    return status;
}

int DlgCfg::updateIL2Connect(int bConnected) { return setDlgItemCheck(hDlg, IDC_CFG_IL2_CONNECTED, bConnected); }

int DlgCfg::updateIL2Cockpit(int bInCockpit) { return setDlgItemCheck(hDlg, IDC_CFG_IL2_COCKPIT, bInCockpit); }

int DlgCfg::drawHwDevList(int bRedraw) {
    HwDeviceArray& list = app.hwDevices;
    if (pHwDev) {
        int bKnown = 0;
        for (int i = 0; i < list.count && !bKnown; ++i) bKnown = list.items[i] == pHwDev;
        if (!bKnown || !pHwDev->isConnected()) pHwDev = nullptr;
    }
    if (!bRedraw && !pHwDev) bRedraw = 1;
    SendDlgItemMessageA(hDlg, IDC_CFG_HW_LIST, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < list.count; ++i) {
        HwDevice* dev = list.items[i];
        if (!dev) return 2;
        if (!dev->isConnected()) continue;
        if (!pHwDev) pHwDev = dev;  // the first connected device is the default
        int status = addHwDevListItem(dev, i, dev == pHwDev);
        if (status != 0) return status;
    }
    return bRedraw ? drawHwDev() : 0;
}

int DlgCfg::addHwDevListItem(HwDevice* dev, int index, int bSelect) {
    MyString name;
    int status = dev->getUsrName(name);
    if (status != 0) return status;
    return addComboItem(hDlg, IDC_CFG_HW_LIST, name.text(), index, bSelect);
}

int DlgCfg::drawHwDev() {
    if (!pHwDev) {
        int status = unsetHwDev();
        return status == 0 ? drawPlot() : status;
    }
    setDlgItemActive(hDlg, IDC_CFG_HW_RENAME, 1);
    int status = setDlgItemText(hDlg, IDC_CFG_HW_INSTNAME, pHwDev->devInstance.tszInstanceName);
    if (status == 0) status = setDlgItemText(hDlg, IDC_CFG_HW_PRODNAME, pHwDev->devInstance.tszProductName);
    for (int i = 0; i < HWA_COUNT && status == 0; ++i) {
        HwAxis& axis = pHwDev->axes[i];
        status = drawHwDevAxis(&axis, getHwDevAxisBaseIdc(axis.id));
    }
    // The rows now show zeros: the next poll round repaints every value.
    if (status == 0) redrawValues = 1;
    // The bindings or the device may have changed under the plot.
    return status == 0 ? drawPlot() : status;
}

int DlgCfg::drawHwDevAxis(HwAxis* axis, int baseIdc) {
    int combo = getHwDevAxisIdcField(baseIdc, fieldSendAs);
    if (combo == 0 || !axis) return 0;
    SendDlgItemMessageA(hDlg, combo, CB_RESETCONTENT, 0, 0);
    int status = addILDevListItem("-- none --", IDIL_NONE, combo, axis->pILDevice == nullptr);
    ILDeviceArray& catalogue = app.ilDevices;
    for (int i = 0; i < catalogue.iCount && status == 0; ++i) {
        ILDevice* control = catalogue.apDevices[i];
        if (!control)
            status = 2;
        else
            status = addILDevListItem(control->sName.text(), control->id, combo, control == axis->pILDevice);
    }
    const int bTarget = axis->isAssigned();
    setDlgItemInt(hDlg, baseIdc + fieldRaw, 0, 1);
    setDlgItemCheck(hDlg, baseIdc + fieldInvert, bTarget ? axis->pDev2Axis->bInvert : 0);
    setDlgItemInt(hDlg, baseIdc + fieldReported, 0, 1);
    setDlgItemInt(hDlg, baseIdc + fieldCorrected, 0, 1);
    static const DlgCfg_idAxisField kFollowTarget[] = {fieldRaw, fieldInvert, fieldReported, fieldCorrected,
                                                       fieldConfig};
    for (DlgCfg_idAxisField f : kFollowTarget) setDlgItemActive(hDlg, baseIdc + f, bTarget);
    setDlgItemActive(hDlg, combo, 1);
    return status;
}

int DlgCfg::addILDevListItem(const char* name, IdILDevice id, int idc, int bSelect) {
    return addComboItem(hDlg, idc, name, id, bSelect);
}

int DlgCfg::unsetHwDev() {
    setDlgItemActive(hDlg, IDC_CFG_HW_RENAME, 0);  // nothing to rename
    int status = setDlgItemText(hDlg, IDC_CFG_HW_INSTNAME, "");
    if (status == 0) status = setDlgItemText(hDlg, IDC_CFG_HW_PRODNAME, "");
    for (int id = HWA_X; id <= HWA_SLD2 && status == 0; ++id)
        status = unsetHwDevAxis(getHwDevAxisBaseIdc(static_cast<IdHwAxis>(id)));
    return status;
}

int DlgCfg::unsetHwDevAxis(int baseIdc) {
    if (baseIdc == 0) return 0;
    SendDlgItemMessageA(hDlg, baseIdc + fieldSendAs, CB_RESETCONTENT, 0, 0);
    for (int f = fieldRaw; f <= fieldConfig; ++f) setDlgItemActive(hDlg, baseIdc + f, 0);
    int status = setDlgItemInt(hDlg, baseIdc + fieldRaw, 0, 0);
    if (status == 0) status = setDlgItemCheck(hDlg, baseIdc + fieldInvert, 0);
    if (status == 0) status = setDlgItemInt(hDlg, baseIdc + fieldReported, 0, 1);
    if (status == 0) status = setDlgItemInt(hDlg, baseIdc + fieldCorrected, 0, 1);
    return status;
}

int DlgCfg::getHwDevAxisBaseIdc(IdHwAxis id) {
    return (id >= HWA_X && id <= HWA_SLD2) ? IDC_CFG_AXIS_BASE + IDC_CFG_AXIS_STEP * id : 0;
}

int DlgCfg::getHwDevAxisIdcField(int baseIdc, DlgCfg_idAxisField field) {
    if (baseIdc == 0 || field < fieldLabel || field > fieldConfig) return 0;
    return baseIdc + field;
}

int DlgCfg::updHwAxisValRaw(IdHwAxis id, long raw) {
    int idc = getHwDevAxisIdcField(getHwDevAxisBaseIdc(id), fieldRaw);
    return idc ? setDlgItemInt(hDlg, idc, static_cast<int>(raw), 1) : 0;
}

int DlgCfg::updHwAxisValReport(IdHwAxis id, double value) {
    int idc = getHwDevAxisIdcField(getHwDevAxisBaseIdc(id), fieldReported);
    if (!idc) return 0;
    int status = setDlgItemDouble(hDlg, idc, value, 2);
    // Only the shown device's values come here, and apply has set the corrected one by now.
    return status == 0 && pHwDev ? followPlot(pHwDev->axes[id - HWA_X], value) : status;
}

int DlgCfg::updHwAxisValCorrected(IdHwAxis id, double value) {
    int idc = getHwDevAxisIdcField(getHwDevAxisBaseIdc(id), fieldCorrected);
    return idc ? setDlgItemDouble(hDlg, idc, value, 2) : 0;
}

int DlgCfg::drawPlot() {
    HwAxis* shown = nullptr;
    for (int i = 0; pHwDev && i < HWA_COUNT; ++i) {
        HwAxis* axis = &pHwDev->axes[i];
        if (axis->isAssigned() && (!shown || axis == pPlotAxis)) shown = axis;
    }
    if (shown != pPlotAxis) touchPlotAxis(shown);
    MyString text("Response");
    if (shown) {
        text += ": Axis ";
        text.appendVal(shown->id);
        text += " (";
        text += shown->pILDevice->sName;
        text += ")";
    }
    int status = setDlgItemText(hDlg, IDC_CFG_PLOT_GROUP, text);
    return status == 0 ? updPlotPoint(1) : status;
}

int DlgCfg::touchPlotAxis(HwAxis* axis) {
    pPlotAxis = axis;
    // Another axis takes the plot over only after moving 3 % from where it stands now.
    dwPlotSince = app.il2Com.pfnGetTickCount();  // the link's clock, which tests move by hand
    for (int i = 0; i < HWA_COUNT; ++i) {
        ProfileDev2Axis* a = pHwDev ? pHwDev->axes[i].pDev2Axis : nullptr;
        adPlotFrom[i] = a ? a->dLastValReport : -1.0;
    }
    return 0;
}

int DlgCfg::paintPlot(const DRAWITEMSTRUCT& item) {
    return drawResponsePlot(item, pPlotAxis ? pPlotAxis->pDev2Axis : nullptr, dPlotReport, dPlotCorrected);
}

int DlgCfg::followPlot(HwAxis& axis, double value) {
    if (pAxisDlg && axis.pDev2Axis == pAxisDlg->pAxis) DlgCfg_Profile_updLivePoint(pAxisDlg);
    if (&axis == pPlotAxis) return updPlotPoint(0);
    if (!axis.isAssigned() || value < 0.0) return 0;
    double& from = adPlotFrom[axis.id - HWA_X];
    if (from < 0.0) {
        from = value;  // its first value since the plot took its axis
        return 0;
    }
    // At least a second on one axis: a noisy axis cannot take the plot round after round.
    if (absf(value - from) < 3.0 || app.il2Com.pfnGetTickCount() - dwPlotSince < 1000) return 0;
    touchPlotAxis(&axis);
    return drawPlot();
}

int DlgCfg::updPlotPoint(int bRedraw) {
    const ProfileDev2Axis* a = pPlotAxis ? pPlotAxis->pDev2Axis : nullptr;
    const double x = a ? a->dLastValReport : -1.0, y = a ? a->dLastValCorrected : -1.0;
    if (!bRedraw && x == dPlotReport && y == dPlotCorrected) return 0;
    dPlotReport = x;
    dPlotCorrected = y;
    return redrawResponsePlot(hDlg, IDC_CFG_PLOT);
}

int DlgCfg::drawTimer() {
    SendDlgItemMessageA(hDlg, IDC_CFG_POLL_TRACKBAR, TBM_SETRANGE, TRUE, MAKELPARAM(10, 100));
    SendDlgItemMessageA(hDlg, IDC_CFG_POLL_TRACKBAR, TBM_SETTICFREQ, 10, 0);
    SendDlgItemMessageA(hDlg, IDC_CFG_POLL_TRACKBAR, TBM_SETPOS, TRUE, app.uiTimerInterval);
    return setDlgItemInt(hDlg, IDC_CFG_POLL_MS, static_cast<int>(app.uiTimerInterval), 1);
}

int DlgCfg::updTicks() {
    unsigned int s = GetTickCount() / 1000;
    if (s == lastTickSecond) return 0;
    lastTickSecond = s;
    return setDlgItemInt(hDlg, IDC_CFG_HEARTBEAT, static_cast<int>(s), 0);
}

int DlgCfg::onPollScroll(int code) {
    int pos = static_cast<int>(SendDlgItemMessageA(hDlg, IDC_CFG_POLL_TRACKBAR, TBM_GETPOS, 0, 0));
    switch (code) {
    case TB_THUMBPOSITION:
    case TB_ENDTRACK: {
        int status = setDlgItemInt(hDlg, IDC_CFG_POLL_MS, pos, 1);
        if (status != 0) return status;
        if (pos < 10) pos = 10;
        if (pos > 100) pos = 100;
        if (static_cast<unsigned int>(pos) != app.uiTimerInterval) bDirty = 1;
        return app.changeTimer(static_cast<unsigned int>(pos));
    }
    case TB_LINEUP:
    case TB_LINEDOWN:
    case TB_PAGEUP:
    case TB_PAGEDOWN:
    case TB_THUMBTRACK:
        // Dragging only shows the value: the timer changes when the thumb is let go.
        return setDlgItemInt(hDlg, IDC_CFG_POLL_MS, pos, 1);
    default:
        return 0;  // TB_TOP, TB_BOTTOM and codes above TB_ENDTRACK
    }
}

// Ends one dialog or message box of this thread as its user could: No, else
// Cancel, else OK, whichever of its buttons shows.
static BOOL CALLBACK endWindowForQuit(HWND wnd, LPARAM mainDlg) {
    char cls[16] = {};
    GetClassNameA(wnd, cls, sizeof cls);
    if (wnd == reinterpret_cast<HWND>(mainDlg) || strcmp(cls, "#32770") != 0) return TRUE;
    // Wine's message box hides the buttons it does not use instead of removing them.
    static const int kChoices[] = {IDNO, IDCANCEL, IDOK};
    for (int id : kChoices) {
        HWND button = GetDlgItem(wnd, id);
        if (button && (GetWindowLongA(button, GWL_STYLE) & WS_VISIBLE)) {
            PostMessageA(wnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
            return TRUE;
        }
    }
    PostMessageA(wnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return TRUE;
}

int DlgCfg::endForQuit() {
    if (!hDlg) return 0;
    // Posted messages are handled in order: the windows on top end first, the
    // dialog last, each inside the modal loop that is running at the time.
    EnumThreadWindows(GetCurrentThreadId(), endWindowForQuit, reinterpret_cast<LPARAM>(hDlg));
    PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDC_CFG_CLOSE, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(hDlg, IDC_CFG_CLOSE)));
    return 1;
}

// Commands of the axis rows: row n's controls have the ids 1000 + 100 * n + field.
static void onAxisCommand(DlgCfg& dlg, int idc, int code) {
    int row = (idc - IDC_CFG_AXIS_BASE) / IDC_CFG_AXIS_STEP;
    int field = (idc - IDC_CFG_AXIS_BASE) % IDC_CFG_AXIS_STEP;
    if (!dlg.pHwDev || row < HWA_X || row > HWA_SLD2) return;
    HwAxis* axis = &dlg.pHwDev->axes[row - HWA_X];
    if (field == fieldInvert && code == BN_CLICKED)
        dlg.setAxisInvert(axis, isDlgItemChecked(dlg.hDlg, idc));
    else if (field == fieldSendAs)
        dlg.onAxisSendAs(axis, idc, code);
    else if (field == fieldConfig)
        dlg.onAxisConfig(axis);
}

// A wheel turn over a closed "Send as" list that does not have the focus goes on to
// the dialog: stepped, the row would show a control the axis does not drive, as no
// notification of such a step is final. (Windows 10 and later send the wheel to the
// window under the pointer, focused or not; Wine's combo box steps on any turn.)
static LRESULT CALLBACK sendAsWheelProc(HWND combo, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (msg == WM_MOUSEWHEEL && GetFocus() != combo && !SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0))
        return DefWindowProcA(combo, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(combo, sendAsWheelProc, 0);
    return DefSubclassProc(combo, msg, wParam, lParam);
}

INT_PTR CALLBACK DlgCfgProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    static Quorix* pApp = nullptr;
    if (msg == WM_INITDIALOG) {
        pApp = reinterpret_cast<Quorix*>(lParam);
        DlgCfg& dlg = pApp->dlgCfg;
        dlg.hDlg = hDlg;
        dlg.bDirty = 0;
        CenterWindow(nullptr, hDlg);
        dlg.drawProfileList();
        dlg.drawHwDevList(1);
        dlg.drawIL2Connect();
        dlg.drawTimer();
        for (int n = HWA_X; n <= HWA_SLD2; ++n) {
            HWND combo = GetDlgItem(hDlg, IDC_CFG_AXIS_BASE + IDC_CFG_AXIS_STEP * n + fieldSendAs);
            SetWindowSubclass(combo, sendAsWheelProc, 0, 0);
        }
        return TRUE;
    }
    if (!pApp) return FALSE;
    DlgCfg& dlg = pApp->dlgCfg;
    switch (msg) {
    case WM_HSCROLL:
        if (lParam && GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == IDC_CFG_POLL_TRACKBAR) {
            dlg.onPollScroll(LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    case WM_COMMAND: {
        const int idc = LOWORD(wParam);
        const int code = HIWORD(wParam);
        switch (idc) {
        case IDC_CFG_CLOSE:
        case IDCANCEL:  // also Esc, the close box and Alt+F4
            dlg.onDlgEnd();
            EndDialog(hDlg, 1);
            break;
        case IDOK:  // Enter, on a closed list among others: the dialog has no default button
            dlg.applyShownSendAs();
            break;
        case IDC_CFG_PROFILE_LIST:
            if (code == CBN_SELCHANGE) dlg.onProfileSelect();
            break;
        case IDC_CFG_PROFILE_RENAME:
            dlg.onProfileRename();
            break;
        case IDC_CFG_PROFILE_DELETE:
            dlg.onProfileDelete();
            break;
        case IDC_CFG_PROFILE_CREATE:
            dlg.onProfileCreate();
            break;
        case IDC_CFG_IL2_SERVER:
            dlg.onServerDialog();
            break;
        case IDC_CFG_HW_LIST:
            if (code == CBN_SELCHANGE) dlg.onHwDevSelect();
            break;
        case IDC_CFG_HW_RENAME:
            dlg.onHwDevRename();
            break;
        default:
            if (idc > IDC_CFG_AXIS_BASE + IDC_CFG_AXIS_STEP) onAxisCommand(dlg, idc, code);
            break;
        }
        return TRUE;
    }
    case WM_DRAWITEM:
        if (wParam != IDC_CFG_PLOT) return FALSE;
        dlg.paintPlot(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_DESTROY:
        // Destroyed without "Close" (its owner went first).
        if (dlg.hDlg == hDlg) dlg.onDlgEnd();
        return FALSE;
    default:
        return FALSE;
    }
}
