// The log sink: a file written through a buffer, opened only by /log.

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "app/Quorix.h"
#include "base/MyFile.h"

namespace {
const wchar_t kLogName[] = L"\\quorix.log";
const unsigned int kLogBufSize = 64 * 1024;
// A crash loses at most the lines of this last stretch.
const UINT kLogWriteEveryMs = 1000;
}  // namespace

int Quorix::openLog(const wchar_t* wsDir) {
    closeLog();
    // Room for the ".1" of the previous log.
    if (wcslen(wsDir) + wcslen(kLogName) + 2 >= MAX_PATH || createDir(wsDir) != 0) return 1;
    wcscpy(wsLogPath, wsDir);
    wcscat(wsLogPath, kLogName);
    pLogBuf = static_cast<char*>(malloc(kLogBufSize));
    if (!pLogBuf || beginLogFile() != 0) {
        closeLog();
        return 1;
    }
    // Construction wrote this line while the sink was still closed.
    return addLog("=== Started ===\r\n");
}

// The file there moves to quorix.log.1: the log of a session that crashed survives one restart.
int Quorix::beginLogFile() {
    wchar_t wsOld[MAX_PATH];
    wcscpy(wsOld, wsLogPath);
    wcscat(wsOld, L".1");
    moveFile(wsLogPath, wsOld);  // none at a first start
    uiLogSize = 0;
    return createFile(hLogFile, wsLogPath);
}

int Quorix::addLog(const char* text) {
    if (hLogFile == INVALID_HANDLE_VALUE) return 0;
    const unsigned int n = StrLen(text);
    int status = 0;
    if (uiLogSize > 0 && uiLogSize + n > uiLogCap) {
        status = flushLog();
        closeFile(hLogFile);
        hLogFile = INVALID_HANDLE_VALUE;
        if (status == 0) status = beginLogFile();
    }
    if (status == 0 && uiLogBuffered + n > kLogBufSize) status = flushLog();
    if (status == 0 && n > kLogBufSize) {
        status = writeFile(hLogFile, text, n);
    } else if (status == 0) {
        memcpy(pLogBuf + uiLogBuffered, text, n);
        uiLogBuffered += n;
    }
    uiLogSize += n;
    // Logging never ends what it reports on: a file that cannot be written is given up.
    if (status != 0) closeLog();
    return 0;
}

int Quorix::flushLog() {
    if (hLogFile == INVALID_HANDLE_VALUE) return 0;
    int status = writeFile(hLogFile, pLogBuf, uiLogBuffered);
    uiLogBuffered = 0;
    return status;
}

int Quorix::startLogTimer(HWND hwnd) {
    if (hLogFile == INVALID_HANDLE_VALUE) return 0;
    return SetTimer(hwnd, TIMER_LOG, kLogWriteEveryMs, nullptr) ? 0 : 1;
}

int Quorix::onLogTimer() {
    // Logging never ends what it reports on: a file that cannot be written is given up.
    if (flushLog() != 0) closeLog();
    return 0;
}

int Quorix::closeLog() {
    int status = flushLog();
    if (hLogFile != INVALID_HANDLE_VALUE && closeFile(hLogFile) != 0 && status == 0) status = 1;
    hLogFile = INVALID_HANDLE_VALUE;
    free(pLogBuf);
    pLogBuf = nullptr;
    uiLogBuffered = 0;
    return status;
}
