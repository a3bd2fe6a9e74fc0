// Device discovery and hot-plug, and binding the active profile to the devices.

#include "app/Quorix.h"

#include <dbt.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "app/Timer.h"

namespace {
// Windows announces a composite controller as several interfaces at once, and
// its enumeration can take hundreds of milliseconds on the message thread: the
// events of this window from the first one make one pass.
const UINT kDiscoveryWindowMs = 250;
// Windows announces the HID interface before DirectInput lists the controller,
// and its first Acquire may fail while the driver starts.
const UINT kLateDiscoveryMs = 2000;
}  // namespace

// The HID device-interface class: controllers arrive and leave as HID devices.
static const GUID kHidInterfaceClass = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

int Quorix::initDeviceNotifications() {
    DEV_BROADCAST_DEVICEINTERFACE_A filter = {};
    filter.dbcc_size = sizeof filter;  // 32 on 32-bit and 64-bit Windows alike
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_reserved = 0;
    filter.dbcc_classguid = kHidInterfaceClass;
    hDevNotify = RegisterDeviceNotificationA(hFrameWnd, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    return hDevNotify ? 0 : 1;
}

int Quorix::closeDeviceNotifications() {
    if (!hDevNotify) return 0;
    if (!UnregisterDeviceNotification(hDevNotify)) return 1;
    hDevNotify = nullptr;
    return 0;
}

int Quorix::isControllerEvent(WPARAM wEvent, LPARAM lParam) {
    const DEV_BROADCAST_HDR* hdr = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
    if ((wEvent != DBT_DEVICEARRIVAL && wEvent != DBT_DEVICEREMOVECOMPLETE) || !hdr) return 0;
    // Volumes, ports and handles are broadcast to every top-level window.
    if (hdr->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE) return 0;
    const DEV_BROADCAST_DEVICEINTERFACE_A* rec = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_A*>(hdr);
    const size_t cbOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name);
    const size_t cbName = rec->dbcc_size > cbOffset ? rec->dbcc_size - cbOffset : 0;
    // An ANSI window gets the name in ANSI; a UTF-16 one (as services get) is
    // taken too. Interface names are ASCII either way.
    char name[MAX_PATH * 2] = {};
    const bool bWide = cbName >= 4 && rec->dbcc_name[0] && !rec->dbcc_name[1];
    for (size_t i = 0; i + 1 < sizeof name; ++i) {
        size_t at = bWide ? 2 * i : i;
        if (at >= cbName || !rec->dbcc_name[at]) break;
        name[i] = rec->dbcc_name[at];
    }
    unsigned short usPage = 0, usUsage = 0;
    // What cannot be read (a removed interface, for one) may be a controller: nothing is missed.
    if (pfnHidTopUsage(usPage, usUsage, name) != 0) return 1;
    return isGameControllerUsage(usPage, usUsage);
}

int Quorix::requestDiscovery(int bArrival) {
    if (bArrival) bDiscoveryArrival = 1;
    // Not restarted by later events: a chattering hub cannot hold discovery off.
    if (bDiscoveryDue) return 0;
    bDiscoveryDue = SetTimer(hFrameWnd, TIMER_DISCOVERY, kDiscoveryWindowMs, nullptr) != 0;
    return bDiscoveryDue ? 0 : onDiscoveryTimer(TIMER_DISCOVERY);
}

int Quorix::onDiscoveryTimer(UINT_PTR id) {
    // Never nested in a pass (a message box it shows runs a loop) nor in a round:
    // the window timer keeps coming until the pass can run.
    if (bEnumerating || isRoundRunning()) return 0;
    KillTimer(hFrameWnd, id);
    int bArrival = 0;
    if (id == TIMER_DISCOVERY) {
        bArrival = bDiscoveryArrival;
        bDiscoveryDue = bDiscoveryArrival = 0;
    }
    int status = enumHwDevices();
    // An arrival that connected nothing new: one more look, once. A look already due
    // stays: the controller it waits for may not be listed yet.
    if (bArrival && iNewlyConnected == 0) lookAgainLater();
    return status;
}

