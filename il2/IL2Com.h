#pragma once
// Device Link client: finds the simulator with the version request, keeps asking
// whether the pilot sits in a cockpit, and sends the control commands.

#include <winsock2.h>
#include <windows.h>

#include "base/MyString.h"

class Quorix;

// Addresses under which the local host's name resolves, in resolver order, all of them.
struct IL2HostAddrs {
    IL2HostAddrs() : aAddr(nullptr), iCount(0) {}
    ~IL2HostAddrs();
    IL2HostAddrs(const IL2HostAddrs&) = delete;
    IL2HostAddrs& operator=(const IL2HostAddrs&) = delete;
    // Appends one address; 1 when the list cannot grow.
    int add(const in_addr& addr);
    in_addr* aAddr;
    int iCount;
};

// Where the outside world enters; tests replace these.
typedef DWORD(WINAPI* IL2TickFn)();
// 0 with out filled; 1 host name not readable; 2 host name not resolvable.
typedef int (*IL2ResolveLocalHostFn)(IL2HostAddrs& out);
int resolveLocalHostAddrs(IL2HostAddrs& out);

class IL2Com {
public:
    explicit IL2Com(Quorix& app);
    ~IL2Com();
    IL2Com(const IL2Com&) = delete;
    IL2Com& operator=(const IL2Com&) = delete;

    int testConnection(int& bFlush);
    int openConnection(int& bFlush);
    int openConnectionForLocalHost(int& bFlush);
    int openConnectionForIp(int& bFlush);
    int openConnectionB(int& bFlush, sockaddr_in& addr);
    int testConnectionB(int& bFlush);
    int testInCockpit(int& bFlush);
    int closeConnection();

    int sendGet(MyString& reply, const char* request, int bLog);
    int sendGet(MyString& reply, const char* request) { return sendGet(reply, request, 1); }
    int sendGet(MyString& reply, MyString& request) { return sendGet(reply, request.text(), 1); }
    int sendSet(const char* command, int bLog);
    int sendSet(const char* command) { return sendSet(command, 1); }
    int sendSet(MyString& command) { return sendSet(command.text(), 1); }
    int sendSet(MyString& command, int bLog) { return sendSet(command.text(), bLog); }
    int sendIL2DeviceCmd(MyString& command);

    int setPort(int port);
    int setAddress(MyString& address);
    int isValidAddr(MyString& address);
    int startupWSA();

    int readConfig(MyString path);
    int saveConfig(MyString path);

    Quorix& app;
    MyString sIL2Addr;
    int iIL2Port;
    DWORD dwLastTest;
    SOCKET hSocket;
    int bConnected;
    int iInCockpit;

    // dwLastTest means nothing until the first attempt: the first test is due at
    // once, whatever the tick counter shows (it may be just below 1000 or near the wrap).
    int bLastTestSet;
    // Our own WSAStartup not yet matched by a WSACleanup; keeps the two balanced so
    // a clean-up never takes away a start that another part of the process made.
    int bWSAStarted;
    // The host address the next due connection test for "localhost" starts with:
    // after a silent address the next test goes on behind it.
    int iNextHostAddr;
    // The last failed receive ran into the answer time-out (a silent peer).
    int bRecvTimedOut;
    IL2TickFn pfnGetTickCount;
    IL2ResolveLocalHostFn pfnResolveLocalHost;

private:
    void releaseSocket();
    int log(const char* text);
    int log(MyString& text) { return log(text.text()); }
    int logOpen() const;
};
