// The Device Link client against the stand-in simulator on 127.0.0.1. Nothing here
// resolves the real host name: "localhost" goes through the resolver seam, which
// the tests fill with loopback addresses only.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/Quorix.h"
#include "il2/IL2Com.h"
#include "il2sim/Il2SimServer.h"

namespace {
DWORD gTick;
DWORD WINAPI fakeTick() { return gTick; }

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
const char kScratchKey[] = "Software\\Velmora\\QuorixTest-IL2Com";

class IL2ComTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(0, sim.start(0));
        gTick = 50000;
        gHostAddrs.clear();
        gResolveStatus = 0;
        use(com);
    }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kScratchKey); }

    void use(IL2Com& c) {
        c.pfnGetTickCount = fakeTick;
        c.pfnResolveLocalHost = fakeResolve;
        MyString addr("127.0.0.1");
        ASSERT_EQ(0, c.setAddress(addr));
        ASSERT_EQ(0, c.setPort(sim.port()));
    }
    std::vector<std::string> datagrams() {
        std::vector<std::string> out;
        for (const auto& r : sim.records()) out.push_back(r.sDatagram);
        return out;
    }
    // The application's log sink, on a scratch file.
    void openLog() {
        char dir[MAX_PATH];
        GetTempPathA(MAX_PATH, dir);
        ASSERT_NE(0u, GetTempFileNameA(dir, "qxl", 0, logPath));
        app.hLogFile = CreateFileA(logPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, app.hLogFile);
    }
    std::string closeLog() {
        CloseHandle(app.hLogFile);
        app.hLogFile = INVALID_HANDLE_VALUE;
        std::stringstream text;
        text << std::ifstream(logPath, std::ios::binary).rdbuf();
        DeleteFileA(logPath);
        return text.str();
    }
    int test(int& bFlush) { return com.testConnection(bFlush); }
    int trayFlag() { return (app.usStateFlags & STATEFLAG_IL2_CONNECTED) != 0; }

    Il2SimServer sim;
    Quorix app;
    IL2Com com{app};
    char logPath[MAX_PATH] = {};
};
}  // namespace

TEST_F(IL2ComTest, ConnectsWithExactRequestsAndCloses) {
    int flush = 0;
    EXPECT_EQ(0, test(flush));
    EXPECT_EQ(1, com.bConnected);
    EXPECT_EQ(1, com.iInCockpit);
    EXPECT_EQ(1, flush);
    EXPECT_EQ(1, trayFlag());
    EXPECT_EQ((std::vector<std::string>{"R/2", kCockpit}), datagrams());
    EXPECT_EQ(0, com.closeConnection());
    EXPECT_EQ(0, com.bConnected);
    EXPECT_EQ(-1, com.iInCockpit);
    EXPECT_EQ(0u, com.hSocket);
    EXPECT_EQ(0, trayFlag());
}

TEST_F(IL2ComTest, OnlyTheExactCockpitAnswerMeansInCockpit) {
    for (const std::string& a : {std::string("A/6\\81\\0"), std::string(), std::string("A/6\\81\\1 "),
                                 std::string("A/6\\81\\1\0", 9), std::string("A/6\\81\\1/2\\1.00")}) {
        sim.setScriptedAnswer(kCockpit, a);
        gTick += 1000;
        int flush = 0;
        EXPECT_EQ(0, test(flush));
        EXPECT_EQ(1, com.bConnected);
        EXPECT_EQ(0, com.iInCockpit) << printable(a);
        EXPECT_EQ(0, flush);
        com.closeConnection();
    }
}

TEST_F(IL2ComTest, WrongVersionAnswer) {
    // During an attempt: no error, not connected, no cockpit query.
    sim.setScriptedAnswer("R/2", "A/2\\1.01");
    int flush = 0;
    EXPECT_EQ(0, test(flush));
    EXPECT_EQ(0, com.bConnected);
    EXPECT_EQ(0u, com.hSocket);
    EXPECT_EQ(std::vector<std::string>{"R/2"}, datagrams());
    // On an open connection: closed with 10.
    sim.clearScriptedAnswers();
    gTick += 1000;
    ASSERT_EQ(0, test(flush));
    sim.setScriptedAnswer("R/2", "A/2\\1.01");
    gTick += 1000;
    flush = 0;
    EXPECT_EQ(10, test(flush));
    EXPECT_EQ(0, com.bConnected);
    EXPECT_EQ(0, trayFlag());
    // The last good test is a second old: the same round reconnects, and the pilot
    // still in the cockpit gets every axis sent again.
    sim.clearScriptedAnswers();
    EXPECT_EQ(0, test(flush));
    EXPECT_EQ(1, com.bConnected);
    EXPECT_EQ(1, flush);
}

