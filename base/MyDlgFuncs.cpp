#include "base/MyDlgFuncs.h"

#include <climits>
#include <cstdlib>

int setDlgItemActive(HWND dlg, int id, int enable) {
    EnableWindow(GetDlgItem(dlg, id), enable ? TRUE : FALSE);
    return 0;
}

// Only BST_CHECKED counts: an indeterminate three-state box reads as unchecked.
int isDlgItemChecked(HWND dlg, int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED ? 1 : 0; }

int setDlgItemCheck(HWND dlg, int id, int flag) {
    CheckDlgButton(dlg, id, flag ? BST_CHECKED : BST_UNCHECKED);
    return 0;
}

int getDlgItemInt(int& out, HWND dlg, int id) {
    BOOL translated = FALSE;
    UINT v = GetDlgItemInt(dlg, id, &translated, FALSE);
    // A number beyond INT_MAX would come out negative in an int: not a number for us.
    if (!translated || v > static_cast<UINT>(INT_MAX)) return 1;
    out = static_cast<int>(v);
    return 0;
}

// Wine's SetDlgItemInt reports success even without the control: asked first.
int setDlgItemInt(HWND dlg, int id, int value, int isSigned) {
    if (!GetDlgItem(dlg, id)) return 1;
    return SetDlgItemInt(dlg, id, static_cast<UINT>(value), isSigned ? TRUE : FALSE) ? 0 : 1;
}

int getDlgItemText(MyString& out, HWND dlg, int id) {
    LRESULT len = SendDlgItemMessageA(dlg, id, WM_GETTEXTLENGTH, 0, 0);
    if (len <= 0) return 0;
    // Spare room: the length may grow between the two calls.
    char* buf = static_cast<char*>(calloc(static_cast<size_t>(len) + 11, 1));
    if (!buf) return 0;
    GetDlgItemTextA(dlg, id, buf, static_cast<int>(len) + 10);
    out += buf;
    free(buf);
    return 0;
}

int setDlgItemText(HWND dlg, int id, const char* text) { return SetDlgItemTextA(dlg, id, text) ? 0 : 1004; }

int setDlgItemText(HWND dlg, int id, MyString& text) { return setDlgItemText(dlg, id, text.text()); }

int setDlgItemDouble(HWND dlg, int id, double value, int decimals) {
    MyString s;
    if (ValueToString(s, value, decimals) != 0) return 1004;
    return setDlgItemText(dlg, id, s);
}
