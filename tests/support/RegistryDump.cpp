#include "support/RegistryDump.h"

#include <objbase.h>

#include <cstdio>
#include <vector>

namespace {
void dumpKey(RegistryDump& out, HKEY key, const std::string& rel) {
    out[rel + "|"] = "";
    DWORD maxValueName = 0, maxData = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxValueName, &maxData,
                     nullptr, nullptr);
    std::vector<char> name(maxValueName + 2);
    std::vector<BYTE> data(maxData + 1);
    for (DWORD i = 0;; ++i) {
        DWORD nameLen = static_cast<DWORD>(name.size()), dataLen = static_cast<DWORD>(data.size()), type = 0;
        if (RegEnumValueA(key, i, name.data(), &nameLen, nullptr, &type, data.data(), &dataLen) != ERROR_SUCCESS)
            break;
        std::string text = std::to_string(type) + ":";
        char hex[4];
        for (DWORD b = 0; b < dataLen; ++b) {
            snprintf(hex, sizeof hex, "%02x", data[b]);
            text += hex;
        }
        out[rel + "|" + name.data()] = text;
    }
    char sub[256];
    for (DWORD i = 0;; ++i) {
        DWORD len = sizeof sub;
        if (RegEnumKeyExA(key, i, sub, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        HKEY child = nullptr;
        if (RegOpenKeyExA(key, sub, 0, KEY_READ, &child) != ERROR_SUCCESS) continue;
        dumpKey(out, child, rel.empty() ? sub : rel + "\\" + sub);
        RegCloseKey(child);
    }
}
}  // namespace

RegistryDump dumpRegistryTree(const std::string& path) {
    RegistryDump out;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return out;
    dumpKey(out, key, "");
    RegCloseKey(key);
    return out;
}

void putRegistryValue(const std::string& path, const char* name, DWORD type, const std::string& bytes) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
}

std::string guidKeyName(const GUID& guid) {
    WCHAR w[40] = {};
    StringFromGUID2(guid, w, 40);
    std::string s;
    for (int i = 0; w[i]; ++i) s += static_cast<char>(w[i]);
    return s;
}
