#pragma once
// Everything a key tree holds, for byte-for-byte comparisons of what a save wrote,
// and a raw writer for seeding (or damaging) settings past the code under test.

#include <windows.h>

#include <map>
#include <string>

// "sub\key|value name" -> type and bytes in hex; a key itself appears as "sub\key|"
// (so an empty key counts). Paths are relative to the dumped key.
typedef std::map<std::string, std::string> RegistryDump;
RegistryDump dumpRegistryTree(const std::string& path);

// Sets (creating the key) a value of any type and bytes below HKEY_CURRENT_USER.
void putRegistryValue(const std::string& path, const char* name, DWORD type, const std::string& bytes);

// A controller's key name below HwDev: the GUID as StringFromGUID2 writes it.
std::string guidKeyName(const GUID& guid);
