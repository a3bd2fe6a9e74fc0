// Program entry: single-instance guard, the application object and the message loop.

#include <windows.h>

#include "app/MessageLoop.h"
#include "app/Quorix.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
    int iExit = 0;
    HANDLE hMutex = CreateMutexA(nullptr, TRUE, "Quorix");
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        MessageBoxA(nullptr, "Already running", "Quorix", MB_OK);
    } else {
        Quorix app;
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
