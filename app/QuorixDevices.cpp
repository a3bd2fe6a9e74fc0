// Device discovery and hot-plug, and binding the active profile to the devices.

#include "app/Quorix.h"

#include <dbt.h>

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

int Quorix::enumHwDevices() {
    bEnumerating = 1;
    int status = 0;
    if (hLogFile != INVALID_HANDLE_VALUE) status = addLog("=== (Re)Configure Hardware Devices ...\r\n");
    if (status == 0) status = hwDevices.disconnectAll();
    if (status == 0 && (!pDI || FAILED(pDI->EnumDevices(DI8DEVCLASS_GAMECTRL, enumHwDevicesCB, this,
                                                         DIEDFL_ATTACHEDONLY))))
        status = 1;
    if (status == 0 && dlgCfg.hDlg) status = dlgCfg.drawHwDevList(0);
    if (status == 0 && hLogFile != INVALID_HANDLE_VALUE)
        status = addLog("=== (Re)Configure Hardware Devices: Done!\r\n");
    bEnumerating = 0;
    return status;
}

BOOL CALLBACK Quorix::enumHwDevicesCB(const DIDEVICEINSTANCEA* inst, void* ctx) {
    Quorix* app = static_cast<Quorix*>(ctx);
    const bool logging = app->hLogFile != INVALID_HANDLE_VALUE;
    if (logging) {
        MyString line("enumDevices: ");
        line += inst->tszInstanceName;
        line += " ...\r\n";
        app->addLog(line);
    }
    int idx = -1;
    HwDevice* dev = nullptr;
    int status = app->hwDevices.findByGuid(idx, &inst->guidInstance);
    if (status == 0) {
        if (idx < 0) {
            dev = new HwDevice(*app);
            status = app->hwDevices.regDevice(dev, inst);
            if (status != 0) {
                delete dev;  // not in the list, so nobody else owns it
                dev = nullptr;
            } else if (logging) {
                status = app->addLog("... new device ...\r\n");
            }
        } else if (idx >= app->hwDevices.count) {
            status = 1;
        } else if (!(dev = app->hwDevices.items[idx])) {
            status = 2;
        } else if (logging) {
            status = app->addLog("... known device ...\r\n");
        }
    }
    if (status == 0) status = dev->setDeviceInstance(inst);
    if (status == 0) status = dev->setConnected(1);
    if (status == 0) status = dev->configure(app->pDI);
    if (status == 0) status = dev->acquire();
    if (status == 0) {
        if (app->pActProfile) {
            status = app->pActProfile->applyToHwDevice(dev);
        } else {
            MessageBoxA(app->hFrameWnd, "pActProfile is NULL", "Quorix::enumHwDevicesCB", MB_OK);
        }
    }
    if (status == 0) {
        if (logging && app->addLog("... success!\r\n") != 0) return DIENUM_STOP;
        return DIENUM_CONTINUE;
    }
    if (logging) {
        MyString line("Error [");
        line.appendVal(status);
        line += "]\r\n";
        app->addLog(line);
    }
    // Only this controller stays not connected: the ones after it are still set up.
    return DIENUM_CONTINUE;
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
