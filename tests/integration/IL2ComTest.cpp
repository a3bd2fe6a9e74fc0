// The Device Link client against the stand-in simulator on 127.0.0.1. Nothing here
// resolves the real host name: "localhost" goes through the resolver seam, which
// the tests fill with loopback addresses only.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Quorix.h"
#include "il2/IL2Com.h"
#include "il2sim/Il2SimServer.h"
#include "support/TestPaths.h"
#include "support/TickSource.h"

namespace {

std::vector<const char*> gHostAddrs;
int gResolveStatus;
int fakeResolve(IL2HostAddrs& out) {
    for (const char* a : gHostAddrs) {
        in_addr addr;
        addr.s_addr = inet_addr(a);
        out.add(addr);
    }
    return gResolveStatus;
}

const char kCockpit[] = "R/6\\81";

class IL2ComTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(0, sim.start(0));
        gTestTick = 50000;
        gHostAddrs.clear();
        gResolveStatus = 0;
        use(com);
    }
    void use(IL2Com& c) {
        c.pfnGetTickCount = testTick;
        c.pfnResolveLocalHost = fakeResolve;
        MyString addr("127.0.0.1");
        ASSERT_EQ(0, c.setAddress(addr) | c.setPort(sim.port()));
    }
    typedef std::vector<std::string> Wire;
    Wire datagrams() {
        Wire out;
        for (const auto& r : sim.records()) out.push_back(r.sDatagram);
        return out;
    }
    int trayFlag() { return (app.usStateFlags & STATEFLAG_IL2_CONNECTED) != 0; }

    Il2SimServer sim;
    Quorix app;
    IL2Com com{app};
};
}  // namespace

// One link test per step, on what the simulator answers. "-": its usual answer.
TEST_F(IL2ComTest, LinkStatesFollowTheAnswers) {
    const std::string R2 = "R/2", Q = kCockpit;
    const struct { const char* name; int inCockpit, silent; std::string version, cockpit; DWORD ms;
                   int flushIn, status, connected, flushOut; } steps[] = {
        {"connects, pilot outside", 0, 0, "-", "-", 0, 0, 0, 1, 0},
        {"enters: flush", 1, 0, "-", "-", 1000, 0, 0, 1, 1},
        {"leaves: the round's flag stays", 0, 0, "-", "-", 1000, 1, 0, 1, 1},
        {"wrong version on an open link", 1, 0, "A/2\\1.01", "-", 1000, 0, 10, 0, 0},
        {"same second: reconnects with flush", 1, 0, "-", "-", 0, 0, 0, 1, 1},
        {"silent: one time-out ends the test", 1, 1, "-", "-", 1000, 0, 1009, 0, 0},
        {"wrong version on an attempt: no error", 1, 0, "A/2\\1.01", "-", 1000, 0, 0, 0, 0},
        {"answer oversize (WSAEMSGSIZE)", 1, 0, "A/2\\1.00" + std::string(600, ' '), "-", 1000, 0, 1009, 0, 0},
        {"cockpit 0", 1, 0, "-", "A/6\\81\\0", 1000, 0, 0, 1, 0},
        {"cockpit empty", 1, 0, "-", "", 1000, 0, 0, 1, 0},
        {"cockpit trailing space", 1, 0, "-", "A/6\\81\\1 ", 1000, 0, 0, 1, 0},
        {"cockpit trailing NUL", 1, 0, "-", std::string("A/6\\81\\1\0", 9), 1000, 0, 0, 1, 0},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        sim.clearScriptedAnswers();
        if (s.version != "-") sim.setScriptedAnswer(R2, s.version);
        if (s.cockpit != "-") sim.setScriptedAnswer(Q, s.cockpit);
        sim.setInCockpit(s.inCockpit);
        sim.setSilent(s.silent);
        sim.clearRecords();
        gTestTick += s.ms;
        int flush = s.flushIn;
        EXPECT_EQ(s.status, com.testConnection(flush));
        EXPECT_EQ(s.connected, com.bConnected);
        EXPECT_EQ(s.connected, trayFlag());
        EXPECT_EQ(s.connected && s.inCockpit && s.cockpit == "-" ? 1 : s.connected ? 0 : -1, com.iInCockpit);
        EXPECT_EQ(s.flushOut, flush);
        EXPECT_EQ(s.connected ? (Wire{R2, Q}) : (Wire{R2}), datagrams());
        EXPECT_TRUE(s.connected || !com.hSocket) << "a socket left open";
    }
}

