#include "il2/IL2Com.h"

#include <cstdlib>
#include <cstring>

#include "app/Quorix.h"
#include "base/MyRegFuncs.h"

namespace {
const char kVersionRequest[] = "R/2";
const char kVersionAnswer[] = "A/2\\1.00";
const char kCockpitRequest[] = "R/6\\81";
const char kCockpitAnswer[] = "A/6\\81\\1";
const DWORD kTestIntervalMs = 1000;
// Windows takes SO_RCVTIMEO as a DWORD of milliseconds (BSD sockets take a timeval).
const DWORD kAnswerTimeoutMs = 200;
const int kAnswerBufferSize = 512;

// Byte for byte: an answer with a NUL inside or trailing bytes is not the expected one.
int isExactly(MyString& reply, const char* expected) {
    unsigned long n = StrLen(expected);
    return reply.size() == n && memcmp(reply.text(), expected, n) == 0;
}

int validPort(int port) { return port >= 1 && port <= 65535; }
}  // namespace

IL2HostAddrs::~IL2HostAddrs() { free(aAddr); }

int IL2HostAddrs::add(const in_addr& addr) {
    in_addr* p = static_cast<in_addr*>(realloc(aAddr, sizeof(in_addr) * (static_cast<size_t>(iCount) + 1)));
    if (!p) return 1;
    aAddr = p;
    aAddr[iCount++] = addr;
    return 0;
}

int resolveLocalHostAddrs(IL2HostAddrs& out) {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return 1;
    hostent* host = gethostbyname(name);
    if (!host) return 2;
    // Copied at once: the entry lives in the socket library's per-thread buffer.
    if (host->h_addrtype != AF_INET || host->h_length != sizeof(in_addr)) return 0;
    for (char** p = host->h_addr_list; p && *p; ++p) {
        in_addr a;
        memcpy(&a, *p, sizeof a);
        if (out.add(a) != 0) break;  // out of memory: the addresses so far are still tried
    }
    return 0;
}

IL2Com::IL2Com(Quorix& app_)
    : app(app_),
      sIL2Addr("localhost"),
      iIL2Port(3333),
      dwLastTest(0),
      hSocket(0),
      bConnected(0),
      iInCockpit(-1),
      bLastTestSet(0),
      bWSAStarted(0),
      iNextHostAddr(0),
      bRecvTimedOut(0),
      pfnGetTickCount(GetTickCount),
      pfnResolveLocalHost(resolveLocalHostAddrs) {}

// Only the socket and the library: the application object that owns this client
// is being destroyed around it, so it is not called back (its close() has already
// closed the connection in an orderly shutdown).
IL2Com::~IL2Com() { releaseSocket(); }

void IL2Com::releaseSocket() {
    if (hSocket != 0) {
        closesocket(hSocket);
        hSocket = 0;
    }
    if (bWSAStarted) {
        WSACleanup();
        bWSAStarted = 0;
    }
}

int IL2Com::logOpen() const { return app.hLogFile != INVALID_HANDLE_VALUE; }

int IL2Com::log(const char* text) { return app.addLog(text); }

int IL2Com::testConnection(int& bFlush) {
    // Unsigned difference: stays right across the wrap of the 32-bit tick.
    if (bLastTestSet && pfnGetTickCount() - dwLastTest < kTestIntervalMs) return 0;
    if (logOpen()) {
        int status = log("Testing connection...\r\n");
        if (status != 0) return status;
    }
    return bConnected == 1 ? testConnectionB(bFlush) : openConnection(bFlush);
}

int IL2Com::openConnection(int& bFlush) {
    if (!isValidAddr(sIL2Addr) || !validPort(iIL2Port)) return 0;
    return sIL2Addr == "localhost" ? openConnectionForLocalHost(bFlush) : openConnectionForIp(bFlush);
}

