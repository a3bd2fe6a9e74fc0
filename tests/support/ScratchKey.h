#pragma once
// A private registry key for one test: HKEY_CURRENT_USER\Software\Velmora\<unique
// name>, created and opened (KEY_ALL_ACCESS) on construction and deleted with
// everything below it on destruction.

#include <windows.h>

#include "base/MyString.h"

class ScratchKey {
public:
    ScratchKey();
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    bool ok() const { return hKey != nullptr; }
    // Path below HKEY_CURRENT_USER, e.g. for openRegistryKey or readConfig.
    MyString& path() { return sPath; }
    // The open key; a test may close it (closeRegistryKey resets it to null).
    HKEY& key() { return hKey; }

private:
    MyString sPath;
    HKEY hKey;
};