TEST_F(IL2ComTest, TestsOncePerSecondFromTheFirstCallAndAcrossTheTickWrap) {
    for (DWORD start : {0u, 5u, 999u, 0xFFFFFFFFu - 1500, 0xFFFFFFFFu - 999, 0xFFFFFFFFu}) {
        sim.clearRecords();
        IL2Com c(app);
        use(c);
        const struct { DWORD offset; size_t datagrams; } steps[] = {{0, 2},    {999, 2},  {1000, 4},
                                                                    {1999, 4}, {2000, 6}, {3500, 8}};
        for (const auto& s : steps) {
            gTestTick = start + s.offset;
            int flush = 0;
            EXPECT_EQ(0, c.testConnection(flush));
            EXPECT_EQ(s.datagrams, sim.recordCount()) << "start " << start << " offset " << s.offset;
        }
    }
}

// Every address is 127.0.0.1; what the simulator does with the k-th version request
// follows a plan (w wrong version, s silent, a answers), set on the tick seam
// before each attempt.
Il2SimServer* gSim;
std::string gPlan;
size_t versionRequests() {
    size_t n = 0;
    for (const Il2SimRecord& r : gSim->records()) n += r.sDatagram == "R/2";
    return n;
}
DWORD WINAPI planTick() {
    const char step = versionRequests() < gPlan.size() ? gPlan[versionRequests()] : 'a';
    gSim->setSilent(step == 's');
    if (step == 'w') gSim->setScriptedAnswer("R/2", "A/2\\1.01");
    else gSim->clearScriptedAnswers();
    return gTestTick;
}

// "localhost" tries the host's addresses in order and stops at the first that answers;
// a due test waits out at most one silent address. Requests counted after each due test;
// the status is the last one's, connected only if an address answered.
TEST_F(IL2ComTest, LocalhostTriesEachAddressInOrderWaitingOutAtMostOneSilentOne) {
    const struct { std::string plan; int resolve; std::vector<size_t> perTest; int status; } rows[] = {
        {std::string(20, 'w') + "a", 0, {21}, 0},  // twenty refuse at once, the 21st answers
        {"sssssa", 0, {1, 2, 3, 4, 5, 6}, 0},      // silent ones take one due test each
        {"wswa", 0, {2, 4}, 0},                    // refusing and silent mixed
        {"aw", 0, {1}, 0},                         // the second address is never asked
        {"s", 0, {1}, 1009},
        {"", 0, {0}, 0}, {"", 1, {0}, 1}, {"", 2, {0}, 2},  // no address; host name not readable, not resolvable
    };
    gSim = &sim;
    for (const auto& r : rows) {
        sim.clearRecords();
        gPlan = r.plan;
        gHostAddrs.assign(r.plan.size(), "127.0.0.1");
        gResolveStatus = r.resolve;
        IL2Com c(app);
        use(c);
        MyString localhost("localhost");
        ASSERT_EQ(0, c.setAddress(localhost));
        c.pfnGetTickCount = planTick;
        for (size_t t = 0; t < r.perTest.size(); ++t) {
            SCOPED_TRACE(r.plan + " resolve " + std::to_string(r.resolve) + " due test " + std::to_string(t));
            const bool last = t + 1 == r.perTest.size();
            gTestTick += 1000;
            int flush = 0;
            const DWORD t0 = GetTickCount();
            const int status = c.testConnection(flush);
            EXPECT_LT(GetTickCount() - t0, 600u);  // the answer time-out is 200 ms; room for a busy machine
            EXPECT_EQ(r.perTest[t], versionRequests());
            EXPECT_EQ(last ? r.status : status, status);
            EXPECT_EQ(last && r.plan.find('a') != std::string::npos ? 1 : 0, c.bConnected);
            EXPECT_EQ(c.bConnected, trayFlag());
        }
    }
}