int IL2Com::openConnectionForLocalHost(int& bFlush) {
    IL2HostAddrs addrs;
    int status = startupWSA();
    if (status == 0) status = pfnResolveLocalHost(addrs);
    if (status == 0 && bConnected != 1 && addrs.iCount > 0) {
        // One due test waits out at most one silent address (a dropping firewall, a
        // virtual adapter): addresses that fail at once are tried in the same test,
        // and after a silent one the next test goes on with the address behind it.
        if (iNextHostAddr < 0 || iNextHostAddr >= addrs.iCount) iNextHostAddr = 0;
        for (int tried = 0; tried < addrs.iCount; ++tried) {
            int i = iNextHostAddr;
            // A failed attempt cleaned the socket library up; the next one needs it again.
            status = startupWSA();
            if (status != 0) break;
            sockaddr_in addr;
            memset(&addr, 0, sizeof addr);
            addr.sin_family = AF_INET;
            addr.sin_port = htons(static_cast<u_short>(iIL2Port));
            addr.sin_addr = addrs.aAddr[i];
            if (logOpen()) {
                MyString line("Trying to connect to IL2 at ");
                line += inet_ntoa(addr.sin_addr);
                line += ":";
                line.appendVal(iIL2Port);
                line += "\r\n";
                log(line);
            }
            bRecvTimedOut = 0;
            status = openConnectionB(bFlush, addr);
            if (bConnected == 1) break;  // a later reconnection starts with this address again
            iNextHostAddr = (i + 1) % addrs.iCount;
            if (bRecvTimedOut) break;
        }
    }
    if (status != 0) closeConnection();
    return status;
}

int IL2Com::openConnectionForIp(int& bFlush) {
    // A direct call with a refused address never sends to the broadcast or the null address.
    unsigned long ip = inet_addr(sIL2Addr.text());
    if (ip == INADDR_NONE || ip == 0) return 1;
    if (startupWSA() != 0) return 1;
    sockaddr_in addr;
    memset(&addr, 0, sizeof addr);
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<u_short>(iIL2Port));
    addr.sin_addr.s_addr = ip;
    if (logOpen()) {
        MyString line("Trying to connect to IL2 at ");
        line += sIL2Addr;
        line += ":";
        line.appendVal(iIL2Port);
        line += "\r\n";
        log(line);
    }
    return openConnectionB(bFlush, addr);
}

