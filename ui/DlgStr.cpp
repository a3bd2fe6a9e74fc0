#include "ui/DlgStr.h"

#include "base/MyDlgFuncs.h"
#include "base/MyWndFuncs.h"
#include "res/resource.h"

INT_PTR CALLBACK DlgStr_Proc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    static DlgStr_Param* pParam = nullptr;
    switch (msg) {
    case WM_INITDIALOG:
        pParam = reinterpret_cast<DlgStr_Param*>(lParam);
        if (!pParam) {
            EndDialog(hDlg, IDCANCEL);  // nowhere to put a name
            return TRUE;
        }
        CenterWindow(nullptr, hDlg);
        setDlgItemText(hDlg, IDC_STR_PROMPT, pParam->prompt);
        setDlgItemText(hDlg, IDC_STR_HINT, "");
        setDlgItemText(hDlg, IDC_STR_VALUE, pParam->value);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: {
            MyString t;
            getDlgItemText(t, hDlg, IDC_STR_VALUE);
            if (StringEmpty(t)) {
                setDlgItemText(hDlg, IDC_STR_HINT, "Enter a name ..., please.");
                return TRUE;
            }
            pParam->value = t;  // as typed: surrounding blanks are part of the name
            EndDialog(hDlg, IDOK);
            return FALSE;
        }
        case IDCANCEL:
            EndDialog(hDlg, IDCANCEL);
            return FALSE;
        }
        return TRUE;
    }
    return FALSE;
}
