// Program entry: single-instance guard, the application object and the message loop.

#include <windows.h>

#include "app/MessageLoop.h"
#include "app/Quorix.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
    HANDLE hMutex = CreateMutexA(nullptr, TRUE, "Quorix");
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        MessageBoxA(nullptr, "Already running", "Quorix", MB_OK);
    } else {
        Quorix app;
        if (app.init(hInstance) != 0) {
            app.close();
        } else {
            runMessageLoop(app);
        }
    }
    if (hMutex) {
        ReleaseMutex(hMutex);
        CloseHandle(hMutex);
    }
    return 0;
}
