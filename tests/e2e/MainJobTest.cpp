// The real program: start-up, and the main job with virtual controllers in and
// Device Link datagrams out to the stand-in simulator on 127.0.0.1.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/E2eRig.h"
#include "support/TestPaths.h"

namespace {

// How long a start may take until its first datagram (a busy machine under Wine is slow).
const DWORD kStartMs = 20000;
const char* const kStickKey = "HwDev\\{A7C1D2E0-5B3F-4E8A-9C61-51D0C0DE0001}";
const char* const kCentredAilerons = "R/85\\-1.00/85\\0.00";
const char* const kCentredRudder = "R/89\\-1.00/89\\0.00";

std::string settings(const std::string& subKey) { return std::string(kQuorixRegRoot) + "\\" + subKey; }

class MainJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        clearQuorixSettings();
        ASSERT_TRUE(rig.prepare());
    }
    void TearDown() override { clearQuorixSettings(); }
    // Starts with stick X -> Ailerons and stick Z -> Rudder, the pilot in the cockpit or not.
    void startFlying(int inCockpit, DWORD intervalMs = 10) {
        seedLink(rig.sim.port(), intervalMs);
        seedAssignment("Flying", 1, 1, 1);
        seedAssignment("Flying", 11, 1, 3);
        rig.sim.setInCockpit(inCockpit);
        ASSERT_TRUE(rig.startQuorix());
        // In the cockpit the first round sends both axes centred; wait for both so none arrives late.
        ASSERT_TRUE(inCockpit ? rig.waitForCommand(kCentredAilerons, kStartMs) &&
                                    rig.waitForCommand(kCentredRudder, 2000)
                              : rig.sim.waitForRecords(2, kStartMs));
    }
    // Forgets what arrived and waits for the next link test (version request and
    // cockpit query): rounds run every 10 ms, so by then about a hundred have.
    bool nextLinkTest() {
        rig.sim.clearRecords();
        return rig.sim.waitForRecords(2, 3000);
    }
    // Waits until the simulator has handled a datagram that match accepts.
    template <class Match>
    bool waitForRecord(Match match) {
        return waitFor(3000, [&] {
            for (const Il2SimRecord& r : rig.sim.records())
                if (match(r)) return true;
            return false;
        });
    }
    void quit() {
        DWORD code = 1234;
        ASSERT_TRUE(rig.quorix.quit(code));
        EXPECT_EQ(0u, code);
    }
    E2eRig rig;
};

TEST_F(MainJobTest, FirstStartCreatesNewProfileAndSavesDefaultsAtQuit) {
    ASSERT_TRUE(rig.startQuorix());
    quit();
    EXPECT_EQ(dwordValue(10), regRead(kQuorixRegRoot, "uiTimerInterval"));
    EXPECT_EQ(textValue("New Profile"), regRead(settings("Profiles"), "sActProfile"));
    EXPECT_EQ(std::vector<std::string>{"New Profile"}, regNames(settings("Profiles")));
    EXPECT_EQ(14u, regNames(settings("Profiles\\New Profile\\Dev2Axis")).size());
    EXPECT_EQ(textValue("Virtual Stick 1"), regRead(settings(kStickKey), "sInstName"));
}

TEST_F(MainJobTest, MovesArriveExactlyAndStillStickOnlyTestsLink) {
    startFlying(1);  // entering the cockpit sends every assigned axis once: both centred
    EXPECT_EQ(2u, rig.commands().size());
    ASSERT_EQ(PADSIM_OK, rig.pads.setAxis(1, 1, 39322));  // 60 %
    EXPECT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\0.20", 2000));
    ASSERT_EQ(PADSIM_OK, rig.pads.setAxis(1, 3, 0));
    EXPECT_TRUE(rig.waitForCommand("R/89\\-1.00/89\\-1.00", 2000));
    ASSERT_EQ(4u, rig.commands().size());

    // Still: nothing but the link's two requests, once a second.
    rig.sim.clearRecords();
    ASSERT_TRUE(rig.sim.waitForRecords(4, 5000));
    std::vector<Il2SimRecord> still = rig.sim.records();
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(i % 2 ? "R/6\\81" : "R/2", still[i].sDatagram) << i;
    EXPECT_GE(still[2].dwTick - still[0].dwTick, 900u);
    EXPECT_TRUE(rig.commands().empty());
    quit();
}