TEST_F(IL2ComTest, FlushIsRaisedOnlyOnEnteringTheCockpit) {
    const struct {
        int simInCockpit, flushIn, inCockpit, flushOut;
    } steps[] = {
        {0, 0, 0, 0},  // connects, pilot outside
        {1, 0, 1, 1},  // enters
        {1, 0, 1, 0},  // stays
        {0, 1, 0, 1},  // leaves: the client never lowers the round's flag
        {1, 0, 1, 1},
    };
    for (const auto& s : steps) {
        sim.setInCockpit(s.simInCockpit);
        int flush = s.flushIn;
        EXPECT_EQ(0, test(flush));
        EXPECT_EQ(s.inCockpit, com.iInCockpit);
        EXPECT_EQ(s.flushOut, flush);
        gTick += 1000;
    }
}

TEST_F(IL2ComTest, SilentPeerTimesOutWith1009AndCloses) {
    int flush = 0;
    ASSERT_EQ(0, test(flush));
    sim.setSilent(1);
    gTick += 1000;
    EXPECT_EQ(1009, test(flush));
    EXPECT_EQ(0, com.bConnected);
    EXPECT_EQ(0u, com.hSocket);
    EXPECT_EQ(0, trayFlag());
    // One time-out ends the test: no cockpit query after it.
    EXPECT_EQ((std::vector<std::string>{"R/2", kCockpit, "R/2"}), datagrams());
}

TEST_F(IL2ComTest, TestsOncePerSecondFromTheFirstCallAndAcrossTheTickWrap) {
    for (DWORD start : {0u, 5u, 999u, 0xFFFFFFFFu - 1500, 0xFFFFFFFFu - 999, 0xFFFFFFFFu}) {
        sim.clearRecords();
        IL2Com c(app);
        use(c);
        const struct {
            DWORD offset;
            size_t datagrams;
        } steps[] = {{0, 2}, {999, 2}, {1000, 4}, {1999, 4}, {2000, 6}, {3500, 8}};
        for (const auto& s : steps) {
            gTick = start + s.offset;
            int flush = 0;
            EXPECT_EQ(0, c.testConnection(flush));
            EXPECT_EQ(s.datagrams, sim.recordCount()) << "start " << start << " offset " << s.offset;
        }
    }
}

TEST_F(IL2ComTest, LocalhostTriesEachAddressOfTheHostInOrder) {
    // 127.0.0.2 holds no socket: Windows refuses at once (WSAECONNRESET), Wine lets
    // the receive time out. Silent and refusing addresses: LocalHostAddressesTest.
    MyString localhost("localhost");
    ASSERT_EQ(0, com.setAddress(localhost));
    const std::string port = ":" + std::to_string(sim.port()) + "\r\n";
    const struct {
        std::vector<const char*> addrs;
        int resolve, status, connects;
        std::vector<std::string> tried;
    } cases[] = {
        {{"127.0.0.1", "127.0.0.2"}, 0, 0, 1, {"127.0.0.1"}},  // stops at the first that answers
        {{"127.0.0.2"}, 0, 1009, 0, {"127.0.0.2"}},
        {{}, 0, 0, 0, {}},
        {{}, 1, 1, 0, {}},  // host name not readable
        {{}, 2, 2, 0, {}},  // host name not resolvable
    };
    for (const auto& c : cases) {
        com.closeConnection();
        gHostAddrs = c.addrs;
        gResolveStatus = c.resolve;
        gTick += 1000;
        int flush = 0;
        openLog();
        EXPECT_EQ(c.status, test(flush));
        std::string log = closeLog();
        EXPECT_EQ(c.connects, com.bConnected);
        EXPECT_EQ(c.connects, trayFlag());
        std::string tried = "Testing connection...\r\n";
        for (const auto& a : c.tried) tried += "Trying to connect to IL2 at " + a + port;
        EXPECT_EQ(tried, log.substr(0, tried.size()));
        EXPECT_EQ(std::string::npos, log.find("Trying", tried.size()));
    }
}

TEST_F(IL2ComTest, AddressAndPortValidation) {
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
    int flush = 0;
    ASSERT_EQ(0, test(flush));
    EXPECT_EQ(1, com.bConnected);  // refused values left the connection alone
    // Accepted values close it; the next due test uses them. 192.168.1.5 is only stored.
    for (const char* good : {"localhost", "192.168.1.5", "127.0.0.1"}) {
        MyString text(good);
        EXPECT_EQ(0, com.setAddress(text));
        EXPECT_STREQ(good, com.sIL2Addr.text());
    }
    EXPECT_EQ(0, com.bConnected);
    gTick += 1000;
    ASSERT_EQ(0, test(flush));
    EXPECT_EQ(0, com.setPort(65535));
    EXPECT_EQ(0, com.bConnected);
    EXPECT_EQ(0, trayFlag());
}

TEST_F(IL2ComTest, DeviceCommandsArriveExactly) {
    int flush = 0;
    ASSERT_EQ(0, test(flush));
    sim.clearRecords();
    for (int i = 0; i < app.ilDevices.iCount; ++i) {
        MyString cmd;
        app.ilDevices.apDevices[i]->makeCommand(cmd, 60);
        EXPECT_EQ(0, com.sendIL2DeviceCmd(cmd));
        ASSERT_TRUE(sim.waitForRecords(static_cast<size_t>(i) + 1, 2000));
        Il2SimRecord r = sim.records()[static_cast<size_t>(i)];
        EXPECT_EQ(std::string(cmd.text()), r.sDatagram);
        ASSERT_EQ(1u, r.settings.size()) << r.sError;
        EXPECT_EQ(app.ilDevices.apDevices[i]->sName.text(), r.settings[0].sName);
        EXPECT_EQ("0.20", formatValue(r.settings[0].dValue));
    }
    EXPECT_EQ("R/85\\-1.00/85\\0.20", sim.records()[0].sDatagram);
}

