#pragma once
// Watches the controller block for plug changes and tells the program the way
// the system does: WM_DEVICECHANGE with DBT_DEVICEARRIVAL or
// DBT_DEVICEREMOVECOMPLETE and a named HID device-interface record. On the block's
// change event it also sets the devices' notification events, as a driver does
// on new input.

#include <windows.h>

class PlugWatcher {
public:
    PlugWatcher() = default;
    // No stop() here: a destructor may run inside DllMain, where waiting for a
    // thread deadlocks. The owner stops the watcher before letting go of it.
    ~PlugWatcher() = default;
    PlugWatcher(const PlugWatcher&) = delete;
    PlugWatcher& operator=(const PlugWatcher&) = delete;

    // Starts the thread (no-op when running); 0, or 1 when it cannot start.
    // hChangedEvent: the block's change event, or null to look every 20 ms.
    int start(HANDLE hChangedEvent);
    // Ends the thread and waits for it. Never call from DllMain (loader lock).
    void stop();

    // One look at the block: reports what changed since the last look. The
    // thread calls it on every change event.
    void check();

private:
    static DWORD WINAPI threadProc(void* p);

    HANDLE hThread = nullptr;
    HANDLE hStop = nullptr;
    HANDLE hChanged = nullptr;  // not owned
    LONG iSeenSeq = 0;
    unsigned uiSeenMask = 0;
};
