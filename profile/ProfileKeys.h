#pragma once
// Registry names of the profile tree. The registry tells key and value names
// apart without regard to letter case, so every comparison here does the same;
// a save writes first and afterwards removes what it no longer names.

#include <windows.h>

// 1 when the registry takes a and b for the same key (or value) name, else 0.
int sameKeyName(const char* a, const char* b);

// 1 when name can be stored as one key below its parent: not empty, without a
// backslash, which would nest the key, and at most 255 characters long.
int isSingleKeyName(const char* name);

// 1 when the sub-key name of key opens. A name with characters outside the ANSI
// code page is listed with "?" in their place and opens nothing: such a key can
// be neither read nor removed here, and is left as it is.
int opensSubKey(HKEY& key, const char* name);

// Answers whether a name is still in use; ctx is the caller's.
typedef int (*KeepNameFn)(void* ctx, const char* name);

// Removes every sub-key (with everything below it) whose name keepKey refuses and
// that opens, then every value whose name keepValue refuses; a null function keeps nothing.
// 0, or the status of the first failing step: the codes of enumRegKeys and of
// clearRegistryKey, 1 a sub-key not opened, 5 one not deleted, 6 a value name
// not listed or a value not deleted.
int pruneRegistryKey(HKEY& key, KeepNameFn keepKey, KeepNameFn keepValue, void* ctx);

// Removes the sub-key name of key with everything below it; codes as above.
int removeRegistrySubKey(HKEY& key, const char* name);
