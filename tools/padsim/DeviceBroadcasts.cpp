#include "padsim/DeviceBroadcasts.h"

#include <dbt.h>

#include <cstdio>
#include <cstring>

namespace {
const char kHidClass[] = "{4d1e55b2-f16f-11cf-88cb-001111000030}";
const char kMouseName[] = "\\\\?\\HID#VID_046D&PID_C077#7&2a4b1c&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
const GUID kHidInterfaceClass = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
}  // namespace

void padsimInterfaceName(char (&out)[128], int iCtrl, int iCol) {
    snprintf(out, sizeof out, "\\\\?\\HID#VID_1209&PID_C0DE&Col%02d#8&padsim%02d&0&%04d#%s", iCol, iCtrl + 1, iCol,
             kHidClass);
}

void padsimSendInterfaceEvent(HWND hwnd, WPARAM wEvent, const char* name, DWORD dwMs) {
    struct {
        DEV_BROADCAST_DEVICEINTERFACE_A rec;
        char rest[160];
    } b = {};
    size_t len = strlen(name);
    if (len >= sizeof b.rest) len = sizeof b.rest - 1;
    b.rec.dbcc_size = static_cast<DWORD>(offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name) + len + 1);
    b.rec.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    b.rec.dbcc_classguid = kHidInterfaceClass;
    memcpy(b.rec.dbcc_name, name, len);
    if (!dwMs) {
        SendMessageA(hwnd, WM_DEVICECHANGE, wEvent, reinterpret_cast<LPARAM>(&b));
        return;
    }
    DWORD_PTR dwResult = 0;
    SendMessageTimeoutA(hwnd, WM_DEVICECHANGE, wEvent, reinterpret_cast<LPARAM>(&b), SMTO_NORMAL | SMTO_ABORTIFHUNG,
                        dwMs, &dwResult);
}

void padsimSendMouseArrival(HWND hwnd) { padsimSendInterfaceEvent(hwnd, DBT_DEVICEARRIVAL, kMouseName); }

void padsimSendVolumeArrival(HWND hwnd) {
    DEV_BROADCAST_VOLUME v = {sizeof v, DBT_DEVTYP_VOLUME, 0, 1u << ('E' - 'A'), 0};
    SendMessageA(hwnd, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&v));
}

int padsimHidTopUsage(unsigned short& usPage, unsigned short& usUsage, const char* name) {
    if (!name) return 1;
    if (strcmp(name, kMouseName) == 0) {
        usPage = 1, usUsage = 2;
        return 0;
    }
    if (!strstr(name, "&padsim")) return 1;
    usPage = 1, usUsage = 4;
    return 0;
}
