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
const DWORD kStartMs = 20000;  // a busy machine under Wine starts slowly
const DWORD kMs = 5000;

DWORD readSetting(const char* subKey, const char* name) {
    std::string path = std::string(kQuorixRegRoot) + (*subKey ? "\\" : "") + subKey;
    DWORD v = 0, size = sizeof v;
    if (RegGetValueA(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_REG_DWORD, nullptr, &v, &size) != ERROR_SUCCESS)
        return 0xFFFFFFFF;
    return v;
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
    // Starts the program and opens "Configure..." as the tray menu does.
    void startAndOpen() {
        ASSERT_TRUE(rig.startQuorix());
        PostMessageA(rig.quorix.frame(), WM_COMMAND, 101, 0);
        dlg = waitDlg(rig.quorix.pid(), kCaption, 104, 0, kStartMs);
        ASSERT_NE(nullptr, dlg);
    }
    bool waitText(int id, const std::string& text, DWORD ms = kMs) {
        bool ok = waitFor(ms, [&] { return dlgText(dlg, id) == text; });
        if (!ok) ADD_FAILURE() << id << ": expected \"" << text << "\", shows \"" << dlgText(dlg, id) << "\"";
        return ok;
    }
    bool waitChecks(int connected, int inCockpit) {
        return waitFor(kMs, [&] { return dlgCheck(dlg, 209) == connected && dlgCheck(dlg, 210) == inCockpit; });
    }
    long reads() {
        long n = 0;
        rig.vjoy.getReads(n, 1);
        return n;
    }
    // Milliseconds until the stick was read n more times (the deadline when not).
    DWORD msForReads(long n, DWORD deadline) {
        long start = reads();
        DWORD t0 = GetTickCount();
        waitFor(deadline, [&] { return reads() - start >= n; });
        return GetTickCount() - t0;
    }
    void scroll(int code, int pos) {
        HWND bar = GetDlgItem(dlg, 212);
        SendMessageA(bar, TBM_SETPOS, TRUE, pos);
        SendMessageA(dlg, WM_HSCROLL, MAKEWPARAM(code, pos), reinterpret_cast<LPARAM>(bar));
    }
    void quitAndExpectZero() {
        DWORD code = 1234;
        ASSERT_TRUE(rig.quorix.quit(code));
        EXPECT_EQ(0u, code);
    }
    E2eRig rig;
    HWND dlg = nullptr;
};

TEST_F(DialogTest, LiveValuesFollowTheStickAndAFreeAxisShowsOnlyRaw) {
    startAndOpen();
    EXPECT_EQ("Virtual Stick 1", dlgText(dlg, 305));
    EXPECT_EQ("Quorix Virtual Controller", dlgText(dlg, 307));
    waitText(1102, "32767");
    waitText(1104, "50.00");
    struct Move { int axis; long value; int field; const char* shown; };
    const Move kMoves[] = {
        {1, 39322, 1102, "39322"}, {1, 39322, 1104, "60.00"}, {1, 39322, 1105, "60.00"},
        {1, 0, 1105, "0.00"},      {2, 1234, 1202, "1234"},
    };
    for (const Move& m : kMoves) {
        SCOPED_TRACE(m.field);
        ASSERT_EQ(VJOY_OK, rig.vjoy.setAxis(1, m.axis, m.value));
        waitText(m.field, m.shown);
    }
    EXPECT_EQ("0", dlgText(dlg, 1204)) << "a free axis shows only its raw value";
    EXPECT_EQ("0", dlgText(dlg, 1205));
    EXPECT_FALSE(dlgEnabled(dlg, 1202));
    EXPECT_EQ("Ailerons", dlgComboItems(dlg, 1106)[dlgComboSel(dlg, 1106)]);
    quitAndExpectZero();
}

TEST_F(DialogTest, UnpluggingTheShownControllerShowsTheNextOrClearsTheBox) {
    rig.vjoy.plug(2);
    startAndOpen();
    waitText(305, "Virtual Stick 1");
    struct Step { int ctrl; const char* shown; size_t listed; };
    const Step kSteps[] = {{1, "Virtual Throttle 2", 1}, {2, "", 0}};
    for (const Step& st : kSteps) {
        SCOPED_TRACE(st.shown);
        ASSERT_EQ(VJOY_OK, rig.vjoy.unplug(st.ctrl));
        waitText(305, st.shown);
        EXPECT_EQ(st.listed, dlgComboItems(dlg, 302).size());
    }
    EXPECT_FALSE(dlgEnabled(dlg, 1106)) << "an empty box disables every row";
    quitAndExpectZero();
}

TEST_F(DialogTest, IndicatorsFollowTheSimulatorStartingAndStopping) {
    const unsigned short port = rig.sim.port();
    rig.sim.setInCockpit(1);
    startAndOpen();
    EXPECT_TRUE(waitChecks(1, 1)) << "simulator running, pilot in the cockpit";
    rig.sim.setInCockpit(0);
    EXPECT_TRUE(waitChecks(1, 0)) << "pilot left";
    rig.sim.stop();
    EXPECT_TRUE(waitChecks(0, 0)) << "simulator stopped";
    rig.sim.setInCockpit(1);
    ASSERT_EQ(0, rig.sim.start(port));
    EXPECT_TRUE(waitChecks(1, 1)) << "simulator started again";
    quitAndExpectZero();
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
    quitAndExpectZero();
    EXPECT_EQ(100u, readSetting("", "uiTimerInterval"));
}

TEST_F(DialogTest, ConfigureTwiceGivesOneDialog) {
    startAndOpen();
    // Sent, so it has been handled on return; a second modal dialog would block it.
    DWORD_PTR result = 0;
    EXPECT_NE(0, SendMessageTimeoutA(rig.quorix.frame(), WM_COMMAND, 101, 0, SMTO_NORMAL, 5000, &result));
    int dialogs = 0;
    std::pair<DWORD, int*> args(rig.quorix.pid(), &dialogs);
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* a = reinterpret_cast<std::pair<DWORD, int*>*>(p);
            DWORD pid = 0;
            char text[64] = {};
            GetWindowThreadProcessId(w, &pid);
            GetWindowTextA(w, text, sizeof text);
            if (pid == a->first && strcmp(text, kCaption) == 0 && GetDlgItem(w, 104)) ++*a->second;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&args));
    EXPECT_EQ(1, dialogs);
    quitAndExpectZero();
}

TEST_F(DialogTest, QuitWithTheDialogOpenEndsItExitsZeroAndSaves) {
    struct Case { const char* name; bool serverDialog; };
    const Case kCases[] = {{"main dialog only", false}, {"server address dialog on top", true}};
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        startAndOpen();
        scroll(TB_ENDTRACK, 40);
        if (c.serverDialog) {
            dlgCommand(dlg, 206);
            ASSERT_NE(nullptr, waitDlg(rig.quorix.pid(), "IL2 Device Link Server", 0, 0, kMs));
        }
        quitAndExpectZero();
        EXPECT_EQ(40u, readSetting("", "uiTimerInterval"));
        EXPECT_EQ(rig.sim.port(), readSetting("IL2Com", "iIL2Port")) << "the sub-dialog ended as with Cancel";
        seedDword("", "uiTimerInterval", 10);
    }
}

}  // namespace
