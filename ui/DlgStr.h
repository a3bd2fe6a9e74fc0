#pragma once
// The name prompt "DLGSTR": asks for one non-blank line of text.

#include <windows.h>

#include "base/MyString.h"

struct DlgStr_Param {
    MyString prompt;  // shown above the field; may hold two lines ("\r\n")
    MyString value;   // in: the field's text; out: the accepted text (untouched on "Cancel")
};

// 1 (IDOK) with value set to the text as typed, 2 (IDCANCEL) with value untouched.
INT_PTR CALLBACK DlgStr_Proc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);
