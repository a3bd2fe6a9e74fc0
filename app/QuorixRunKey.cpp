// "Start with Windows": the current user's Run value that names this exe.
// UTF-16 calls: the exe's path may hold characters outside the ANSI code page (a
// user's name), which the "A" calls would turn into "?" or a look-alike.

#include <cwchar>

#include "app/Quorix.h"

namespace {
const wchar_t kValueName[] = L"Quorix";
const size_t kKeyChars = 512;

int keyPath(wchar_t (&out)[kKeyChars], const wchar_t* root, const wchar_t* sub) {
    if (wcslen(root) + wcslen(sub) >= kKeyChars) return 1;
    wcscpy(out, root);
    wcscat(out, sub);
    return 0;
}

// The exe's full path in quotes, as Windows' start-up reads a command line.
int thisExeCommand(wchar_t (&out)[MAX_PATH + 3]) {
    out[0] = L'"';
    DWORD n = GetModuleFileNameW(nullptr, out + 1, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 1;  // a cut path would name another file
    out[n + 1] = L'"';
    out[n + 2] = L'\0';
    return 0;
}
}  // namespace

int Quorix::getStartWithWindows(int& bOn) {
    bOn = 0;
    wchar_t wsKey[kKeyChars], wsExe[MAX_PATH + 3], wsValue[MAX_PATH + 3];
    if (keyPath(wsKey, wsRunRoot, L"\\Run") != 0 || thisExeCommand(wsExe) != 0) return 1;
    DWORD cb = sizeof wsValue;
    // Another path (the exe was moved) is not this exe; case does not matter in a path.
    if (RegGetValueW(HKEY_CURRENT_USER, wsKey, kValueName, RRF_RT_REG_SZ, nullptr, wsValue, &cb) != ERROR_SUCCESS ||
        CompareStringOrdinal(wsValue, -1, wsExe, -1, TRUE) != CSTR_EQUAL)
        return 0;
    // Task Manager's "Disabled": a value of this name whose first byte is odd.
    BYTE abMark[64];
    cb = sizeof abMark;
    if (keyPath(wsKey, wsRunRoot, L"\\Explorer\\StartupApproved\\Run") == 0 &&
        RegGetValueW(HKEY_CURRENT_USER, wsKey, kValueName, RRF_RT_REG_BINARY, nullptr, abMark, &cb) == ERROR_SUCCESS &&
        cb > 0 && (abMark[0] & 1))
        return 0;
    bOn = 1;
    return 0;
}

int Quorix::setStartWithWindows(int bOn) {
    wchar_t wsKey[kKeyChars], wsExe[MAX_PATH + 3];
    if (keyPath(wsKey, wsRunRoot, L"\\Run") != 0) return 1;
    if (!bOn) {
        LONG r = RegDeleteKeyValueW(HKEY_CURRENT_USER, wsKey, kValueName);
        return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND ? 0 : 1;
    }
    if (thisExeCommand(wsExe) != 0) return 1;
    DWORD cb = static_cast<DWORD>((wcslen(wsExe) + 1) * sizeof(wchar_t));
    if (RegSetKeyValueW(HKEY_CURRENT_USER, wsKey, kValueName, REG_SZ, wsExe, cb) != ERROR_SUCCESS) return 1;
    // Without the mark Windows counts the value as enabled.
    if (keyPath(wsKey, wsRunRoot, L"\\Explorer\\StartupApproved\\Run") != 0) return 1;
    LONG r = RegDeleteKeyValueW(HKEY_CURRENT_USER, wsKey, kValueName);
    return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND ? 0 : 1;
}

int Quorix::toggleStartWithWindows() {
    int bOn = 0;
    int status = getStartWithWindows(bOn);
    if (status == 0) status = setStartWithWindows(!bOn);
    if (status != 0)
        MessageBoxA(hFrameWnd, "Quorix could not change whether it starts with Windows.", "Quorix",
                    MB_OK | MB_ICONWARNING);
    return status;
}

int Quorix::checkStartupItem() {
    int bOn = 0;
    int status = getStartWithWindows(bOn);
    CheckMenuItem(GetSubMenu(hIconMenu, 0), IDM_STARTUP, MF_BYCOMMAND | (bOn ? MF_CHECKED : MF_UNCHECKED));
    return status;
}
