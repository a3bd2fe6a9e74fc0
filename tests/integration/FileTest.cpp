#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "base/MyFile.h"

// INVALID_HANDLE_VALUE is also the current process's pseudo handle, which
// CloseHandle accepts (Windows and Wine alike); "no file" must not read as closed.
TEST(FileHelpers, WritesExactlyTheBytesAskedAndFailuresReportOne) {
    char dir[MAX_PATH] = {}, path[MAX_PATH] = {};
    ASSERT_NE(0u, GetTempPathA(MAX_PATH, dir));
    ASSERT_NE(0u, GetTempFileNameA(dir, "qxf", 0, path));
    auto open = [&](DWORD access) {
        return CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    };
    HANDLE out = open(GENERIC_WRITE), in = open(GENERIC_READ);
    ASSERT_NE(INVALID_HANDLE_VALUE, out);
    ASSERT_NE(INVALID_HANDLE_VALUE, in);
    EXPECT_EQ(1, writeFile(in, "x"));
    // Counted: the inner NUL goes out as it is.
    EXPECT_EQ(0, writeFile(out, "line\r\n") | writeFile(out, "a\0bcd", 3) | writeFile(out, "") |
                     writeFile(out, static_cast<const char*>(nullptr)) | writeFile(out, "xyz", 0) | writeFile(out, "end"));
    std::string got(256, '\0');
    DWORD size = 0;
    EXPECT_TRUE(ReadFile(in, &got[0], 256, &size, nullptr));
    EXPECT_EQ(std::string("line\r\na\0bend", 12), got.substr(0, size));
    EXPECT_EQ(0, closeFile(out) | closeFile(in));
    EXPECT_EQ(1, closeFile(out));  // the second close fails
    for (HANDLE bad : {in, INVALID_HANDLE_VALUE, HANDLE(nullptr)}) EXPECT_EQ(1, writeFile(bad, "x"));
    for (HANDLE bad : {INVALID_HANDLE_VALUE, HANDLE(nullptr)}) EXPECT_EQ(1, closeFile(bad));
    DeleteFileA(path);
}