TEST_F(MainJobTest, CockpitExitStopsSendingAndEntryFlushes) {
    startFlying(0);
    rig.pads.setAxis(1, 1, 0);
    ASSERT_TRUE(nextLinkTest());
    EXPECT_TRUE(rig.commands().empty()) << "no sending outside the cockpit";

    rig.sim.setInCockpit(1);
    ASSERT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\-1.00", 3000));
    ASSERT_TRUE(rig.waitForCommand(kCentredRudder, 1000));

    // Once the cockpit query is answered "out", no round sends; moves after it stay home.
    rig.sim.clearRecords();
    rig.sim.setInCockpit(0);
    ASSERT_TRUE(waitForRecord([](const Il2SimRecord& r) { return r.sAnswer == "A/6\\81\\0"; }));
    rig.pads.setAxis(1, 1, 65535);
    ASSERT_TRUE(nextLinkTest());
    EXPECT_TRUE(rig.commands().empty());
    quit();
}

TEST_F(MainJobTest, SimulatorComingBackResumesWithFlush) {
    startFlying(1);
    rig.sim.setSilent(1);  // the next version request goes unanswered: the link drops
    ASSERT_TRUE(waitForRecord([](const Il2SimRecord& r) { return r.kind == IL2SIM_QUERY && !r.bAnswered; }));
    rig.sim.clearRecords();  // the next attempt is a second away
    rig.sim.setSilent(0);
    EXPECT_TRUE(rig.waitForCommand(kCentredAilerons, 4000)) << "unchanged axes are sent again";
    EXPECT_TRUE(rig.waitForCommand(kCentredRudder, 1000));
    quit();
}

TEST_F(MainJobTest, UnplugKeepsDeviceAndReplugResumesSending) {
    startFlying(1);
    ASSERT_EQ(PADSIM_OK, rig.pads.unplug(1));  // from here every read of it fails
    ASSERT_TRUE(nextLinkTest());  // no round that still saw it plugged can see the move below
    rig.pads.setAxis(1, 1, 39322);
    ASSERT_TRUE(nextLinkTest());
    EXPECT_TRUE(rig.commands().empty()) << "an unplugged stick sends nothing";

    ASSERT_EQ(PADSIM_OK, rig.pads.plug(1));
    EXPECT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\0.20", 3000)) << "sending resumes after the arrival pass";
    quit();
    EXPECT_EQ(textValue("Virtual Stick 1"), regRead(settings(kStickKey), "sUsrName"));
}

TEST_F(MainJobTest, QuitWritesTheDocumentedLayout) {
    rig.pads.plug(2);  // the throttle is registered by the first pass
    startFlying(0);
    quit();
    // Value encodings are the settings classes' own tests; here the layout the real program writes.
    EXPECT_EQ(dwordValue(10), regRead(kQuorixRegRoot, "uiTimerInterval"));
    EXPECT_EQ(dwordValue(rig.sim.port()), regRead(settings("IL2Com"), "iIL2Port"));
    EXPECT_EQ(textValue("127.0.0.1"), regRead(settings("IL2Com"), "sIL2Addr"));
    EXPECT_EQ(2u, regNames(settings("HwDev")).size());
    for (int i = 0; i < 2; ++i) {  // named by the GUID's text in capitals
        std::string key = settings(kStickKey);
        key[key.size() - 2] = static_cast<char>('1' + i);
        EXPECT_EQ(binaryValue(&kVirtualControllerGuid[i], sizeof(GUID)), regRead(key, "guid")) << key;
        EXPECT_EQ(textValue(kVirtualControllerName[i]), regRead(key, "sInstName")) << key;
    }

    EXPECT_EQ(textValue("Flying"), regRead(settings("Profiles"), "sActProfile"));
    const std::string ailerons = settings("Profiles\\Flying\\Dev2Axis\\1");
    EXPECT_EQ(dwordValue(1), regRead(ailerons, "idAxis"));
    EXPECT_EQ(textValue("Ailerons"), regRead(ailerons, "ILDeviceName"));
    EXPECT_EQ(80u, regRead(ailerons, "aiTranslate").second.size());
    EXPECT_EQ(dwordValue(3), regRead(settings("Profiles\\Flying\\Dev2Axis\\11"), "idAxis"));
}