int IL2Com::openConnectionB(int& bFlush, sockaddr_in& addr) {
    dwLastTest = pfnGetTickCount();
    bLastTestSet = 1;
    // A socket left from a direct call while connected would leak otherwise.
    if (hSocket != 0) {
        closesocket(hSocket);
        hSocket = 0;
    }
    int status = 0;
    SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    if (s == INVALID_SOCKET) {
        closeConnection();
        status = 2;
    } else {
        hSocket = s;
        // On a datagram socket this only fixes the peer.
        if (connect(hSocket, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            closeConnection();
            status = 4;
        } else {
            DWORD timeout = kAnswerTimeoutMs;
            if (setsockopt(hSocket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
                           sizeof timeout) != 0) {
                // Without a time-out a silent peer would block the thread for good:
                // the socket is not kept. Not connected, not an error.
                closeConnection();
            } else {
                MyString reply;
                status = sendGet(reply, kVersionRequest, 0);
                if (status != 0) return status;  // sendGet has closed the connection
                if (!isExactly(reply, kVersionAnswer)) {
                    closeConnection();  // not the simulator: stays not connected, no error
                } else {
                    bConnected = 1;
                    if (logOpen()) {
                        status = log("Found IL2\r\n");
                        if (status != 0) return status;
                    }
                    status = app.setStateFlag(STATEFLAG_IL2_CONNECTED);
                    if (status != 0) return status;
                    status = testInCockpit(bFlush);
                }
            }
        }
    }
    if (status == 0 && app.dlgCfg.hDlg) status = app.dlgCfg.updateIL2Connect(bConnected);
    return status;
}

int IL2Com::testConnectionB(int& bFlush) {
    MyString reply;
    int status = sendGet(reply, kVersionRequest, 0);
    if (status != 0) {
        closeConnection();
        return status;
    }
    if (!isExactly(reply, kVersionAnswer)) {
        closeConnection();
        return 10;
    }
    status = testInCockpit(bFlush);
    if (status != 0) {
        closeConnection();
        return status;
    }
    dwLastTest = pfnGetTickCount();
    bLastTestSet = 1;
    return 0;
}

int IL2Com::testInCockpit(int& bFlush) {
    int old = iInCockpit;
    MyString reply;
    int status = sendGet(reply, kCockpitRequest, 0);
    if (status != 0) return status;
    iInCockpit = isExactly(reply, kCockpitAnswer) ? 1 : 0;
    int changed = iInCockpit != old;
    if (changed) {
        app.updateTrayTip();
        if (logOpen())
            status = log(iInCockpit == 1 ? "IL2Com: Pilot is in (or entered) cockpit\r\n"
                                         : "IL2Com: Pilot is *not* in (or left) cockpit\r\n");
        if (iInCockpit == 1) {
            if (logOpen()) status = log("IL2Com: Set bFlush=TRUE\r\n");
            bFlush = 1;  // whatever the log said: the round must send every axis
        }
    }
    if (status == 0 && changed && app.dlgCfg.hDlg) status = app.dlgCfg.updateIL2Cockpit(iInCockpit == 1);
    return status;
}

int IL2Com::closeConnection() {
    releaseSocket();
    bConnected = 0;
    iInCockpit = -1;
    app.remStateFlag(STATEFLAG_IL2_CONNECTED);
    app.updateTrayTip();
    if (!app.dlgCfg.hDlg) return 0;
    // The cockpit state is unknown again (-1): the indicator must not go on
    // showing a pilot in a cockpit of a simulator that no longer answers.
    int status = app.dlgCfg.updateIL2Connect(0);
    if (status == 0) status = app.dlgCfg.updateIL2Cockpit(0);
    return status;
}

int IL2Com::sendGet(MyString& reply, const char* request, int bLog) {
    int len = static_cast<int>(StrLen(request));
    char buffer[kAnswerBufferSize];
    memset(buffer, 0, sizeof buffer);
    int status = 0;
    int n = send(hSocket, request, len, 0);
    if (n == SOCKET_ERROR) {
        status = 1007;
    } else if (n != len) {
        status = 1008;
    } else {
        // SOCKET_ERROR covers the time-out, an answer longer than the buffer
        // (WSAEMSGSIZE) and, on Windows, WSAECONNRESET when the peer's port sent
        // back "unreachable" (Wine reports WSAECONNREFUSED there).
        int r = recv(hSocket, buffer, sizeof buffer, 0);
        if (r == SOCKET_ERROR) {
            status = 1009;
            bRecvTimedOut = WSAGetLastError() == WSAETIMEDOUT;  // read before closing clears it
        } else if (r > 0) {
            reply.append(buffer, static_cast<unsigned long>(r));
        }
    }
    if (bLog == 1 && logOpen()) {
        MyString line("IL2Com::get[");
        line += request;
        line += "] return[";
        line += reply;
        line += "]\r\n";
        log(line);
    }
    if (status != 0) closeConnection();
    return status;
}

int IL2Com::sendSet(const char* command, int bLog) {
    int len = static_cast<int>(StrLen(command));
    int status = 0;
    int n = send(hSocket, command, len, 0);
    if (n == SOCKET_ERROR)
        status = 1010;
    else if (n != len)
        status = 1011;
    if (bLog == 1 && logOpen()) {
        MyString line("IL2Com::set[");
        line += command;
        line += "]\r\n";
        log(line);
    }
    if (status != 0) closeConnection();
    return status;
}

int IL2Com::sendIL2DeviceCmd(MyString& command) {
    if (logOpen()) {
        MyString line("IL2Com: sendIL2DeviceCmd[");
        line += command;
        line += "]\r\n";
        log(line);
    }
    return sendSet(command, 1);
}

int IL2Com::setPort(int port) {
    // Beyond 65535 htons would quietly pick another port.
    if (!validPort(port)) return 1;
    iIL2Port = port;
    if (bConnected == 1) closeConnection();
    return 0;
}

int IL2Com::setAddress(MyString& address) {
    if (!isValidAddr(address)) return 1;
    sIL2Addr = address;
    if (bConnected == 1) closeConnection();
    return 0;
}

int IL2Com::isValidAddr(MyString& address) {
    if (StringEmpty(address)) return 0;
    if (isExactly(address, "localhost")) return 1;
    unsigned long a = inet_addr(address.text());
    return a != INADDR_NONE && a != 0 ? 1 : 0;
}

int IL2Com::startupWSA() {
    if (bWSAStarted) return 0;
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return 1;
    bWSAStarted = 1;
    return 0;
}

int IL2Com::readConfig(MyString path) {
    path += "\\IL2Com";
    HKEY key = nullptr;
    if (openRegistryKey(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key) != 0) return 0;
    int status = getRegistryInt(iIL2Port, key, "iIL2Port", iIL2Port);
    if (status == 0) status = getRegistryString(sIL2Addr, key, "sIL2Addr", sIL2Addr);
    closeRegistryKey(key);
    return status;
}

int IL2Com::saveConfig(MyString path) {
    path += "\\IL2Com";
    HKEY key = nullptr;
    int status = createRegistryKeyIfNotExists(HKEY_CURRENT_USER, path);
    if (status == 0) status = openRegistryKey(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key);
    if (status == 0) status = setRegistryInt(key, "iIL2Port", iIL2Port);
    if (status == 0) status = setRegistryString(key, "sIL2Addr", sIL2Addr);
    closeRegistryKey(key);
    return status;
}
