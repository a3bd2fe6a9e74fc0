#pragma once
// Reading and filling dialog controls by dialog and control id, in the system's
// number text and status codes. Each helper is one or two platform calls.

#include <windows.h>

#include "base/MyString.h"

int setDlgItemActive(HWND dlg, int id, int enable);
int isDlgItemChecked(HWND dlg, int id);
int setDlgItemCheck(HWND dlg, int id, int flag);
int getDlgItemInt(int& out, HWND dlg, int id);
int setDlgItemInt(HWND dlg, int id, int value, int isSigned);
int getDlgItemText(MyString& out, HWND dlg, int id);
int setDlgItemText(HWND dlg, int id, const char* text);
int setDlgItemText(HWND dlg, int id, MyString& text);
int setDlgItemDouble(HWND dlg, int id, double value, int decimals);