TEST_F(MainJobTest, SecondStartShowsAlreadyRunningAndLeavesFirstRunning) {
    QuorixProcess first;
    ASSERT_TRUE(first.startAndWait());
    EXPECT_FALSE(IsWindowVisible(first.frame()));
    EXPECT_FALSE(IsWindowEnabled(first.frame()));
    ChildProcess second;
    ASSERT_TRUE(second.start("\"" + exePath("quorix.exe") + "\""));
    HWND box = nullptr;
    ASSERT_TRUE(waitFor(15000, [&] { return (box = findProcessWindow(second.pid(), "#32770", "Quorix")) != nullptr; }))
        << "no message box from the second start";
    char text[64] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // a message box's text control
    EXPECT_STREQ("Already running", text);
    EXPECT_EQ(nullptr, findProcessWindow(second.pid(), "Quorix", nullptr)) << "second start built a frame window";
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    DWORD code = 1234;
    ASSERT_TRUE(second.waitExit(10000, code));
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(first.running());
    ASSERT_NE(nullptr, first.frame());
    PostMessageA(first.frame(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(first.waitExit(15000, code));
    EXPECT_EQ(0u, code);
}

// Every round reads each controller in use once; the virtual controllers count
// the reads. Milliseconds until n more reads of the stick arrived.
DWORD msForReads(VirtualControllers& pads, long n) {
    long start = 0, now = 0;
    pads.getReads(start, 1);
    DWORD t0 = GetTickCount();
    waitFor(10000, [&] { return pads.getReads(now, 1) == PADSIM_OK && now - start >= n; });
    return GetTickCount() - t0;
}

// A start after a quit (the mutex went with the program) is the second start here.
TEST_F(MainJobTest, StoredPollIntervalIsClampedHonouredAndSaved) {
    startFlying(1, 1000);  // runs at 100 ms
    DWORD slow = msForReads(rig.pads, 20);
    quit();
    EXPECT_EQ(dwordValue(100), regRead(kQuorixRegRoot, "uiTimerInterval"));
    seedDword("", "uiTimerInterval", 10);
    rig.sim.clearRecords();
    ASSERT_TRUE(rig.startQuorix());
    ASSERT_TRUE(rig.waitForCommand(kCentredAilerons, kStartMs));
    DWORD fast = msForReads(rig.pads, 20);
    quit();
    // About 2000 and 200 ms; the bounds only tell the two apart (Wine's timers
    // are coarser than Windows' and the machine may be busy).
    EXPECT_GE(slow, 1500u);
    EXPECT_LT(3 * fast, slow);
}

// The worst of the damaged settings at once: the stick is still fed within -1.00 ..
// 1.00, the program quits with 0 and writes no controller under the zero GUID.
TEST_F(MainJobTest, DamagedSettingsStillFeedTheStickAndQuitCleanly) {
    int wild[20];
    for (int j = 0; j < 20; ++j) wild[j] = j % 2 ? 250 : -5;
    const std::string ail = "Profiles\\Flying\\Dev2Axis\\1", zero(16, '\0');
    const struct { std::string key; const char* name; RegValue value; } damage[] = {
        {ail, "aiTranslate", binaryValue(wild, sizeof wild)}, {ail, "dFilterJitter", textValue("nan")},
        {ail, "dRvBugCor", textValue("1e300")}, {ail, "iMinCalibVal", dwordValue(INT_MAX)},
        {"Profiles\\Flying\\Dev2Axis\\11", "idAxis", dwordValue(DWORD(-1))},
        {"Profiles\\Flying\\Dev2Axis\\2", "idAxis", dwordValue(9)},
        {"HwDev\\Phantom", "sInstName", textValue("No guid")},
        {"HwDev\\Short", "guid", binaryValue(zero.data(), 15)}, {"HwDev\\Zero", "guid", binaryValue(zero.data(), 16)},
    };
    seedLink(rig.sim.port());
    seedAssignment("Flying", 1, 1, 1);
    for (const auto& d : damage) regWrite(settings(d.key), d.name, d.value.first, d.value.second);
    rig.sim.setInCockpit(1);
    ASSERT_TRUE(rig.startQuorix());
    ASSERT_TRUE(rig.sim.waitForRecords(2, kStartMs)) << "the link came up";
    ASSERT_EQ(PADSIM_OK, rig.pads.setAxis(1, 1, 0));
    EXPECT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\-1.00", 5000));
    quit();
    for (const std::string& c : rig.commands()) EXPECT_LE(fabs(atof(c.substr(c.rfind('\\') + 1).c_str())), 1.0) << c;
    EXPECT_EQ(0u, regDump(kQuorixRegRoot).count("HwDev\\{00000000-0000-0000-0000-000000000000}|"));
}

}  // namespace
