#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "base/MyFile.h"

class FileHelpers : public ::testing::Test {
protected:
    void SetUp() override {
        char dir[MAX_PATH] = {};
        ASSERT_NE(0u, GetTempPathA(MAX_PATH, dir));
        ASSERT_NE(0u, GetTempFileNameA(dir, "qxf", 0, acPath));
        hFile = CreateFileA(acPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, hFile);
    }
    void TearDown() override {
        if (hFile != INVALID_HANDLE_VALUE) CloseHandle(hFile);
        DeleteFileA(acPath);
    }
    std::string contents() {
        HANDLE h = CreateFileA(acPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, h);
        std::string r(256, '\0');
        DWORD got = 0;
        EXPECT_TRUE(ReadFile(h, &r[0], static_cast<DWORD>(r.size()), &got, nullptr));
        CloseHandle(h);
        r.resize(got);
        return r;
    }
    char acPath[MAX_PATH] = {};
    HANDLE hFile = INVALID_HANDLE_VALUE;
};

TEST_F(FileHelpers, WritesExactlyTheBytesAsked) {
    EXPECT_EQ(0, writeFile(hFile, "line\r\n"));
    EXPECT_EQ(0, writeFile(hFile, "a\0bcd", 3));  // counted: the inner NUL goes out as it is
    EXPECT_EQ(0, writeFile(hFile, ""));
    EXPECT_EQ(0, writeFile(hFile, static_cast<const char*>(nullptr)));
    EXPECT_EQ(0, writeFile(hFile, "xyz", 0));
    EXPECT_EQ(0, writeFile(hFile, "end"));
    EXPECT_EQ(std::string("line\r\na\0bend", 12), contents());
    EXPECT_EQ(0, closeFile(hFile));
    EXPECT_EQ(1, closeFile(hFile));  // the second close fails
    hFile = INVALID_HANDLE_VALUE;
}

// INVALID_HANDLE_VALUE is also the current process's pseudo handle, which
// CloseHandle accepts (Windows and Wine alike); "no file" must not read as closed.
TEST_F(FileHelpers, FailedWritesAndClosesReportOne) {
    HANDLE readOnly = CreateFileA(acPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, readOnly);
    EXPECT_EQ(1, writeFile(readOnly, "x"));
    EXPECT_EQ(0, closeFile(readOnly));
    for (HANDLE bad : {readOnly, INVALID_HANDLE_VALUE, HANDLE(nullptr)}) EXPECT_EQ(1, writeFile(bad, "x"));
    for (HANDLE bad : {INVALID_HANDLE_VALUE, HANDLE(nullptr)}) EXPECT_EQ(1, closeFile(bad));
    EXPECT_EQ(std::string(), contents());
}
