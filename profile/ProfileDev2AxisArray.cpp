#include <cstdlib>
#include <cstring>
#include <new>

#include "app/Quorix.h"
#include "base/MyRegFuncs.h"
#include "hw/HwDevice.h"
#include "profile/Profile.h"
#include "profile/ProfileKeys.h"

ProfileDev2AxisArray::ProfileDev2AxisArray(Quorix& application) : items(nullptr), count(0), app(&application) {
    ILDeviceArray& catalogue = application.ilDevices;
    for (int i = 0; i < catalogue.iCount; ++i) {
        ILDevice* control = catalogue.apDevices[i];
        if (!control) continue;
        ProfileDev2Axis** grown = static_cast<ProfileDev2Axis**>(
            realloc(items, sizeof(ProfileDev2Axis*) * (static_cast<size_t>(count) + 1)));
        if (!grown) continue;
        items = grown;
        ProfileDev2Axis* item = new (std::nothrow) ProfileDev2Axis(application, control->id, control);
        if (item) items[count++] = item;
    }
}

ProfileDev2AxisArray::~ProfileDev2AxisArray() {
    for (int i = 0; i < count; ++i) delete items[i];
    free(items);
    items = nullptr;
    count = 0;
}

int ProfileDev2AxisArray::find(ProfileDev2Axis*& out, IdILDevice id) {
    out = nullptr;
    for (int i = 0; i < count; ++i) {
        if (items[i] && items[i]->idILDevice == id) {
            out = items[i];
            return 0;
        }
    }
    return 1;
}

int ProfileDev2AxisArray::applyToHwDevice(HwDevice* dev) {
    if (!dev) return 1;
    dev->bInUse = 0;
    for (int a = 0; a < HWA_COUNT; ++a) {
        dev->axes[a].pDev2Axis = nullptr;
        dev->axes[a].pILDevice = nullptr;
    }
    int status = 0;
    for (int i = 0; i < count && status == 0; ++i) {
        ProfileDev2Axis* item = items[i];
        if (!item) {
            status = 2;
            break;
        }
        if (item->idILDevice == IDIL_NONE) {
            status = 1;
            break;
        }
        if (memcmp(&item->guidHwDev, &dev->guid, sizeof(GUID)) != 0) continue;
        ILDevice* control = nullptr;
        status = app->ilDevices.getById(control, item->idILDevice);
        if (status != 0) break;
        if (item->idAxis == HWA_NONE) continue;
        dev->bInUse = 1;
        // The number may come from the registry: outside 1..8 (negative too) it
        // names no axis of ours and must never index the array.
        int axis = static_cast<int>(item->idAxis);
        if (axis < HWA_X || axis > HWA_SLD2) continue;
        // A later control on the same axis replaces an earlier one.
        dev->axes[axis - 1].pDev2Axis = item;
        dev->axes[axis - 1].pILDevice = control;
    }
    return status;
}

namespace {
// Keeps the assignment keys that name one of our controls.
int isItemKey(void* ctx, const char* name) {
    ProfileDev2AxisArray* list = static_cast<ProfileDev2AxisArray*>(ctx);
    for (int i = 0; i < list->count; ++i) {
        if (!list->items[i]) continue;
        MyString id;
        id.appendVal(list->items[i]->idILDevice);
        if (sameKeyName(id.text(), name)) return 1;
    }
    return 0;
}

MyString itemPath(const MyString& path, const ProfileDev2Axis* item) {
    MyString sub(path);
    sub += "\\";
    sub.appendVal(item->idILDevice);
    return sub;
}
}  // namespace

int ProfileDev2AxisArray::saveConfig(MyString path) {
    path += "\\Dev2Axis";
    createRegistryKeyIfNotExists(HKEY_CURRENT_USER, path);
    HKEY key = nullptr;
    int status = openRegistryKey(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key);
    if (status != 0) return status;
    for (int i = 0; i < count && status == 0; ++i)
        status = items[i] ? items[i]->saveConfig(itemPath(path, items[i])) : 2;
    // Only after every assignment is written: keys of controls we do not have go.
    if (status == 0) status = pruneRegistryKey(key, isItemKey, nullptr, this);
    closeRegistryKey(key);
    return status;
}

int ProfileDev2AxisArray::readConfig(MyString path) {
    path += "\\Dev2Axis";
    HKEY key = nullptr;
    if (openRegistryKey(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key) != 0) return 0;
    int status = 0;
    for (int i = 0; i < count && status == 0; ++i)
        status = items[i] ? items[i]->readConfig(itemPath(path, items[i])) : 2;
    closeRegistryKey(key);
    return status;
}
