#pragma once
// Registry access with the fixed value encodings: ints and flags as REG_DWORD,
// doubles as number text in REG_SZ, texts as REG_SZ, byte blocks as REG_BINARY.
// Readers never fail (a missing or mistyped value leaves the default); writers
// and key operations return 0 or a status.

#include <windows.h>

#include "base/MyString.h"

int openRegistryKey(HKEY root, MyString& path, unsigned long options, unsigned long access, HKEY* out);
int createRegistryKey(HKEY root, MyString& path);
int createRegistryKeyIfNotExists(HKEY root, MyString& path);
int closeRegistryKey(HKEY& key);
// Bytes an "A" call may write for a key or value name of up to chars characters, with
// its NUL: the registry counts names in UTF-16 units, the ANSI code page takes up to
// its MaxCharSize bytes for each (2 in 932 and 936, 4 in UTF-8).
unsigned long regNameBufSize(unsigned long chars);
int enumRegKeys(MyStringArray* out, HKEY& key);
// 0 all removed; 1 counts, list growth, sub-key open or close; 2 buffer; 3 value
// name; 4 sub-key name; 5 sub-key not deleted; 6 value not deleted.
int clearRegistryKey(HKEY& key);

int getRegistryInt(int& out, HKEY& key, const char* name, int def);
int getRegistryBool(int& out, HKEY& key, const char* name, int def);
int getRegistryString(MyString& out, HKEY& key, const char* name, const char* def);
int getRegistryString(MyString& out, HKEY& key, const char* name, MyString& def);
int getRegistryDouble(double& out, HKEY& key, const char* name, double def);
int getRegistryBinary(void* out, unsigned long size, HKEY& key, const char* name, const void* def);

int setRegistryInt(HKEY& key, const char* name, int value);
int setRegistryBool(HKEY& key, const char* name, int flag);
int setRegistryString(HKEY& key, const char* name, MyString& text);
int setRegistryString(HKEY& key, const char* name, const char* text);
int setRegistryDouble(HKEY& key, const char* name, double value, int decimals);
int setRegistryBinary(HKEY& key, const char* name, const unsigned char* data, unsigned long size);