// Refused values keep the current ones; accepted ones are stored (192.168.1.5 only stored).
// That an accepted change closes the link is the server dialog's test. Stored values are
// taken unchecked: a port 0 or a refused address makes every attempt a no-op. Without a socket
// nothing is sent; with the log sink open, each step writes its line, and at the cap the
// lines go on in a new file.
TEST_F(IL2ComTest, AddressAndPortValidationRefusedStoredValuesMakeNoAttemptAndTheLogTellsEachStep) {
    for (const char* bad : {"LOCALHOST", "", "   \t\r\n", "0.0.0.0", "255.255.255.255", "localhost ", "sim.example"}) {
        MyString text(bad);
        EXPECT_EQ(0, com.isValidAddr(text)) << bad;
        EXPECT_EQ(1, com.setAddress(text)) << bad;
        EXPECT_STREQ("127.0.0.1", com.sIL2Addr.text());
    }
    for (int bad : {0, -1, 65536}) {
        EXPECT_EQ(1, com.setPort(bad));
        EXPECT_EQ(sim.port(), com.iIL2Port);
    }
    for (const char* good : {"localhost", "192.168.1.5", "127.0.0.1"}) {
        MyString text(good);
        EXPECT_EQ(0, com.setAddress(text));
        EXPECT_STREQ(good, com.sIL2Addr.text());
    }
    com.sIL2Addr = "LOCALHOST";
    com.iIL2Port = 0;
    int flush = 0;
    EXPECT_EQ(0, com.openConnection(flush));
    com.iIL2Port = sim.port();
    EXPECT_EQ(0, com.openConnection(flush));
    EXPECT_EQ(0, com.bLastTestSet);  // no attempt was made
    MyString cmd("R/85\\-1.00/85\\0.20"), reply;
    EXPECT_EQ(1010, com.sendIL2DeviceCmd(cmd));
    EXPECT_EQ(1007, com.sendGet(reply, "R/2", 0));
    EXPECT_EQ(0u, sim.recordCount());

    com.sIL2Addr = "127.0.0.1";
    const std::string log = "qx-log-test\\quorix.log", old = log + ".1";  // in the current folder
    app.uiLogCap = 200;  // the lines go on in a new file where the next would pass it
    ASSERT_EQ(0, app.openLog(L"qx-log-test"));
    ASSERT_EQ(0, com.testConnection(flush));
    EXPECT_EQ(0, com.sendIL2DeviceCmd(cmd));
    app.closeLog();
    const std::string first = fileText(old), second = fileText(log);
    EXPECT_EQ("=== Started ===\r\nTesting connection...\r\nTrying to connect to IL2 at 127.0.0.1:" +
                  std::to_string(sim.port()) +
                  "\r\nFound IL2\r\nIL2Com: Pilot is in (or entered) cockpit\r\nIL2Com: Set bFlush=TRUE\r\n"
                  "IL2Com: sendIL2DeviceCmd[R/85\\-1.00/85\\0.20]\r\nIL2Com::set[R/85\\-1.00/85\\0.20]\r\n",
              first + second);
    EXPECT_LE(first.size(), 200u);
    EXPECT_GT(first.size() + second.find('\n') + 1, 200u);
    // A new start moves the last log aside; a write that fails closes the sink, and the caller goes on.
    ASSERT_EQ(0, app.openLog(L"qx-log-test"));
    EXPECT_EQ(second, fileText(old));
    CloseHandle(app.hLogFile);
    app.hLogFile = CreateEventA(nullptr, FALSE, FALSE, nullptr);  // a handle no write goes to
    EXPECT_EQ(0, app.addLog("lost\r\n"));
    EXPECT_EQ(0, app.onLogTimer());
    EXPECT_EQ(INVALID_HANDLE_VALUE, app.hLogFile);
    DeleteFileA(log.c_str());
    DeleteFileA(old.c_str());
    RemoveDirectoryA("qx-log-test");
}
