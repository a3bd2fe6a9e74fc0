// The real quorix.exe, driven from outside as a user would: the virtual controllers
// in, Device Link datagrams out to the stand-in simulator on 127.0.0.1, the dialogs
// read with window messages and the registry at "Quit". Each test is one session of
// the program; the rules behind each step have their in-process tests.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "support/DlgDriver.h"
#include "support/E2eRig.h"
#include "support/TestPaths.h"

namespace {

const DWORD kStartMs = 20000;  // a busy machine under Wine is slow
const char kCaption[] = "Quorix - Ombrisal for IL-2";
const char* const kStickKey = "HwDev\\{A7C1D2E0-5B3F-4E8A-9C61-51D0C0DE0001}";

class QuorixE2eTest : public ::testing::Test {
protected:
    void SetUp() override {
        clearQuorixSettings();
        ASSERT_TRUE(rig.prepare());
    }
    void TearDown() override { clearQuorixSettings(); }
    // Starts on the link to the simulator (the pilot in the cockpit) and profile "Flying"
    // assigning stick axes to controls ({control id, axis}; axis 0: the profile only).
    bool start(std::initializer_list<std::pair<int, int>> assigned, DWORD intervalMs = 10, const char* args = "") {
        seedLink(rig.sim.port(), intervalMs);
        for (const auto& a : assigned) seedAssignment("Flying", a.first, 1, a.second);
        rig.sim.setInCockpit(1);
        return rig.startQuorix(args);
    }
    // Forgets what arrived and waits for the next link test (version request and
    // cockpit query): rounds run every 10 ms, so by then about a hundred have.
    bool nextLinkTest() {
        rig.sim.clearRecords();
        return rig.sim.waitForRecords(2, 3000);
    }
    // Chooses "Configure..." as the tray menu does.
    bool openDialog() {
        PostMessageA(rig.quorix.frame(), WM_COMMAND, 101, 0);
        return (dlg = waitDlg(rig.quorix.pid(), kCaption, 104, 0, kStartMs)) != nullptr;
    }
    void waitText(int id, const std::string& text) {
        EXPECT_TRUE(dlgWait([&] { return dlgText(dlg, id) == text; }, 5000))
            << id << ": expected \"" << text << "\", shows \"" << dlgText(dlg, id) << "\"";
    }
    bool waitChecks(int connected, int inCockpit) {
        return dlgWait([&] { return dlgCheck(dlg, 209) == connected && dlgCheck(dlg, 210) == inCockpit; }, 5000);
    }
    // Every round reads each controller in use once and the virtual controllers count
    // the reads: milliseconds until the stick was read n more times (the deadline when not).
    DWORD msForReads(long n, DWORD deadline) {
        long start = 0, now = 0;
        DWORD t0 = GetTickCount();  // first: a pause of this thread before the count shortens nothing
        rig.pads.getReads(start, 1);
        dlgWait([&] { return rig.pads.getReads(now, 1) == PADSIM_OK && now - start >= n; }, deadline);
        return GetTickCount() - t0;
    }
    void scroll(int code, int pos) {
        SendDlgItemMessageA(dlg, 212, TBM_SETPOS, TRUE, pos);
        SendMessageA(dlg, WM_HSCROLL, MAKEWPARAM(code, pos), reinterpret_cast<LPARAM>(GetDlgItem(dlg, 212)));
    }
    void quit() {
        DWORD code = 1234;
        ASSERT_TRUE(rig.quorix.quit(code));
        EXPECT_EQ(0u, code);
    }
    E2eRig rig;
    HWND dlg = nullptr;
};

TEST_F(QuorixE2eTest, FirstStartSavesDefaultsAndASecondStartOnlySaysAlreadyRunning) {
    ASSERT_TRUE(rig.startQuorix());
    EXPECT_FALSE(IsWindowVisible(rig.quorix.frame()));
    EXPECT_FALSE(IsWindowEnabled(rig.quorix.frame()));
    ChildProcess other;  // a second start, then one that fails
    ASSERT_TRUE(other.start("\"" + exePath("quorix.exe") + "\""));
    ASSERT_NE(nullptr, waitDlg(other.pid(), "Quorix", IDOK, 0, 15000)) << "no message box from the second start";
    EXPECT_EQ(nullptr, findProcessWindow(other.pid(), "Quorix", nullptr)) << "second start built a frame window";
    EXPECT_EQ("Already running", answerBox(other.pid(), "Quorix", IDOK));
    DWORD code = 1234;
    ASSERT_TRUE(other.waitExit(10000, code));
    EXPECT_EQ(0u, code);
    ASSERT_TRUE(rig.quorix.running());
    SendMessageA(rig.quorix.frame(), WM_ENDSESSION, TRUE, 0);  // logoff or shutdown: saved without "Quit"
    EXPECT_EQ(textValue("New Profile"), regRead(quorixKey("Profiles"), "sActProfile"));
    EXPECT_EQ(std::vector<std::string>{"New Profile"}, regNames(quorixKey("Profiles")));
    EXPECT_EQ(14u, regNames(quorixKey("Profiles\\New Profile\\Dev2Axis")).size());
    PostMessageA(rig.quorix.frame(), WM_CLOSE, 0, 0);  // as "Quit"
    ASSERT_TRUE(rig.quorix.waitExit(15000, code));
    EXPECT_EQ(0u, code);
    // DirectInput cannot start: the pilot is told, after the icon and the window are gone.
    ASSERT_EQ(PADSIM_OK, rig.pads.setCreateResult(E_FAIL));
    ASSERT_TRUE(other.start("\"" + rig.sAppDir + "quorix.exe\""));
    EXPECT_EQ("Quorix could not start DirectInput (status 1).", answerBox(other.pid(), "Quorix", IDOK, kStartMs));
    ASSERT_TRUE(other.waitExit(10000, code));
    EXPECT_EQ(1u, code);
}

TEST_F(QuorixE2eTest, FlyingSendsExactlyWhatChangedWhileTheSimulatorListensAndQuitWritesTheLayout) {
    rig.pads.plug(2);  // the throttle is registered by the first pass
    ASSERT_TRUE(start({{1, 1}, {11, 3}}, 10, " /LOG"));  // stick X -> Ailerons, stick Z -> Rudder
    // Entering the cockpit sends every assigned axis once: both centred.
    ASSERT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\0.00", kStartMs));
    ASSERT_TRUE(rig.waitForCommand("R/89\\-1.00/89\\0.00", 2000));
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

    // Once the cockpit query is answered "out", no round sends; entering again flushes.
    rig.sim.setInCockpit(0);
    ASSERT_TRUE(nextLinkTest());  // a query among them, answered "out"
    rig.pads.setAxis(1, 1, 0);
    ASSERT_TRUE(nextLinkTest());
    EXPECT_TRUE(rig.commands().empty()) << "no sending outside the cockpit";
    rig.sim.setInCockpit(1);
    EXPECT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\-1.00", 3000));
    EXPECT_TRUE(rig.waitForCommand("R/89\\-1.00/89\\-1.00", 1000));

    rig.sim.setSilent(1);  // the next version request goes unanswered: the link drops
    rig.sim.clearRecords();
    ASSERT_TRUE(rig.sim.waitForRecords(1, 3000));
    rig.sim.clearRecords();  // the next attempt is a second away
    rig.sim.setSilent(0);
    EXPECT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\-1.00", 4000)) << "unchanged axes are sent again";
    EXPECT_TRUE(rig.waitForCommand("R/89\\-1.00/89\\-1.00", 1000));

    ASSERT_EQ(PADSIM_OK, rig.pads.unplug(1));  // from here every read of it fails
    ASSERT_TRUE(nextLinkTest());                // no round that still saw it plugged can see the move below
    rig.pads.setAxis(1, 1, 39322);
    ASSERT_TRUE(nextLinkTest());
    EXPECT_TRUE(rig.commands().empty()) << "an unplugged stick sends nothing";
    ASSERT_EQ(PADSIM_OK, rig.pads.plug(1));
    EXPECT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\0.20", 3000)) << "sending resumes after the arrival pass";
    quit();

    // Value encodings are the settings classes' own tests; here the layout the real program writes.
    EXPECT_EQ(dwordValue(rig.sim.port()), regRead(quorixKey("IL2Com"), "iIL2Port"));
    EXPECT_EQ(textValue("127.0.0.1"), regRead(quorixKey("IL2Com"), "sIL2Addr"));
    EXPECT_EQ(2u, regNames(quorixKey("HwDev")).size());
    // Named by the GUID's text in capitals; the throttle's name is the dialog test's.
    EXPECT_EQ(binaryValue(&kVirtualControllerGuid[0], sizeof(GUID)), regRead(quorixKey(kStickKey), "guid"));
    EXPECT_EQ(textValue(kVirtualControllerName[0]), regRead(quorixKey(kStickKey), "sInstName"));
    const std::string ailerons = quorixKey("Profiles\\Flying\\Dev2Axis\\1");
    EXPECT_EQ(dwordValue(1), regRead(ailerons, "idAxis"));
    EXPECT_EQ(textValue("Ailerons"), regRead(ailerons, "ILDeviceName"));
    EXPECT_EQ(80u, regRead(ailerons, "aiTranslate").second.size());
    // Started with /log: every line, from the one construction writes to the one destruction writes.
    char dir[MAX_PATH];
    const std::string appData(dir, GetEnvironmentVariableA("LOCALAPPDATA", dir, MAX_PATH));
    const std::string log = fileText(appData + "\\Quorix\\quorix.log");
    EXPECT_EQ(0u, log.find("=== Started ===\r\n")) << log.substr(0, 100);
    for (const char* line : {"enumDevices: ", "Testing connection...\r\n", "sendIL2DeviceCmd[R/85\\-1.00/85\\0.20]"})
        EXPECT_NE(std::string::npos, log.find(line)) << line;
    EXPECT_EQ(log.size() - 16, log.rfind("=== Closed ===\r\n"));
}

TEST_F(QuorixE2eTest, DialogShowsLiveStateAndItsEditsShapeTheWireAndAreSavedAtQuit) {
    rig.pads.plug(2);
    ASSERT_EQ(PADSIM_OK, rig.pads.setAxis(1, 1, 39322));  // stick X at 60 %
    ASSERT_TRUE(start({{1, 0}}));  // nothing assigned
    const DWORD pid = rig.quorix.pid();
    ASSERT_TRUE(openDialog());
    EXPECT_TRUE(waitChecks(1, 1)) << "running, pilot in the cockpit";
    dlgPick(dlg, 1106, "Ailerons");
    EXPECT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\0.20", 5000));
    const std::pair<int, const char*> live[] = {{1102, "39322"}, {1104, "60.00"}, {1105, "60.00"}, {1202, "1234"},
                                                {1204, "0"}};  // a free axis shows only its raw value
    ASSERT_EQ(PADSIM_OK, rig.pads.setAxis(1, 2, 1234));
    for (const auto& l : live) waitText(l.first, l.second);
    dlgClick(dlg, 1103);  // invert: the stick at rest sends the mirrored value
    EXPECT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\-0.20", 5000));
    dlgCommand(dlg, 1107);  // "Config": raw 0..49152 and point 3 at 50
    HWND axisDlg = waitDlg(pid, kCaption, 10050);
    ASSERT_NE(nullptr, axisDlg);
    dlgSetText(axisDlg, 204, "49152");
    SendDlgItemMessageA(axisDlg, 10200, TBM_SETPOS, TRUE, 50);
    dlgCommand(axisDlg, IDOK);  // 80 % inverted is 20 %, times 50 % is 10 %
    EXPECT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\-0.80", 5000));
    ASSERT_EQ(PADSIM_OK, rig.pads.setAxis(1, 1, 0));
    EXPECT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\1.00", 5000));

    const unsigned short port = rig.sim.port();
    rig.sim.stop();
    EXPECT_TRUE(waitChecks(0, 0)) << "stopped";
    ASSERT_EQ(0, rig.sim.start(port));
    EXPECT_TRUE(waitChecks(1, 1)) << "started again";

    dlgCommand(dlg, 101);  // "Close", then open it again
    ASSERT_TRUE(dlgWait([&] { return !IsWindow(dlg); }));
    ASSERT_TRUE(openDialog());
    // Sent: it returns only when handled, and a second modal dialog would hold it until it closes.
    DWORD_PTR result = 0;
    EXPECT_NE(0, SendMessageTimeoutA(rig.quorix.frame(), WM_COMMAND, 101, 0, SMTO_NORMAL, 5000, &result))
        << "a second dialog opened";
    scroll(TB_ENDTRACK, 40);
    ASSERT_EQ(PADSIM_OK, rig.pads.unplug(1));
    waitText(305, "Virtual Throttle 2");  // unplugged: the next one, then none
    ASSERT_EQ(PADSIM_OK, rig.pads.unplug(2));
    waitText(305, "");  // the empty, disabled box: the dialog's own test
    dlgCommand(dlg, 206);  // the server sub-dialog stays open: "Quit" ends it as with Cancel
    ASSERT_NE(nullptr, waitDlg(pid, "IL2 Device Link Server", 0, 0, 5000));
    quit();

    EXPECT_EQ(dwordValue(40), regRead(kQuorixRegRoot, "uiTimerInterval"));
}

// Run by the code-page entry. Names in code page 932 bytes: U+96F6 U+6226, the longest; U+30BD, whose byte 0x5C
// reads as "\" alone; U+8868 then U+30BD x 127 (256 bytes; Wine's "A" registry calls take paths of 260 characters
// at most); the stick's U+64CD U+7E26 U+687F; and U+D55C, outside the code page, which lists as "?".
TEST_F(QuorixE2eTest, CodePage932NamesSurviveSwitchingRenamingSavingASecondStartAndADelete) {
    ASSERT_EQ(932u, GetACP()) << "run with LC_ALL=ja_JP.UTF-8";
    std::string longest = "\x97\xEB\x90\xED", so = "\x83\x5C", renamed = "\x95\x5C", stick = "\x91\x80\x8F\x63\x9E\x85";
    while (renamed.size() < 256) renamed += so;
    seedAssignment(so.c_str(), 3, 1, 2);       // stick Y -> Elevator
    seedAssignment(longest.c_str(), 1, 1, 1);  // active: stick X -> Ailerons
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Velmora\\Quorix\\Profiles\\\xD55C", L"v", REG_SZ, L"", 2);
    const char *ailerons = "R/85\\-1.00/85\\0.00", *elevator = "R/87\\-1.00/87\\0.00";
    ASSERT_TRUE(start({}));
    ASSERT_TRUE(rig.waitForCommand(ailerons, kStartMs));
    ASSERT_TRUE(openDialog());
    dlgPick(dlg, 104, so);
    EXPECT_TRUE(rig.waitForCommand(elevator, 5000)) << "switched";
    for (const auto& e : {std::make_pair(105, renamed), std::make_pair(303, stick)})
        EXPECT_EQ(1u, answerPrompts(rig.quorix.pid(), dlg, e.first, {e.second.c_str()}).size());
    quit();
    EXPECT_EQ(std::vector<std::string>({renamed, longest, "?"}), regNames(quorixKey("Profiles")));
    EXPECT_EQ(textValue(renamed.c_str()), regRead(quorixKey("Profiles"), "sActProfile"));
    EXPECT_EQ(textValue(stick.c_str()), regRead(quorixKey(kStickKey), "sUsrName"));
    rig.sim.clearRecords();
    ASSERT_TRUE(rig.startQuorix());
    ASSERT_TRUE(rig.waitForCommand(elevator, kStartMs));
    ASSERT_TRUE(openDialog());
    EXPECT_EQ(stick, dlgText(dlg, 302));
    dlgCommand(dlg, 106);
    EXPECT_EQ("Are you sure?", answerBox(rig.quorix.pid(), "Delete Profile", IDYES));
    EXPECT_TRUE(rig.waitForCommand(ailerons, 5000)) << "the first profile active again";
    quit();
    EXPECT_EQ(std::vector<std::string>({longest, "?"}), regNames(quorixKey("Profiles")));
    EXPECT_EQ(textValue(longest.c_str()), regRead(quorixKey("Profiles"), "sActProfile"));
}

// The worst of the damaged settings at once, and an interval out of range (1000 runs at
// 100 ms): the stick is still fed within -1.00 .. 1.00, a clean axis's moves go out between
// ticks, the trackbar changes the rate on release only, closing the dialog stores the settings
// (an end without "Quit" keeps them) and no controller is written under the zero GUID.
TEST_F(QuorixE2eTest, DamagedSettingsStillFeedTheStickMovesBeatTheTimerAndTheTrackbarSetsTheRateOnRelease) {
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
    for (const auto& d : damage) seed(d.key, d.name, d.value);
    ASSERT_TRUE(start({{1, 1}, {3, 2}}, 1000));  // and stick Y -> Elevator, undamaged
    ASSERT_TRUE(rig.waitForCommand("R/87\\-1.00/87\\0.00", kStartMs));
    ASSERT_EQ(PADSIM_OK, rig.pads.setAxis(1, 1, 0));
    EXPECT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\-1.00", 5000));
    // By the timer alone each move waits for a tick of its own: twenty moves, two seconds. The
    // virtual controller DLL passes each change on as an input event, which sends it at once.
    DWORD t0 = GetTickCount();
    for (int p = 61; p <= 80; ++p) {
        size_t sent = rig.commands().size();
        rig.pads.setAxis(1, 2, (p * 65536L + 50) / 100);
        ASSERT_TRUE(dlgWait([&] { return rig.commands().size() > sent; }, 3000)) << p;
    }
    EXPECT_LT(GetTickCount() - t0, 1000u);
    EXPECT_TRUE(rig.waitForCommand("R/87\\-1.00/87\\0.60", 3000));  // 80 %, the last move
    ASSERT_TRUE(openDialog());
    waitText(214, "100");
    scroll(TB_THUMBTRACK, 10);
    waitText(214, "10");
    // At 100 ms, 10 reads take about a second (a busy machine's timer catches up: at least 0.5 s);
    // at 10 ms, 0.1 s.
    EXPECT_GE(msForReads(10, 5000), 500u) << "dragging must not change the rate";
    scroll(TB_ENDTRACK, 10);
    msForReads(1, 2000);  // the round in flight when the timer was restarted
    EXPECT_LT(msForReads(30, 2500), 2500u) << "released at 10 ms";
    dlgCommand(dlg, 101);  // "Close" stores the new rate: it survives an end without "Quit"
    ASSERT_TRUE(dlgWait([&] { return !IsWindow(dlg); }));
    rig.quorix.kill();
    for (const std::string& c : rig.commands()) EXPECT_LE(fabs(atof(c.substr(c.rfind('\\') + 1).c_str())), 1.0) << c;
    EXPECT_EQ(dwordValue(10), regRead(kQuorixRegRoot, "uiTimerInterval"));
    EXPECT_EQ(0u, regDump(kQuorixRegRoot).count("HwDev\\{00000000-0000-0000-0000-000000000000}|"));
}

}  // namespace
