// Editing commands of the main configuration dialog: profiles, the shown device
// and the axis rows. They change the live objects; the registry is written at exit.

#include <new>

#include "app/Quorix.h"
#include "base/MyDlgFuncs.h"
#include "profile/ProfileKeys.h"
#include "res/resource.h"
#include "ui/DlgCfg.h"
#include "ui/DlgCfg_Il2Com.h"
#include "ui/DlgCfg_Profile.h"
#include "ui/DlgStr.h"

namespace {
// What the name prompt loop asks of one command.
struct NamePrompt {
    const char* sFirst;      // first prompt line
    const char* sTaken;      // prompt after a collision
    const char* sRefused;    // prompt after a name the registry cannot hold; null: any name
};

const NamePrompt kRenameProfile = {
    "Rename Profile", "Rename Profile\r\nName is already in use by another profile...",
    "Rename Profile\r\nA name may not contain \"\\\" or be longer than 255 characters..."};
const NamePrompt kCreateProfile = {
    "Create Profile", "Create Profile\r\nName is already in use by another profile...",
    "Create Profile\r\nA name may not contain \"\\\" or be longer than 255 characters..."};
const NamePrompt kRenameHardware = {"Rename Hardware", "Rename Hardware\r\nName is already in use by another hardware...",
                                    nullptr};

// Item data of the selected entry of combo id, or CB_ERR.
LRESULT selectedItemData(HWND hDlg, int id) {
    LRESULT i = SendDlgItemMessageA(hDlg, id, CB_GETCURSEL, 0, 0);
    return i == CB_ERR ? CB_ERR : SendDlgItemMessageA(hDlg, id, CB_GETITEMDATA, i, 0);
}
}  // namespace

// Asks for a name until the user enters one that is free (bFree 1, p.value set)
// or cancels (bFree 0). The prompt keeps the rejected name in its field. A
// "Quit" under way ends the loop: it cancels the open prompt.
static int askName(int& bFree, DlgCfg& dlg, DlgStr_Param& p, const NamePrompt& texts, Profile* pExclude,
                   HwDevice* pDevExclude) {
    bFree = 0;
    p.prompt = texts.sFirst;
    while (!dlg.app.bQuitting) {
        if (DialogBoxParamA(dlg.app.hInstance, "DLGSTR", dlg.hDlg, DlgStr_Proc, reinterpret_cast<LPARAM>(&p)) != IDOK)
            return 0;
        // A profile's name is its registry key's name: one level, at most 255 characters.
        if (texts.sRefused && !isSingleKeyName(p.value.text())) {
            p.prompt = texts.sRefused;
            continue;
        }
        int bDouble = 0;
        int status = pDevExclude ? dlg.app.hwDevices.checkDoubleUsrName(bDouble, p.value, pDevExclude)
                                 : dlg.app.profiles.checkDoubleName(bDouble, p.value, pExclude);
        if (status != 0) return status;
        if (!bDouble) {
            bFree = 1;
            return 0;
        }
        p.prompt = texts.sTaken;
    }
    return 0;
}

int DlgCfg::onProfileSelect() {
    LRESULT d = selectedItemData(hDlg, IDC_CFG_PROFILE_LIST);
    if (d == CB_ERR || d == 0) return 0;
    if (reinterpret_cast<Profile*>(d) != app.pActProfile) bDirty = 1;
    app.pActProfile = reinterpret_cast<Profile*>(d);
    app.updateTrayTip();
    int status = app.reapplyProfile();
    return status == 0 ? drawHwDev() : status;
}

int DlgCfg::onProfileRename() {
    Profile* pAct = app.pActProfile;
    if (!pAct) return 0;
    DlgStr_Param p;
    p.value = pAct->name;
    int bFree = 0;
    int status = askName(bFree, *this, p, kRenameProfile, pAct, nullptr);
    if (status != 0 || !bFree) return status;
    pAct->name = p.value;
    bDirty = 1;
    app.updateTrayTip();
    return drawProfileList();
}

int DlgCfg::onProfileCreate() {
    DlgStr_Param p;
    p.value = "New Profile";
    int bFree = 0;
    int status = askName(bFree, *this, p, kCreateProfile, nullptr, nullptr);
    if (status != 0 || !bFree) return status;
    Profile* profile = new (std::nothrow) Profile(app);
    if (!profile) return 1;
    profile->name = p.value;
    if (app.profiles.add(profile) != 0) {
        delete profile;
        return 1;
    }
    app.pActProfile = profile;
    bDirty = 1;
    app.updateTrayTip();
    status = app.reapplyProfile();
    if (status == 0) status = drawProfileList();
    if (status == 0) status = drawHwDev();
    return status;
}

int DlgCfg::onProfileDelete() {
    if (MessageBoxA(hDlg, "Are you sure?", "Delete Profile", MB_YESNO) != IDYES) return 0;
    int n = 0;
    int status = app.profiles.countNonDeleted(n);
    if (status != 0 || n <= 1) return status;  // the last profile stays, without a word
    Profile* old = app.pActProfile;
    Profile* next = nullptr;
    status = app.profiles.getFirstNonDeleted(next, old);
    if (status != 0 || !next) return status;
    app.pActProfile = next;
    app.updateTrayTip();
    status = app.reapplyProfile();
    if (status != 0) return status;
    if (old) old->bDeleted = 1;
    bDirty = 1;
    status = drawProfileList();
    return status == 0 ? drawHwDev() : status;
}

