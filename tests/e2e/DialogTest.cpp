// The configuration dialog of the real program, opened as the tray menu opens it
// and read from outside the process, with the virtual controllers and the
// stand-in simulator on 127.0.0.1.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "support/DlgDriver.h"
#include "support/E2eRig.h"

namespace {

const char kCaption[] = "Quorix - Ombrisal for IL-2";

RegValue setting(const char* subKey, const char* name) {
    return regRead(std::string(kQuorixRegRoot) + (*subKey ? "\\" : "") + subKey, name);
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        clearQuorixSettings();
        ASSERT_TRUE(rig.prepare());
        seedLink(rig.sim.port());
        seedAssignment("Flying", 1, 1, 1);  // stick X -> Ailerons
    }
    void TearDown() override { clearQuorixSettings(); }
    // Starts the program and chooses "Configure..." as the tray menu does.
    void startAndOpen() {
        ASSERT_TRUE(rig.startQuorix());
        PostMessageA(rig.quorix.frame(), WM_COMMAND, 101, 0);
        ASSERT_NE(nullptr, dlg = waitDlg(rig.quorix.pid(), kCaption, 104, 0, 20000));
    }
    void waitText(int id, const std::string& text) {
        EXPECT_TRUE(waitFor(5000, [&] { return dlgText(dlg, id) == text; }))
            << id << ": expected \"" << text << "\", shows \"" << dlgText(dlg, id) << "\"";
    }
    bool waitChecks(int connected, int inCockpit) {
        return waitFor(5000, [&] { return dlgCheck(dlg, 209) == connected && dlgCheck(dlg, 210) == inCockpit; });
    }
    // Milliseconds until the stick was read n more times (the deadline when not).
    DWORD msForReads(long n, DWORD deadline) {
        long start = 0, now = 0;
        rig.pads.getReads(start, 1);
        DWORD t0 = GetTickCount();
        waitFor(deadline, [&] { return rig.pads.getReads(now, 1) == PADSIM_OK && now - start >= n; });
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

TEST_F(DialogTest, LiveValuesFollowTheStickAndUnpluggingSwitchesOrClearsTheBox) {
    rig.pads.plug(2);
    startAndOpen();
    struct Step { int ctrl, axis; long value; int id; const char* shown; };
    const Step kSteps[] = {
        {1, 1, 39322, 1102, "39322"}, {1, 1, 39322, 1104, "60.00"}, {1, 1, 39322, 1105, "60.00"},
        {1, 2, 1234, 1202, "1234"},   {1, 2, 1234, 1204, "0"},  // a free axis shows only its raw value
        {-1, 0, 0, 305, "Virtual Throttle 2"}, {-2, 0, 0, 305, ""},  // unplugged: the next one, then none
    };
    for (const Step& st : kSteps) {
        SCOPED_TRACE(st.id);
        ASSERT_EQ(PADSIM_OK, st.ctrl > 0 ? rig.pads.setAxis(st.ctrl, st.axis, st.value) : rig.pads.unplug(-st.ctrl));
        waitText(st.id, st.shown);
    }
    EXPECT_TRUE(dlgComboItems(dlg, 302).empty());
    EXPECT_FALSE(dlgEnabled(dlg, 1106));
    quit();
}

TEST_F(DialogTest, IndicatorsFollowTheSimulatorStartingAndStopping) {
    const unsigned short port = rig.sim.port();
    rig.sim.setInCockpit(1);
    startAndOpen();
    EXPECT_TRUE(waitChecks(1, 1)) << "running, pilot in the cockpit";
    rig.sim.stop();
    EXPECT_TRUE(waitChecks(0, 0)) << "stopped";
    ASSERT_EQ(0, rig.sim.start(port));
    EXPECT_TRUE(waitChecks(1, 1)) << "started again";
    quit();
}

TEST_F(DialogTest, TrackbarChangesThePollRateOnReleaseOnly) {
    startAndOpen();
    scroll(TB_THUMBTRACK, 100);
    waitText(214, "100");
    // At 10 ms, 30 reads take 0.3 s; at 100 ms they could not come before 2.9 s.
    EXPECT_LT(msForReads(30, 2500), 2500u) << "dragging must not change the rate";
    scroll(TB_ENDTRACK, 100);
    msForReads(1, 2000);  // the round in flight when the timer was restarted
    EXPECT_GE(msForReads(10, 5000), 850u) << "released at 100 ms: at most one read per 100 ms";
    quit();
    EXPECT_EQ(dwordValue(100), setting("", "uiTimerInterval"));
}

TEST_F(DialogTest, ConfigureTwiceGivesOneDialogAndQuitOverASubDialogExitsZeroAndSaves) {
    startAndOpen();
    // Sent: it returns only when handled, and a second modal dialog would hold it until it closes.
    DWORD_PTR result = 0;
    EXPECT_NE(0, SendMessageTimeoutA(rig.quorix.frame(), WM_COMMAND, 101, 0, SMTO_NORMAL, 5000, &result))
        << "a second dialog opened";
    scroll(TB_ENDTRACK, 40);
    dlgCommand(dlg, 206);
    ASSERT_NE(nullptr, waitDlg(rig.quorix.pid(), "IL2 Device Link Server", 0, 0, 5000));
    quit();
    EXPECT_EQ(dwordValue(40), setting("", "uiTimerInterval"));
    EXPECT_EQ(dwordValue(rig.sim.port()), setting("IL2Com", "iIL2Port")) << "the sub-dialog ended as with Cancel";
}

}  // namespace
