#include "profile/ProfileKeys.h"

#include <cstdlib>

#include "base/MyRegFuncs.h"
#include "base/MyString.h"

namespace {
inline unsigned char asciiLower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

// The text in UTF-16 by the ANSI code page, as the "A" registry calls see it; null on failure.
wchar_t* toWide(const char* s) {
    int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
    if (n <= 0) return nullptr;
    wchar_t* w = static_cast<wchar_t*>(malloc(sizeof(wchar_t) * static_cast<size_t>(n)));
    if (w && MultiByteToWideChar(CP_ACP, 0, s, -1, w, n) != n) {
        free(w);
        w = nullptr;
    }
    return w;
}

// Value names of key; 0, or 6 when they cannot be listed.
int listValueNames(MyStringArray& out, HKEY key) {
    const DWORD bufSize = regNameBufSize(16383);  // the longest value name the registry takes
    char* buf = static_cast<char*>(malloc(bufSize));
    if (!buf) return 6;
    int status = 0;
    for (DWORD i = 0;; ++i) {
        DWORD len = bufSize;
        LONG r = RegEnumValueA(key, i, buf, &len, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_NO_MORE_ITEMS) break;
        if (r != ERROR_SUCCESS) { status = 6; break; }
        MyString* item = new MyString(buf);
        if (out.add(item) != 0) { delete item; status = 6; break; }
    }
    free(buf);
    return status;
}
}  // namespace

int sameKeyName(const char* a, const char* b) {
    if (!a) a = "";
    if (!b) b = "";
    const unsigned char* p = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* q = reinterpret_cast<const unsigned char*>(b);
    for (;; ++p, ++q) {
        if (*p >= 0x80 || *q >= 0x80) break;
        if (asciiLower(*p) != asciiLower(*q)) return 0;
        if (*p == 0) return 1;
    }
    // Beyond ASCII the registry folds case over Unicode (É and é name one key
    // in code page 1252), so the comparison goes the same way.
    wchar_t* wa = toWide(a);
    wchar_t* wb = toWide(b);
    int same = (wa && wb) ? CompareStringOrdinal(wa, -1, wb, -1, TRUE) == CSTR_EQUAL : StrCmp(a, b) == 0;
    free(wa);
    free(wb);
    return same ? 1 : 0;
}

int isSingleKeyName(const char* name) {
    if (!name || !*name) return 0;
    // By character: the trail byte of a double-byte character may be 0x5C, "\" alone.
    for (const char* p = name; *p; p = CharNextA(p))
        if (*p == '\\') return 0;
    // The registry counts UTF-16 units, into which the "A" calls convert the name.
    int n = MultiByteToWideChar(CP_ACP, 0, name, -1, nullptr, 0);
    return n > 1 && n - 1 <= 255;
}

int opensSubKey(HKEY& key, const char* name) {
    MyString path(name);
    HKEY sub = nullptr;
    if (openRegistryKey(key, path, 0, KEY_ALL_ACCESS, &sub) != 0) return 0;
    closeRegistryKey(sub);
    return 1;
}

int removeRegistrySubKey(HKEY& key, const char* name) {
    MyString path(name);
    HKEY sub = nullptr;
    if (openRegistryKey(key, path, 0, KEY_ALL_ACCESS, &sub) != 0) return 1;
    int status = clearRegistryKey(sub);
    if (closeRegistryKey(sub) != 0) {
        RegCloseKey(sub);
        if (status == 0) status = 1;
    }
    if (status == 0 && RegDeleteKeyA(key, path.text()) != ERROR_SUCCESS) status = 5;
    return status;
}

int pruneRegistryKey(HKEY& key, KeepNameFn keepKey, KeepNameFn keepValue, void* ctx) {
    MyStringArray keys;
    int status = enumRegKeys(&keys, key);
    for (int i = 0; i < keys.iCount && status == 0; ++i) {
        const char* n = keys.apItems[i]->text();
        if ((!keepKey || !keepKey(ctx, n)) && opensSubKey(key, n)) status = removeRegistrySubKey(key, n);
    }
    if (status != 0) return status;
    MyStringArray values;
    status = listValueNames(values, key);
    for (int i = 0; i < values.iCount && status == 0; ++i) {
        const char* n = values.apItems[i]->text();
        if ((!keepValue || !keepValue(ctx, n)) && RegDeleteValueA(key, n) != ERROR_SUCCESS) status = 6;
    }
    return status;
}