int Quorix::lookAgainLater() { return SetTimer(hFrameWnd, TIMER_LATE_DISCOVERY, kLateDiscoveryMs, nullptr) ? 0 : 1; }

int Quorix::enumHwDevices() {
    bEnumerating = 1;
    int status = 0;
    // Which controllers were connected before, to count the ones this pass adds.
    const int iKnown = hwDevices.count;
    int* abWasConnected = static_cast<int*>(calloc(iKnown ? iKnown : 1, sizeof(int)));
    for (int i = 0; i < iKnown && abWasConnected; ++i)
        abWasConnected[i] = hwDevices.items[i] && hwDevices.items[i]->isConnected();
    if (hLogFile != INVALID_HANDLE_VALUE) status = addLog("=== (Re)Configure Hardware Devices ...\r\n");
    if (status == 0) status = hwDevices.disconnectAll();
    if (status == 0 && (!pDI || FAILED(pDI->EnumDevices(DI8DEVCLASS_GAMECTRL, enumHwDevicesCB, this,
                                                         DIEDFL_ATTACHEDONLY))))
        status = 1;
    if (status == 0) status = settleNewcomers();
    free(aNewcomers);
    aNewcomers = nullptr;
    iNewcomers = 0;
    // Devices are only ever appended: an index names the same device before and after.
    iNewlyConnected = 0;
    for (int i = 0; i < hwDevices.count; ++i) {
        HwDevice* dev = hwDevices.items[i];
        if (dev && dev->isConnected() && !(i < iKnown && abWasConnected && abWasConnected[i])) ++iNewlyConnected;
    }
    free(abWasConnected);
    if (status == 0 && dlgCfg.hDlg) status = dlgCfg.drawHwDevList(0);
    if (status == 0 && hLogFile != INVALID_HANDLE_VALUE)
        status = addLog("=== (Re)Configure Hardware Devices: Done!\r\n");
    bEnumerating = 0;
    return status;
}

BOOL CALLBACK Quorix::enumHwDevicesCB(const DIDEVICEINSTANCEA* inst, void* ctx) {
    Quorix* app = static_cast<Quorix*>(ctx);
    if (app->hLogFile != INVALID_HANDLE_VALUE) {
        MyString line("enumDevices: ");
        line += inst->tszInstanceName;
        line += " ...\r\n";
        app->addLog(line);
    }
    int idx = -1;
    HwDevice* dev = nullptr;
    int status = app->hwDevices.findByGuid(idx, &inst->guidInstance);
    if (status == 0 && idx < 0) {
        // A new controller, or a known one under a new identity: decided once every
        // controller is listed, when it is clear which stored ones are missing.
        DIDEVICEINSTANCEA* p = static_cast<DIDEVICEINSTANCEA*>(
            realloc(app->aNewcomers, sizeof(DIDEVICEINSTANCEA) * (static_cast<size_t>(app->iNewcomers) + 1)));
        if (!p) return DIENUM_CONTINUE;  // not set up in this pass, as a controller that fails
        app->aNewcomers = p;
        app->aNewcomers[app->iNewcomers++] = *inst;
        return DIENUM_CONTINUE;
    }
    if (status == 0 && idx >= app->hwDevices.count) status = 1;
    if (status == 0 && !(dev = app->hwDevices.items[idx])) status = 2;
    if (status == 0 && app->hLogFile != INVALID_HANDLE_VALUE) app->addLog("... known device ...\r\n");
    if (status == 0) {
        app->setUpDevice(dev, inst);
    } else if (app->hLogFile != INVALID_HANDLE_VALUE) {
        MyString line("Error [");
        line.appendVal(status);
        line += "]\r\n";
        app->addLog(line);
    }
    // Only this controller stays not connected: the ones after it are still set up.
    return DIENUM_CONTINUE;
}

