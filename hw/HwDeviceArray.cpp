#include <cstdlib>
#include <cstring>
#include <new>

#include "base/MyRegFuncs.h"
#include "hw/HwDevice.h"
#include "profile/ProfileKeys.h"

HwDeviceArray::HwDeviceArray(Quorix& application) : items(nullptr), count(0), app(&application) {}

HwDeviceArray::~HwDeviceArray() {
    for (int i = 0; i < count; ++i) delete items[i];
    free(items);
    items = nullptr;
    count = 0;
}

int HwDeviceArray::add(HwDevice* dev) {
    if (!dev) return 1;  // an empty slot would stop every later walk of the list
    HwDevice** p = static_cast<HwDevice**>(realloc(items, sizeof(HwDevice*) * (static_cast<size_t>(count) + 1)));
    if (!p) return 1;
    items = p;
    items[count++] = dev;
    return 0;
}

int HwDeviceArray::regDevice(HwDevice* dev, const DIDEVICEINSTANCEA* inst) {
    if (!dev || !inst) return 1;
    char name[MAX_PATH + 1];
    hwInstanceName(name, inst);
    int status = dev->setInstName(name);
    if (status == 0) status = dev->setUsrName(name);
    if (status == 0) status = add(dev);
    return status;
}

int HwDeviceArray::countCandidates(int& n, HwDevice*& pOut, const DIDEVICEINSTANCEA* inst) {
    n = 0;
    pOut = nullptr;
    for (int i = 0; i < count; ++i) {
        if (items[i] && hwMayBe(*items[i], inst)) {
            ++n;
            pOut = items[i];
        }
    }
    return 0;
}

int HwDeviceArray::removeStoredKey(MyString path, const GUID& guid) {
    char text[40];
    if (hwGuidKeyName(text, guid) != 0) return 1;
    path += "\\HwDev";
    HKEY key = nullptr;
    int status = openRegistryKey(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key);
    if (status == 0) status = removeRegistrySubKey(key, text);
    closeRegistryKey(key);
    return status;
}

int HwDeviceArray::findByGuid(int& idx, const GUID* guid) {
    idx = -1;
    if (!guid) return 0;
    for (int i = 0; i < count; ++i) {
        if (!items[i]) return 2;
        if (memcmp(&items[i]->guid, guid, sizeof(GUID)) == 0) {
            idx = i;
            return 0;
        }
    }
    return 0;
}

int HwDeviceArray::checkDoubleUsrName(int& bDouble, MyString& name, HwDevice* exclude) {
    bDouble = 0;
    for (int i = 0; i < count; ++i) {
        if (items[i] && items[i] != exclude && items[i]->usrName == name) {
            bDouble = 1;
            break;
        }
    }
    return 0;
}

int HwDeviceArray::disconnectAll() {
    for (int i = 0; i < count; ++i) {
        if (!items[i]) return 2;
        int status = items[i]->setConnected(0);
        if (status == 0) status = items[i]->unacquire();
        if (status != 0) return status;
    }
    return 0;
}

int HwDeviceArray::releaseAll() {
    for (int i = 0; i < count; ++i)
        if (items[i]) items[i]->releaseDiDevice();
    return 0;
}

int HwDeviceArray::getEventHandles(int& n, HANDLE* ahOut, int iMax) {
    n = 0;
    for (int i = 0; i < count && n < iMax; ++i) {
        HwDevice* dev = items[i];
        if (dev && dev->hEvent && dev->bConnected && dev->bAcquired && dev->bInUse) ahOut[n++] = dev->hEvent;
    }
    return 0;
}

int HwDeviceArray::readConfig(MyString path) {
    path += "\\HwDev";
    HKEY key = nullptr;
    if (openRegistryKey(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != 0) return 0;  // first start
    MyStringArray names;
    int status = enumRegKeys(&names, key);
    for (int i = 0; i < names.count() && status == 0; ++i) {
        HwDevice* dev = new (std::nothrow) HwDevice(*app);
        if (!dev) {
            status = 1;
            break;
        }
        status = dev->readConfig(path, *names.apItems[i]);
        // Without a stored identity (no guid of 16 bytes, or all zero) the key names
        // no controller: loaded, it would come back as a phantom under the zero GUID.
        static const GUID kNoGuid = {};
        if (status == 0 && memcmp(&dev->guid, &kNoGuid, sizeof kNoGuid) == 0) {
            delete dev;
            continue;
        }
        if (status == 0 && add(dev) != 0) status = 1;
        if (status != 0) delete dev;
    }
    closeRegistryKey(key);
    return status;
}

int HwDeviceArray::saveConfig(MyString path) {
    path += "\\HwDev";
    for (int i = 0; i < count; ++i) {
        if (!items[i]) return 2;
        int status = items[i]->saveConfig(path);
        if (status != 0) return status;
    }
    return 0;
}
