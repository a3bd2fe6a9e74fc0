#include "support/ScratchKey.h"

ScratchKey::ScratchKey(const char* tag) : sPath("Software\\Velmora\\"), hKey(nullptr) {
    // Process id plus a counter: parallel test processes and several keys in
    // one test never meet.
    static int iCounter = 0;
    sPath.append(tag ? tag : "Scratch").append("-").appendVal(static_cast<int>(GetCurrentProcessId()));
    sPath.append("-").appendVal(++iCounter);
    RegDeleteTreeA(HKEY_CURRENT_USER, sPath.text());  // a leftover of a crashed run
    if (RegCreateKeyExA(HKEY_CURRENT_USER, sPath.text(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &hKey, nullptr) != ERROR_SUCCESS)
        hKey = nullptr;
}

ScratchKey::~ScratchKey() {
    if (hKey) RegCloseKey(hKey);
    RegDeleteTreeA(HKEY_CURRENT_USER, sPath.text());
}