int DlgCfg::onServerDialog() {
    DlgCfg_Il2Com_Param param;
    param.pIl2Com = &app.il2Com;
    INT_PTR result = DialogBoxParamA(app.hInstance, "DLGCFG_IL2COM", hDlg, DlgCfg_Il2ComProc,
                                     reinterpret_cast<LPARAM>(&param));
    if (result == IDOK) bDirty = 1;
    // hDlg is cleared when "Quit" ended the dialog meanwhile.
    return result == IDOK && hDlg ? drawIL2Connect() : 0;
}

int DlgCfg::onHwDevSelect() {
    LRESULT k = selectedItemData(hDlg, IDC_CFG_HW_LIST);
    if (k == CB_ERR || k < 0 || k >= app.hwDevices.count || !app.hwDevices.items[k]) return 0;
    pHwDev = app.hwDevices.items[k];
    return drawHwDev();
}

int DlgCfg::onHwDevRename() {
    // The device may change under the prompt (discovery); the one shown at the click is renamed.
    HwDevice* dev = pHwDev;
    if (!dev) return 0;
    DlgStr_Param p;
    int status = dev->getUsrName(p.value);
    int bFree = 0;
    if (status == 0) status = askName(bFree, *this, p, kRenameHardware, nullptr, dev);
    if (status != 0 || !bFree) return status;
    status = dev->setUsrName(p.value);
    bDirty = 1;
    return status == 0 ? drawHwDevList(0) : status;
}

int DlgCfg::setAxisInvert(HwAxis* axis, int bInvert) {
    if (axis->pDev2Axis) {
        axis->pDev2Axis->bInvert = bInvert;
        bDirty = 1;
        axis->pDev2Axis->forgetLastRaw();  // an axis at rest sends its mirrored value at once
    }
    touchPlotAxis(axis);
    return drawPlot();
}

int DlgCfg::setAxisDevice(HwAxis* axis, int idc) {
    // The list reports every accepted close, also on the entry already applied:
    // only a change detaches and resets.
    LRESULT id = selectedItemData(hDlg, idc);
    if (id == CB_ERR || id == (axis->pILDevice ? axis->pILDevice->id : IDIL_NONE)) return 0;
    bDirty = 1;
    touchPlotAxis(axis);  // drawn with the rows below
    if (axis->pDev2Axis) axis->pDev2Axis->detach();
    axis->pDev2Axis = nullptr;
    axis->pILDevice = nullptr;
    if (id != IDIL_NONE && pHwDev && app.pActProfile) {
        ProfileDev2Axis* a = nullptr;
        int status = app.pActProfile->findByILDev(a, static_cast<IdILDevice>(id));
        if (status == 0) status = a->attach(pHwDev->guid, axis->id);
        if (status == 0) status = a->resetAxisSettings();
        if (status != 0) return status;
        a->forgetLastRaw();
    }
    int status = app.reapplyProfile();
    return status == 0 ? drawHwDev() : status;
}

int DlgCfg::onAxisSendAs(HwAxis* axis, int idc, int code) {
    // Each application detaches and resets a control, so steps through the closed
    // list (arrow keys, the wheel) must not apply: the choice from the opened list
    // does, or the one the list holds when the focus leaves it, at Enter
    // (applyShownSendAs) and when the dialog ends (onDlgEnd).
    if ((code == CBN_SELENDOK && SendDlgItemMessageA(hDlg, idc, CB_GETDROPPEDSTATE, 0, 0)) ||
        (code == CBN_KILLFOCUS && hDlg))
        return setAxisDevice(axis, idc);
    return 0;
}

int DlgCfg::applyShownSendAs() {
    int status = 0;
    for (int i = 0; pHwDev && i < HWA_COUNT && status == 0; ++i) {
        HwAxis& axis = pHwDev->axes[i];
        status = setAxisDevice(&axis, getHwDevAxisIdcField(getHwDevAxisBaseIdc(axis.id), fieldSendAs));
    }
    return status;
}

int DlgCfg::onDlgEnd() {
    int status = applyShownSendAs();
    hDlg = nullptr;
    // Saved now, not only at exit: a crash or a power cut later loses none of it.
    // A start that could not read the settings never writes them; "Quit" saves anyway.
    if (bDirty && app.bConfigRead && !app.bQuitting) app.saveConfigNow();
    bDirty = 0;
    return status;
}

int DlgCfg::onAxisConfig(HwAxis* axis) {
    if (!axis->pDev2Axis) return 0;
    touchPlotAxis(axis);
    drawPlot();
    DlgCfg_Profile_Param param = {&app, axis->pDev2Axis, nullptr, -1.0};
    pAxisDlg = &param;
    INT_PTR result = DialogBoxParamA(app.hInstance, "DLGCFG_PROFILE", hDlg, DlgCfg_ProfileProc,
                                     reinterpret_cast<LPARAM>(&param));
    pAxisDlg = nullptr;
    if (result == IDOK) bDirty = 1;
    // "OK" may have changed the curve; hDlg is cleared when "Quit" ended the dialog meanwhile.
    return result == IDOK && hDlg ? drawPlot() : 0;
}
