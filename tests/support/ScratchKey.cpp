#include "support/ScratchKey.h"

ScratchKey::ScratchKey() : sPath("Software\\Velmora\\Scratch-"), hKey(nullptr) {
    // Process id plus a counter: parallel test processes and several keys in
    // one test never meet.
    static int iCounter = 0;
    sPath.appendVal(static_cast<int>(GetCurrentProcessId())).append("-").appendVal(++iCounter);
    RegDeleteTreeA(HKEY_CURRENT_USER, sPath.text());  // a leftover of a crashed run
    if (RegCreateKeyExA(HKEY_CURRENT_USER, sPath.text(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &hKey, nullptr) != ERROR_SUCCESS)
        hKey = nullptr;
}

ScratchKey::~ScratchKey() {
    if (hKey) RegCloseKey(hKey);
    RegDeleteTreeA(HKEY_CURRENT_USER, sPath.text());
}
