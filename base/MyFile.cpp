#include "base/MyFile.h"

#include <windows.h>

#include "base/MyString.h"

int writeFile(void* file, const void* data, unsigned long count) {
    if (count == 0) return 0;
    DWORD written = 0;
    if (!WriteFile(static_cast<HANDLE>(file), data, count, &written, nullptr)) return 1;
    return written == count ? 0 : 2;
}

int writeFile(void* file, const char* text) { return writeFile(file, text, StrLen(text)); }

// INVALID_HANDLE_VALUE doubles as the current process's pseudo handle, which
// CloseHandle "closes" with success; no file must not report closed.
int closeFile(void* file) {
    if (!file || file == INVALID_HANDLE_VALUE) return 1;
    return CloseHandle(static_cast<HANDLE>(file)) ? 0 : 1;
}

int createFile(void*& file, const wchar_t* name) {
    file = CreateFileW(name, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? 1 : 0;
}

int moveFile(const wchar_t* from, const wchar_t* to) {
    return MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}

int createDir(const wchar_t* path) {
    return CreateDirectoryW(path, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS ? 0 : 1;
}
