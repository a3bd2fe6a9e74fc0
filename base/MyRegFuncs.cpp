#include "base/MyRegFuncs.h"

#include <cstdlib>
#include <cstring>

int openRegistryKey(HKEY root, MyString& path, unsigned long options, unsigned long access, HKEY* out) {
    *out = nullptr;
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, path.text(), options, access, &k) != ERROR_SUCCESS) return 1;
    *out = k;
    return 0;
}

int createRegistryKey(HKEY root, MyString& path) {
    HKEY k = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(root, path.text(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &k,
                        &disposition) != ERROR_SUCCESS)
        return 1;
    RegCloseKey(k);
    return 0;
}

int createRegistryKeyIfNotExists(HKEY root, MyString& path) {
    HKEY k = nullptr;
    if (openRegistryKey(root, path, 0, KEY_ALL_ACCESS, &k) == 0) {
        closeRegistryKey(k);
        return 0;
    }
    createRegistryKey(root, path);  // a failure shows at the following open
    return 0;
}

int closeRegistryKey(HKEY& key) {
    if (!key) return 0;
    if (RegCloseKey(key) != ERROR_SUCCESS) return 1;
    key = nullptr;
    return 0;
}

unsigned long regNameBufSize(unsigned long chars) {
    CPINFO cp;
    return chars * (GetCPInfo(CP_ACP, &cp) ? cp.MaxCharSize : 4) + 1;
}

int enumRegKeys(MyStringArray* out, HKEY& key) {
    DWORD subKeys = 0, maxLen = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, &maxLen, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return 1;
    if (subKeys == 0) return 0;
    DWORD bufSize = regNameBufSize(maxLen);
    char* name = static_cast<char*>(calloc(bufSize, 1));
    if (!name) return 2;
    int status = 0;
    for (DWORD i = 0;; ++i) {
        DWORD len = bufSize;
        LONG r = RegEnumKeyExA(key, i, name, &len, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_NO_MORE_ITEMS) break;
        if (r != ERROR_SUCCESS) { status = 3; break; }
        MyString* item = new MyString(name);
        if (out->add(item) != 0) { delete item; status = 1; break; }
    }
    free(name);
    return status;
}

namespace {
// Collects value names (forValues) or sub-key names of key into names.
// 0 done; 1 list could not grow; failStatus when a name could not be read.
int collectNames(MyStringArray& names, HKEY key, bool forValues, char* buf, DWORD bufSize, int failStatus) {
    for (DWORD i = 0;; ++i) {
        DWORD len = bufSize;
        LONG r = forValues ? RegEnumValueA(key, i, buf, &len, nullptr, nullptr, nullptr, nullptr)
                           : RegEnumKeyExA(key, i, buf, &len, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_NO_MORE_ITEMS) return 0;
        if (r != ERROR_SUCCESS && !(forValues && r == ERROR_MORE_DATA)) return failStatus;
        buf[bufSize - 1] = '\0';  // ERROR_MORE_DATA may leave the name unterminated
        MyString* item = new MyString(buf);
        if (names.add(item) != 0) { delete item; return 1; }
    }
}
}  // namespace

