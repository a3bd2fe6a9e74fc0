// Editing commands of the main configuration dialog. The profile, device and
// axis commands are wired to their controls and filled in with the next step.

#include "app/Quorix.h"
#include "ui/DlgCfg.h"
#include "ui/DlgCfg_Il2Com.h"

int DlgCfg::onProfileSelect() {
    // TODO(DlgCfg): make the chosen profile the active one, re-bind it and redraw the rows.
    return 0;
}

int DlgCfg::onProfileRename() {
    // TODO(DlgCfg): rename the active profile through the name prompt (stop when app.bQuitting).
    return 0;
}

int DlgCfg::onProfileDelete() {
    // TODO(DlgCfg): ask "Are you sure?", then hide the active profile and activate the next one.
    return 0;
}

int DlgCfg::onProfileCreate() {
    // TODO(DlgCfg): create a profile named through the name prompt and make it active (stop when app.bQuitting).
    return 0;
}

int DlgCfg::onServerDialog() {
    DlgCfg_Il2Com_Param param;
    param.pIl2Com = &app.il2Com;
    INT_PTR result = DialogBoxParamA(app.hInstance, "DLGCFG_IL2COM", hDlg, DlgCfg_Il2ComProc,
                                     reinterpret_cast<LPARAM>(&param));
    // hDlg is cleared when "Quit" ended the dialog meanwhile.
    return result == IDOK && hDlg ? drawIL2Connect() : 0;
}

int DlgCfg::onHwDevSelect() {
    // TODO(DlgCfg): show the chosen device (item data: its list index) and redraw the rows.
    return 0;
}

int DlgCfg::onHwDevRename() {
    // TODO(DlgCfg): rename the shown device through the name prompt (stop when app.bQuitting).
    return 0;
}

int DlgCfg::setAxisInvert(HwAxis* axis, int bInvert) {
    // TODO(DlgCfg): store bInvert in the axis's assignment.
    (void)axis;
    (void)bInvert;
    return 0;
}

int DlgCfg::setAxisDevice(HwAxis* axis, int idc) {
    // TODO(DlgCfg): attach the control chosen in combo idc to the axis, re-bind the profile, redraw.
    (void)axis;
    (void)idc;
    return 0;
}

int DlgCfg::onAxisConfig(HwAxis* axis) {
    // TODO(DlgCfg): open "DLGCFG_PROFILE" on the axis's assignment.
    (void)axis;
    return 0;
}
