#include "support/E2eRig.h"

#include "support/TestPaths.h"

namespace {
HKEY createKey(const std::string& subKey) {
    std::string path = std::string(kQuorixRegRoot) + (subKey.empty() ? "" : "\\" + subKey);
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    return key;
}
void seed(const std::string& subKey, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = createKey(subKey);
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}
}  // namespace

void seedDword(const std::string& subKey, const char* name, DWORD value) {
    seed(subKey, name, REG_DWORD, &value, sizeof value);
}
void seedString(const std::string& subKey, const char* name, const char* value) {
    seed(subKey, name, REG_SZ, value, static_cast<DWORD>(strlen(value) + 1));
}
void seedBinary(const std::string& subKey, const char* name, const void* data, DWORD size) {
    seed(subKey, name, REG_BINARY, data, size);
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

E2eRig::E2eRig() { sim.setQuietQueries(1); }

E2eRig::~E2eRig() {
    DWORD code = 0;
    if (quorix.running() && !quorix.quit(code)) quorix.kill();
    sim.stop();
    pads.close();
}

bool E2eRig::prepare() {
    sAppDir = buildDir() + "e2e-app\\";
    CreateDirectoryA(sAppDir.c_str(), nullptr);
    if (!CopyFileA(exePath("quorix.exe").c_str(), (sAppDir + "quorix.exe").c_str(), FALSE)) return false;
    if (!CopyFileA((buildDir() + "padsim\\dinput8.dll").c_str(), (sAppDir + "dinput8.dll").c_str(), FALSE))
        return false;
    // Wine prefers its own dinput8 unless told otherwise; a child's environment
    // does not reliably carry that, the prefix's per-program default does.
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\quorix.exe\\DllOverrides", 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS) {
        RegSetValueExA(key, "dinput8", 0, REG_SZ, reinterpret_cast<const BYTE*>("native,builtin"), 15);
        RegCloseKey(key);
    }
    // This handle keeps the controllers' block alive for the whole test.
    if (pads.open(1) != PADSIM_OK || pads.reset() != PADSIM_OK) return false;
    return sim.start(0) == 0;
}

bool E2eRig::startQuorix() {
    // The whole value: it replaces what the Wine wrapper set.
    return quorix.startAndWait("WINEDLLOVERRIDES=dinput8=n,b;mscoree,mshtml=", sAppDir + "quorix.exe");
}

std::vector<std::string> E2eRig::commands() const {
    std::vector<std::string> out;
    for (const Il2SimRecord& r : sim.records())
        if (r.kind == IL2SIM_CMD) out.push_back(r.sDatagram);
    return out;
}

bool E2eRig::waitForCommand(const std::string& text, DWORD ms) const {
    return waitFor(ms, [&] {
        for (const std::string& c : commands())
            if (c == text) return true;
        return false;
    });
}