TEST_F(IL2ComTest, FailedSendsAndOversizeAnswersLeaveItClosed) {
    MyString cmd("R/85\\-1.00/85\\0.20"), reply;
    EXPECT_EQ(1010, com.sendIL2DeviceCmd(cmd));  // no socket
    EXPECT_EQ(1007, com.sendGet(reply, "R/2", 0));
    // Longer than 512 bytes: the receive fails (WSAEMSGSIZE on Windows and Wine).
    sim.setScriptedAnswer("R/2", "A/2\\1.00" + std::string(600, ' '));
    int flush = 0;
    EXPECT_EQ(1009, test(flush));
    EXPECT_EQ(0, com.bConnected);
    EXPECT_EQ(0u, com.hSocket);
}

TEST_F(IL2ComTest, LogLinesWhenTheSinkIsOpen) {
    openLog();
    int flush = 0;
    ASSERT_EQ(0, test(flush));
    MyString cmd("R/85\\-1.00/85\\0.20"), reply;
    EXPECT_EQ(0, com.sendIL2DeviceCmd(cmd));
    sim.setInCockpit(0);
    gTick += 1000;
    EXPECT_EQ(0, test(flush));
    EXPECT_EQ(0, com.sendGet(reply, "R/2"));
    EXPECT_EQ("Testing connection...\r\n"
              "Trying to connect to IL2 at 127.0.0.1:" + std::to_string(sim.port()) + "\r\n"
              "Found IL2\r\n"
              "IL2Com: Pilot is in (or entered) cockpit\r\n"
              "IL2Com: Set bFlush=TRUE\r\n"
              "IL2Com: sendIL2DeviceCmd[R/85\\-1.00/85\\0.20]\r\n"
              "IL2Com::set[R/85\\-1.00/85\\0.20]\r\n"
              "Testing connection...\r\n"
              "IL2Com: Pilot is *not* in (or left) cockpit\r\n"
              "IL2Com::get[R/2] return[A/2\\1.00]\r\n",
              closeLog());
}

TEST_F(IL2ComTest, SettingsPersistAsDwordAndString) {
    ASSERT_EQ(0, com.setPort(4444));
    ASSERT_EQ(0, com.saveConfig(MyString(kScratchKey)));
    HKEY k = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, (std::string(kScratchKey) + "\\IL2Com").c_str(), 0,
                                           KEY_ALL_ACCESS, &k));
    DWORD type = 0, size = 64;
    char buf[64] = {};
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(k, "iIL2Port", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(std::string("\x5c\x11\0\0", 4), std::string(buf, size));  // 4444
    size = 64;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(k, "sIL2Addr", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(std::string("127.0.0.1\0", 10), std::string(buf, size));

    IL2Com back(app);
    EXPECT_EQ(0, back.readConfig(MyString(kScratchKey)));
    EXPECT_EQ(4444, back.iIL2Port);
    EXPECT_STREQ("127.0.0.1", back.sIL2Addr.text());

    // Mistyped values keep the current ones; stored ones are taken unchecked, and
    // a port 0 or a refused address makes every attempt a no-op.
    RegSetValueExA(k, "iIL2Port", 0, REG_SZ, reinterpret_cast<const BYTE*>("99"), 3);
    EXPECT_EQ(0, back.readConfig(MyString(kScratchKey)));
    EXPECT_EQ(4444, back.iIL2Port);
    DWORD zero = 0;
    RegSetValueExA(k, "iIL2Port", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero), sizeof zero);
    RegSetValueExA(k, "sIL2Addr", 0, REG_SZ, reinterpret_cast<const BYTE*>("LOCALHOST"), 10);
    RegCloseKey(k);
    EXPECT_EQ(0, back.readConfig(MyString(kScratchKey)));
    EXPECT_EQ(0, back.iIL2Port);
    EXPECT_STREQ("LOCALHOST", back.sIL2Addr.text());
    int flush = 0;
    EXPECT_EQ(0, back.openConnection(flush));
    back.iIL2Port = sim.port();
    EXPECT_EQ(0, back.openConnection(flush));
    EXPECT_EQ(0, back.bLastTestSet);  // no attempt was made
    EXPECT_EQ(0u, sim.recordCount());

    IL2Com fresh(app);  // no key: the defaults stay
    EXPECT_EQ(0, fresh.readConfig(MyString("Software\\Velmora\\QuorixTest-IL2Com-none")));
    EXPECT_EQ(3333, fresh.iIL2Port);
    EXPECT_STREQ("localhost", fresh.sIL2Addr.text());
}
