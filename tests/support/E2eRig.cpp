#include "support/E2eRig.h"

#include <algorithm>

#include "support/DlgDriver.h"
#include "support/TestPaths.h"

const char* const kQuorixRegRoot = "Software\\Velmora\\Quorix";

void clearQuorixSettings() { RegDeleteTreeA(HKEY_CURRENT_USER, kQuorixRegRoot); }

bool QuorixProcess::quit(DWORD& exitCode, DWORD ms) {
    HWND hwnd = frame();
    if (!hwnd) return false;
    PostMessageA(hwnd, WM_COMMAND, 999, 0);
    return waitExit(ms, exitCode);
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
    if (!CopyFileA(exePath("padsim\\dinput8.dll").c_str(), (sAppDir + "dinput8.dll").c_str(), FALSE)) return false;
    // Wine prefers its own dinput8 unless told otherwise; the prefix's per-program
    // default does, where an environment override would not reliably reach the child.
    regWrite("Software\\Wine\\AppDefaults\\quorix.exe\\DllOverrides", "dinput8", REG_SZ,
             textValue("native,builtin").second);
    // This handle keeps the controllers' block alive for the whole test.
    if (pads.open(1) != PADSIM_OK || pads.reset() != PADSIM_OK) return false;
    return sim.start(0) == 0;
}

bool E2eRig::startQuorix(const std::string& args) {
    if (!quorix.start("\"" + sAppDir + "quorix.exe\"" + args)) return false;
    return dlgWait([this] { return quorix.frame() != nullptr || !quorix.running(); }, 20000) && quorix.frame();
}

std::vector<std::string> E2eRig::commands() const {
    std::vector<std::string> out;
    for (const Il2SimRecord& r : sim.records())
        if (r.kind == IL2SIM_CMD) out.push_back(r.sDatagram);
    return out;
}

bool E2eRig::waitForCommand(const std::string& text, DWORD ms) const {
    return dlgWait([&] {
        std::vector<std::string> c = commands();
        return std::find(c.begin(), c.end(), text) != c.end();
    }, ms);
}