int clearRegistryKey(HKEY& key) {
    DWORD subKeys = 0, maxKeyLen = 0, values = 0, maxValueLen = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, &maxKeyLen, nullptr, &values, &maxValueLen,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return 1;
    if (subKeys == 0 && values == 0) return 0;
    // One buffer serves both passes, so it must fit the longer kind of name.
    DWORD bufSize = regNameBufSize(maxKeyLen > maxValueLen ? maxKeyLen : maxValueLen);
    char* buf = static_cast<char*>(calloc(bufSize, 1));
    if (!buf) return 2;

    int status = 0;
    if (values > 0) {
        MyStringArray names;
        status = collectNames(names, key, true, buf, bufSize, 3);
        // A refused delete, or a truncated name that names no value, leaves a value behind.
        if (status == 0)
            for (int i = 0; i < names.iCount; ++i)
                if (RegDeleteValueA(key, names.apItems[i]->text()) != ERROR_SUCCESS && status == 0) status = 6;
    }
    if (status == 0 || subKeys > 0) {
        // The sub-keys are cleared even after a failed value pass, but its status stays the result.
        MyStringArray names;
        int collected = collectNames(names, key, false, buf, bufSize, 4);
        int valueStatus = status;
        status = collected;
        for (int i = 0; i < names.iCount && status == 0; ++i) {
            MyString path(names.apItems[i]->text());
            HKEY sub = nullptr;
            if (openRegistryKey(key, path, 0, KEY_ALL_ACCESS, &sub) != 0) { status = 1; break; }
            status = clearRegistryKey(sub);
            if (closeRegistryKey(sub) != 0) {
                if (status == 0) status = 1;
                RegCloseKey(sub);
                break;
            }
            if (status == 0 && RegDeleteKeyA(key, path.text()) != ERROR_SUCCESS) status = 5;
        }
        if (valueStatus != 0) status = valueStatus;
    }
    free(buf);
    return status;
}

int getRegistryInt(int& out, HKEY& key, const char* name, int def) {
    out = def;
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
        type == REG_DWORD && size == sizeof value)
        out = static_cast<int>(value);
    return 0;
}

int getRegistryBool(int& out, HKEY& key, const char* name, int def) {
    int v = 0;
    getRegistryInt(v, key, name, def);
    out = v != 0 ? 1 : 0;
    return 0;
}

int getRegistryString(MyString& out, HKEY& key, const char* name, const char* def) {
    out = def;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || size == 0) return 0;
    if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ) return 0;
    char* buf = static_cast<char*>(calloc(size, 1));
    if (!buf) return 0;
    DWORD got = size;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &got) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ)) {
        if (got > size) got = size;
        const void* nul = memchr(buf, 0, got);
        unsigned long len = nul ? static_cast<unsigned long>(static_cast<const char*>(nul) - buf) : got;
        out = "";
        out.append(buf, 0, len);
    }
    free(buf);
    return 0;
}

int getRegistryString(MyString& out, HKEY& key, const char* name, MyString& def) {
    MyString copy(def);  // def may be out itself
    return getRegistryString(out, key, name, copy.text());
}

int getRegistryDouble(double& out, HKEY& key, const char* name, double def) {
    out = def;
    MyString text;
    getRegistryString(text, key, name, "xx");
    if (text != "xx") StringToDouble(out, text);
    return 0;
}

int getRegistryBinary(void* out, unsigned long size, HKEY& key, const char* name, const void* def) {
    if (def) memmove(out, def, size);
    unsigned char* buf = static_cast<unsigned char*>(malloc(size ? size : 1));
    if (!buf) return 0;
    DWORD type = 0, got = size;
    if (RegQueryValueExA(key, name, nullptr, &type, buf, &got) == ERROR_SUCCESS && type == REG_BINARY &&
        got <= size)
        memcpy(out, buf, got);
    free(buf);
    return 0;
}

namespace {
int setValue(HKEY key, const char* name, DWORD type, const void* data, DWORD size) {
    return RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS ? 0 : 1;
}
}  // namespace

int setRegistryInt(HKEY& key, const char* name, int value) {
    DWORD v = static_cast<DWORD>(value);
    return setValue(key, name, REG_DWORD, &v, sizeof v);
}

int setRegistryBool(HKEY& key, const char* name, int flag) { return setRegistryInt(key, name, flag ? 1 : 0); }

int setRegistryString(HKEY& key, const char* name, const char* text) {
    if (!text) text = "";
    return setValue(key, name, REG_SZ, text, StrLen(text) + 1);
}

int setRegistryString(HKEY& key, const char* name, MyString& text) {
    return setRegistryString(key, name, text.text());
}

int setRegistryDouble(HKEY& key, const char* name, double value, int decimals) {
    MyString text;
    ValueToString(text, value, decimals);
    return setRegistryString(key, name, text);
}

int setRegistryBinary(HKEY& key, const char* name, const unsigned char* data, unsigned long size) {
    return setValue(key, name, REG_BINARY, data, size);
}
