// Program entry: single-instance guard, the application object and the message loop.

#include <windows.h>

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
            MSG msg;
            // -1 (an invalid call) must end the loop too, not spin it.
            while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
    }
    if (hMutex) {
        ReleaseMutex(hMutex);
        CloseHandle(hMutex);
    }
    return 0;
}
