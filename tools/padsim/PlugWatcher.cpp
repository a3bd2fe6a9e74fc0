#include "padsim/PlugWatcher.h"

#include "padsim/DeviceBroadcasts.h"
#include "padsim/PadsimModule.h"

#include <dbt.h>

namespace {
// Sent, not posted: Windows and Wine both refuse to post WM_DEVICECHANGE
// arrival and removal (pointer lParam, ERROR_MESSAGE_SYNC_ONLY), and the
// system itself sends them. The time-out bounds how long stop() can wait when
// the receiving thread is the one stopping us and so is not pumping.
void send(WPARAM wEvent, int iCtrl) {
    HWND hwnd = padsimNotifyTarget();
    char name[128];
    padsimInterfaceName(name, iCtrl, 1);
    if (hwnd) padsimSendInterfaceEvent(hwnd, wEvent, name, 1000);
}

// Sequence number and plug mask read as one pair: the writer sets the flag
// before bumping the number, so an unchanged number around the mask read
// means the mask belongs to it.
void readState(LONG& iSeq, unsigned& uiMask) {
    for (int i = 0; i < 8; ++i) {
        VirtualControllerBlock* b = padsimValidBlock();
        iSeq = b ? b->iPlugSeq : 0;
        uiMask = padsimPluggedMask();
        b = padsimValidBlock();
        if ((b ? b->iPlugSeq : 0) == iSeq) return;
    }
}
}  // namespace

int PlugWatcher::start(HANDLE hChangedEvent) {
    if (hThread) return 0;
    hChanged = hChangedEvent;
    readState(iSeenSeq, uiSeenMask);
    hStop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (hStop) hThread = CreateThread(nullptr, 0, threadProc, this, 0, nullptr);
    if (!hThread) {
        if (hStop) CloseHandle(hStop);
        hStop = nullptr;
        return 1;
    }
    return 0;
}

void PlugWatcher::stop() {
    if (!hThread) return;
    SetEvent(hStop);
    WaitForSingleObject(hThread, INFINITE);
    CloseHandle(hThread);
    CloseHandle(hStop);
    hThread = nullptr;
    hStop = nullptr;
}

void PlugWatcher::check() {
    LONG iSeq = 0;
    unsigned uiMask = 0;
    readState(iSeq, uiMask);
    unsigned uiChanged = uiMask ^ uiSeenMask;
    for (int c = 0; c < PADSIM_CONTROLLERS; ++c) {
        // Each send may wait; a pending stop() should not wait for all of them.
        if (hStop && WaitForSingleObject(hStop, 0) == WAIT_OBJECT_0) return;
        if (!(uiChanged & (1u << c))) continue;
        send((uiMask & (1u << c)) ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE, c);
    }
    // Unplugged and plugged again between two looks: the program still has to
    // hear of it, or it would keep a device that lost its acquisition.
    if (!uiChanged && iSeq != iSeenSeq) {
        send(DBT_DEVICEREMOVECOMPLETE, 0);
        send(DBT_DEVICEARRIVAL, 0);
    }
    iSeenSeq = iSeq;
    uiSeenMask = uiMask;
}

DWORD WINAPI PlugWatcher::threadProc(void* p) {
    PlugWatcher* w = static_cast<PlugWatcher*>(p);
    HANDLE ah[2] = {w->hStop, w->hChanged};
    // Every writer sets the change event, so nothing is polled at rest; without
    // the event a look every 20 ms is quicker than a person replugging a cable.
    for (;;) {
        DWORD r = WaitForMultipleObjects(w->hChanged ? 2 : 1, ah, FALSE, w->hChanged ? INFINITE : 20);
        if (r == WAIT_OBJECT_0 + 1) padsimSignalDevices(nullptr, -1);
        else if (r != WAIT_TIMEOUT) return 0;
        w->check();
    }
}
