#include "support/Seeding.h"

#include <gtest/gtest.h>

#include "padsim/VirtualControllers.h"
#include "support/E2eRig.h"

RegValue regRead(const std::string& path, const char* name) {
    const DWORD flags = RRF_RT_ANY | RRF_NOEXPAND;
    DWORD type = 0, size = 0;
    if (RegGetValueA(HKEY_CURRENT_USER, path.c_str(), name, flags, &type, nullptr, &size))
        return RegValue(0, std::string());
    std::string bytes(size, '\0');  // any size: damaged settings can be huge
    if (size && RegGetValueA(HKEY_CURRENT_USER, path.c_str(), name, flags, &type, &bytes[0], &size))
        return RegValue(0, std::string());
    bytes.resize(size);
    return RegValue(type, bytes);
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

static void dumpInto(RegDump& out, const std::string& root, const std::string& rel) {
    const std::string path = rel.empty() ? root : root + "\\" + rel;
    out[rel + "|"] = RegValue();
    for (const std::string& v : regNames(path, true)) out[rel + "|" + v] = regRead(path, v.c_str());
    for (const std::string& k : regNames(path)) dumpInto(out, root, rel.empty() ? k : rel + "\\" + k);
}
RegDump regDump(const std::string& path) {
    RegDump out;
    dumpInto(out, path, "");
    return out;
}

std::string quorixKey(const std::string& sub) { return std::string(kQuorixRegRoot) + (sub.empty() ? "" : "\\" + sub); }

void seed(const std::string& sub, const char* name, const RegValue& v) {
    regWrite(quorixKey(sub), name, v.first, v.second);
}

void seedLink(unsigned short port, DWORD intervalMs) {
    seed("", "uiTimerInterval", dwordValue(intervalMs));
    seed("IL2Com", "sIL2Addr", textValue("127.0.0.1"));
    seed("IL2Com", "iIL2Port", dwordValue(port));
}

void seedAssignment(const char* profile, int id, int ctrl, int axis) {
    seed("Profiles", "sActProfile", textValue(profile));
    std::string key = std::string("Profiles\\") + profile + "\\Dev2Axis\\" + std::to_string(id);
    seed(key, "guidHwDev", binaryValue(&kVirtualControllerGuid[ctrl - 1], sizeof(GUID)));
    seed(key, "idAxis", dwordValue(static_cast<DWORD>(axis)));
}
