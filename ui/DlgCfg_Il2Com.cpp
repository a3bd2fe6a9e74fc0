#include "ui/DlgCfg_Il2Com.h"

#include "base/MyDlgFuncs.h"
#include "base/MyWndFuncs.h"
#include "il2/IL2Com.h"
#include "res/resource.h"

namespace {
const char kCaption[] = "IL-2 Address and Port";

void complain(HWND dlg, const char* text) { MessageBoxA(dlg, text, kCaption, MB_OK); }

void initDialog(HWND dlg, IL2Com& com) {
    CenterWindow(nullptr, dlg);
    MyString a(com.sIL2Addr);
    if (a == "localhost") {
        CheckRadioButton(dlg, IDC_IL2COM_LOCALHOST, IDC_IL2COM_IP, IDC_IL2COM_LOCALHOST);
        setDlgItemText(dlg, IDC_IL2COM_IPADDR, "");
        setDlgItemActive(dlg, IDC_IL2COM_IPADDR, 0);
    } else {
        // Shown as what "OK" will do with it: the field is taken as an IP address.
        CheckRadioButton(dlg, IDC_IL2COM_LOCALHOST, IDC_IL2COM_IP, IDC_IL2COM_IP);
        setDlgItemText(dlg, IDC_IL2COM_IPADDR, a);
    }
    setDlgItemInt(dlg, IDC_IL2COM_PORT, com.iIL2Port, 0);
}

// 1 when the values were stored and the dialog may end; 0 when it stays open.
int store(HWND dlg, IL2Com& com) {
    int port = 0;
    if (getDlgItemInt(port, dlg, IDC_IL2COM_PORT) != 0) {
        complain(dlg, "Sorry, invalid values...");
        return 0;
    }
    MyString address;
    if (isDlgItemChecked(dlg, IDC_IL2COM_LOCALHOST)) {
        address = "localhost";
    } else {
        getDlgItemText(address, dlg, IDC_IL2COM_IPADDR);
        if (!com.isValidAddr(address)) {
            complain(dlg, "Sorry, invalid values...");
            return 0;
        }
    }
    // The client closes an open connection when it stores a new value.
    if (address != com.sIL2Addr && com.setAddress(address) != 0) {
        complain(dlg, "Sorry, cannot save values...");
        return 0;
    }
    if (port != com.iIL2Port && com.setPort(port) != 0) {
        complain(dlg, "Sorry, cannot save values...");
        return 0;
    }
    return 1;
}
}  // namespace

INT_PTR CALLBACK DlgCfg_Il2ComProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    static DlgCfg_Il2Com_Param* pParam = nullptr;
    switch (msg) {
    case WM_INITDIALOG:
        pParam = reinterpret_cast<DlgCfg_Il2Com_Param*>(lParam);
        if (!pParam || !pParam->pIl2Com) {
            EndDialog(hDlg, IDCANCEL);  // nothing to edit
            return TRUE;
        }
        initDialog(hDlg, *pParam->pIl2Com);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_IL2COM_LOCALHOST:
            setDlgItemActive(hDlg, IDC_IL2COM_IPADDR, 0);  // its text stays
            return TRUE;
        case IDC_IL2COM_IP:
            setDlgItemActive(hDlg, IDC_IL2COM_IPADDR, 1);
            return TRUE;
        case IDOK:
            if (!store(hDlg, *pParam->pIl2Com)) return TRUE;
            EndDialog(hDlg, IDOK);
            return FALSE;
        case IDCANCEL:
            EndDialog(hDlg, IDCANCEL);
            return FALSE;
        }
        return TRUE;
    }
    return FALSE;
}