int Quorix::setUpDevice(HwDevice* dev, const DIDEVICEINSTANCEA* inst) {
    int status = dev->setDeviceInstance(inst);
    if (status == 0) status = dev->setConnected(1);
    if (status == 0) status = dev->configure(pDI);
    if (status == 0) status = dev->acquire();
    if (status == 0) {
        if (pActProfile)
            status = pActProfile->applyToHwDevice(dev);
        else
            MessageBoxA(hFrameWnd, "pActProfile is NULL", "Quorix::enumHwDevicesCB", MB_OK);
    }
    if (hLogFile != INVALID_HANDLE_VALUE) {
        MyString line(status == 0 ? "... success!" : "Error [");
        if (status != 0) line.appendVal(status), line += "]";
        line += "\r\n";
        addLog(line);
    }
    return status;
}

int Quorix::settleNewcomers() {
    GUID* aOld = static_cast<GUID*>(calloc(iNewcomers ? iNewcomers : 1, sizeof(GUID)));
    int iAdopted = 0;
    MyString balloon;  // one for the pass: a second would replace the first unseen
    for (int i = 0; i < iNewcomers; ++i) {
        const DIDEVICEINSTANCEA* inst = &aNewcomers[i];
        char name[MAX_PATH + 1];
        hwInstanceName(name, inst);
        int nCandidates = 0, nTwins = 0, nSameName = 0, bNamedBefore = 0;
        HwDevice* dev = nullptr;
        hwDevices.countCandidates(nCandidates, dev, inst);
        for (int j = 0; j < iNewcomers; ++j) {
            char other[MAX_PATH + 1];
            hwInstanceName(other, &aNewcomers[j]);
            if (strcmp(other, name) == 0) ++nSameName, bNamedBefore |= j < i;
            if (dev && hwMayBe(*dev, &aNewcomers[j])) ++nTwins;
        }
        MyString text;
        // One to one only: a moved pedal beside a new identical one could be either.
        if (nCandidates == 1 && nTwins == 1 && aOld) {
            aOld[iAdopted++] = dev->guid;
            profiles.replaceHwDevGuid(dev->guid, inst->guidInstance);
            text = "\"";
            text += dev->usrName;
            text += "\" was found on a new port; its settings were kept.";
        } else {
            dev = new (std::nothrow) HwDevice(*this);
            if (!dev || hwDevices.regDevice(dev, inst) != 0) {
                delete dev;  // not in the list, so nobody else owns it
                continue;
            }
            if (hLogFile != INVALID_HANDLE_VALUE) addLog("... new device ...\r\n");
            // Said once for the newcomers of a name that might have been stored ones.
            if (nCandidates > 0 && !bNamedBefore) {
                static const char* const kCounts[] = {"Two", "Three", "Four", "Five", "Six", "Seven", "Eight", "Nine"};
                if (nSameName > 1 && nSameName < 10) text = kCounts[nSameName - 2];
                if (nSameName >= 10) text.appendVal(nSameName);
                text += nSameName > 1 ? " controllers named \"" : "A controller named \"";
                text += name;
                text += nSameName > 1 ? "\" appeared with new identities; assign them in the configuration dialog."
                                      : "\" appeared with a new identity; assign it in the configuration dialog.";
            }
        }
        setUpDevice(dev, inst);
        if (text.size() && balloon.size()) balloon += " ";
        balloon += text;
    }
    if (balloon.size()) showBalloon("Quorix", balloon.text());
    // Saved at once, the new key first: the old one goes only once the profiles
    // that named it are stored under the new identity.
    if (iAdopted && bConfigRead && saveConfigNow() == 0)
        for (int k = 0; k < iAdopted; ++k) hwDevices.removeStoredKey(sRegRoot, aOld[k]);
    free(aOld);
    return 0;
}

int Quorix::reapplyProfile() {
    if (!pActProfile) {
        MessageBoxA(hFrameWnd, "pActProfile is NULL", "Quorix::enumHwDevicesCB", MB_OK);
        return 0;
    }
    int status = 0;
    for (int i = 0; i < hwDevices.count && status == 0; ++i) {
        if (!hwDevices.items[i])
            status = 2;
        else
            status = pActProfile->applyToHwDevice(hwDevices.items[i]);
    }
    return status;
}
