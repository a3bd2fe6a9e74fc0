// Application settings: the poll interval and the owners' keys below the root.

#include "app/Quorix.h"
#include "base/MyRegFuncs.h"

int Quorix::readConfig() {
    HKEY key = nullptr;
    int status = 0;
    if (openRegistryKey(HKEY_CURRENT_USER, sRegRoot, 0, KEY_ALL_ACCESS, &key) == 0) {
        int v = static_cast<int>(uiTimerInterval);
        status = getRegistryInt(v, key, "uiTimerInterval", v);
        uiTimerInterval = static_cast<unsigned int>(v);
        // A negative stored value is below 10, not a huge unsigned one.
        if (v < 10) uiTimerInterval = 10;
    }
    if (uiTimerInterval < 10) uiTimerInterval = 10;
    if (uiTimerInterval > 100) uiTimerInterval = 100;
    if (status == 0) status = il2Com.readConfig(sRegRoot);
    if (status == 0) status = hwDevices.readConfig(sRegRoot);
    if (status == 0) status = profiles.readConfig(sRegRoot, pActProfile);
    closeRegistryKey(key);
    if (status == 0) bConfigRead = 1;
    return status;
}

int Quorix::saveConfig() {
    HKEY key = nullptr;
    if (createRegistryKeyIfNotExists(HKEY_CURRENT_USER, sRegRoot) == 0 &&
        openRegistryKey(HKEY_CURRENT_USER, sRegRoot, 0, KEY_ALL_ACCESS, &key) == 0) {
        setRegistryInt(key, "uiTimerInterval", static_cast<int>(uiTimerInterval));
    }
    // Each owner keeps its own key: one that cannot be written costs the others
    // nothing. The first failure is reported.
    int status = profiles.saveConfig(sRegRoot, pActProfile);
    int s = hwDevices.saveConfig(sRegRoot);
    if (status == 0) status = s;
    s = il2Com.saveConfig(sRegRoot);
    if (status == 0) status = s;
    closeRegistryKey(key);
    return status;
}

int Quorix::saveConfigNow() {
    int status = saveConfig();
    HKEY key = nullptr;
    if (openRegistryKey(HKEY_CURRENT_USER, sRegRoot, 0, KEY_ALL_ACCESS, &key) == 0) {
        RegFlushKey(key);
        closeRegistryKey(key);
    }
    return status;
}
