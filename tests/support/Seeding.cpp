#include "support/Seeding.h"

#include <gtest/gtest.h>

#include "padsim/VirtualControllers.h"
#include "support/QuorixProcess.h"

RegValue regRead(const std::string& path, const char* name) {
    char buf[1024];
    DWORD type = 0, size = sizeof buf;
    if (RegGetValueA(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, buf, &size))
        return RegValue(0, std::string());
    return RegValue(type, std::string(buf, size));
}

void regWrite(const std::string& path, const char* name, DWORD type, const std::string& bytes) {
    HKEY k = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr)) {
        ADD_FAILURE() << "cannot create " << path;
        return;
    }
    if (name) RegSetValueExA(k, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()), DWORD(bytes.size()));
    RegCloseKey(k);
}

std::vector<std::string> regNames(const std::string& path, bool values) {
    std::vector<std::string> out;
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &k)) return out;
    char buf[512];
    for (DWORD i = 0, len = sizeof buf;; ++i, len = sizeof buf) {
        if ((values ? RegEnumValueA(k, i, buf, &len, nullptr, nullptr, nullptr, nullptr)
                    : RegEnumKeyExA(k, i, buf, &len, nullptr, nullptr, nullptr, nullptr)) != ERROR_SUCCESS)
            break;
        out.push_back(buf);
    }
    RegCloseKey(k);
    return out;
}

RegValue dwordValue(DWORD v) { return RegValue(REG_DWORD, std::string(reinterpret_cast<const char*>(&v), 4)); }
RegValue textValue(const char* text) { return RegValue(REG_SZ, std::string(text, strlen(text) + 1)); }
RegValue binaryValue(const void* data, size_t size) {
    return RegValue(REG_BINARY, std::string(static_cast<const char*>(data), size));
}

static std::string settingsPath(const std::string& subKey) {
    return std::string(kQuorixRegRoot) + (subKey.empty() ? "" : "\\" + subKey);
}
void seedDword(const std::string& subKey, const char* name, DWORD value) {
    regWrite(settingsPath(subKey), name, REG_DWORD, dwordValue(value).second);
}
void seedString(const std::string& subKey, const char* name, const char* value) {
    regWrite(settingsPath(subKey), name, REG_SZ, textValue(value).second);
}
void seedBinary(const std::string& subKey, const char* name, const void* data, DWORD size) {
    regWrite(settingsPath(subKey), name, REG_BINARY, binaryValue(data, size).second);
}

void seedLink(unsigned short port, DWORD intervalMs) {
    seedDword("", "uiTimerInterval", intervalMs);
    seedString("IL2Com", "sIL2Addr", "127.0.0.1");
    seedDword("IL2Com", "iIL2Port", port);
}

void seedAssignment(const char* profile, int id, int ctrl, int axis) {
    seedString("Profiles", "sActProfile", profile);
    std::string key = std::string("Profiles\\") + profile + "\\Dev2Axis\\" + std::to_string(id);
    seedBinary(key, "guidHwDev", &kVirtualControllerGuid[ctrl - 1], sizeof(GUID));
    seedDword(key, "idAxis", static_cast<DWORD>(axis));
}
