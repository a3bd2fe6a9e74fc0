#include "padsim/PadsimModule.h"

#include "padsim/PlugWatcher.h"
#include "padsim/VirtualDevice.h"
#include "padsim/VirtualDirectInput.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

namespace {
SRWLOCK gLock = SRWLOCK_INIT;
int giUsers = 0;  // live IDirectInput8A objects, under gLock
VirtualControllers gControllers;
PlugWatcher gWatcher;
std::atomic<HWND> ghNotifyWnd{nullptr};
volatile LONG giLiveObjects = 0;
SRWLOCK gEventLock = SRWLOCK_INIT;
std::vector<VirtualDevice*> gEventDevices;  // under gEventLock

struct FindFrame {
    DWORD dwPid;
    HWND hFound;
};

BOOL CALLBACK findFrameProc(HWND hwnd, LPARAM lp) {
    FindFrame* f = reinterpret_cast<FindFrame*>(lp);
    DWORD dwPid = 0;
    GetWindowThreadProcessId(hwnd, &dwPid);
    if (dwPid != f->dwPid) return TRUE;
    char cls[16] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (strcmp(cls, "Quorix") != 0) return TRUE;
    f->hFound = hwnd;
    return FALSE;
}
}  // namespace

void padsimModuleAddRef() {
    AcquireSRWLockExclusive(&gLock);
    if (giUsers++ == 0) {
        // A block that cannot be mapped leaves a DirectInput without controllers,
        // like a machine with none attached.
        gControllers.open(1);
        gWatcher.start(gControllers.changedEvent());
    }
    ReleaseSRWLockExclusive(&gLock);
}

void padsimModuleRelease() {
    AcquireSRWLockExclusive(&gLock);
    if (giUsers > 0 && --giUsers == 0) {
        gWatcher.stop();
        gControllers.close();
    }
    ReleaseSRWLockExclusive(&gLock);
}

void padsimObjectCreated() { InterlockedIncrement(&giLiveObjects); }
void padsimObjectDestroyed() { InterlockedDecrement(&giLiveObjects); }
LONG padsimLiveObjects() { return giLiveObjects; }

VirtualControllerBlock* padsimValidBlock() {
    return gControllers.check() == PADSIM_OK ? gControllers.block() : nullptr;
}

unsigned padsimPluggedMask() {
    VirtualControllerBlock* b = padsimValidBlock();
    unsigned mask = 0;
    for (int c = 0; b && c < PADSIM_CONTROLLERS; ++c)
        if (b->aCtrl[c].bPlugged) mask |= 1u << c;
    return mask;
}

void padsimSetDeviceEvent(VirtualDevice* pDev, HANDLE hEvent) {
    AcquireSRWLockExclusive(&gEventLock);
    pDev->hNotify = hEvent;
    auto it = std::find(gEventDevices.begin(), gEventDevices.end(), pDev);
    if (hEvent && it == gEventDevices.end()) gEventDevices.push_back(pDev);
    if (!hEvent && it != gEventDevices.end()) gEventDevices.erase(it);
    ReleaseSRWLockExclusive(&gEventLock);
}

void padsimSignalDevices(const VirtualDirectInput* pParent, int iCtrl) {
    AcquireSRWLockShared(&gEventLock);
    for (VirtualDevice* d : gEventDevices) {
        if ((pParent && d->parent() != pParent) || (iCtrl >= 0 && d->controller() != iCtrl)) continue;
        // A device that needs polling never sets its event.
        VirtualControllerBlock* b = d->parent()->block();
        if (b && !b->aCtrl[d->controller()].bPolled) SetEvent(d->hNotify);
    }
    ReleaseSRWLockShared(&gEventLock);
}

void padsimSetNotifyWindow(HWND hwnd) { ghNotifyWnd.store(hwnd); }

HWND padsimNotifyTarget() {
    HWND hwnd = ghNotifyWnd.load();
    if (hwnd && IsWindow(hwnd)) return hwnd;
    FindFrame f = {GetCurrentProcessId(), nullptr};
    EnumWindows(findFrameProc, reinterpret_cast<LPARAM>(&f));
    return f.hFound;
}
