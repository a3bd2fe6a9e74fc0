// Program entry: single-instance guard, the application object and the message loop.

#include <windows.h>

#include <cstring>
#include <cwchar>

#include "app/MessageLoop.h"
#include "app/Quorix.h"

// "/log", in any case, among the arguments.
static int wantsLog(const char* sCmdLine) {
    for (const char* p = sCmdLine; p && *p;) {
        while (*p == ' ' || *p == '\t') ++p;
        const char* end = p + strcspn(p, " \t");
        if (end - p == 4 && _strnicmp(p, "/log", 4) == 0) return 1;
        p = end;
    }
    return 0;
}

// %LOCALAPPDATA%\Quorix; 1 when the variable is missing or the folder's name too long.
static int logFolder(wchar_t (&out)[MAX_PATH]) {
    DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", out, MAX_PATH);
    if (n == 0 || n + 8 >= MAX_PATH) return 1;
    wcscat(out, L"\\Quorix");
    return 0;
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int) {
    int iExit = 0;
    HANDLE hMutex = CreateMutexA(nullptr, TRUE, "Quorix");
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        MessageBoxA(nullptr, "Already running", "Quorix", MB_OK);
    } else {
        Quorix app;
        wchar_t wsLogDir[MAX_PATH];
        // Before init, whose discovery pass logs; a log that cannot be opened is done without.
        if (wantsLog(lpCmdLine) && logFolder(wsLogDir) == 0) app.openLog(wsLogDir);
        int status = app.init(hInstance);
        if (status != 0)
            iExit = app.abandonStart(status);
        else
            runMessageLoop(app);
    }
    if (hMutex) {
        ReleaseMutex(hMutex);
        CloseHandle(hMutex);
    }
    return iExit;
}
