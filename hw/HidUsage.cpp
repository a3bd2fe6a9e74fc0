#include "hw/HidUsage.h"

#include <windows.h>

// MinGW's HID headers declare no C linkage of their own.
extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}

int hidTopUsage(unsigned short& usPage, unsigned short& usUsage, const char* name) {
    // No access rights: enough to read the descriptor, and refused to nobody.
    HANDLE h = CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 1;
    int status = 1;
    PHIDP_PREPARSED_DATA pData = nullptr;
    if (HidD_GetPreparsedData(h, &pData)) {
        HIDP_CAPS caps;
        if (HidP_GetCaps(pData, &caps) == HIDP_STATUS_SUCCESS) {
            usPage = caps.UsagePage;
            usUsage = caps.Usage;
            status = 0;
        }
        HidD_FreePreparsedData(pData);
    }
    CloseHandle(h);
    return status;
}
