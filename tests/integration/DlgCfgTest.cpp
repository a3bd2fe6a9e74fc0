// The main configuration dialog on its real resource and procedure, in this
// process (a modeless instance), fed by scripted controllers and the real link
// to the stand-in simulator on 127.0.0.1.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "il2sim/Il2SimServer.h"
#include "support/AppHarness.h"
#include "support/DlgDriver.h"
#include "support/SetTextCounter.h"
#include "support/TickSource.h"

namespace {

int rowId(int n, int field) { return 1000 + 100 * n + field; }
LRESULT itemData(HWND dlg, int id, int i) { return SendDlgItemMessageA(dlg, id, CB_GETITEMDATA, i, 0); }

class DlgCfgTest : public ::testing::Test {
protected:
    void SetUp() override {
        deleteTestSettings();
        ASSERT_EQ(0, sim.start(0));
        stick = h.di.addController(fakeGuid(10), "Stick");
        h.di.addController(fakeGuid(11), "Throttle");
        ASSERT_EQ(0, h.init());
        KillTimer(h.app.hFrameWnd, h.app.uiTimerId);  // rounds run only when the test says
        h.app.uiTimerId = 0;
        h.app.il2Com.pfnGetTickCount = testTick;
        MyString addr("127.0.0.1");
        ASSERT_EQ(0, h.app.il2Com.setAddress(addr));
        ASSERT_EQ(0, h.app.il2Com.setPort(sim.port()));
        GUID g = fakeGuid(10);
        ASSERT_EQ(0, h.app.pActProfile->findByILDev(ailerons, IDIL_AILERONS));
        ASSERT_EQ(0, ailerons->attach(g, HWA_X));
        ASSERT_EQ(0, h.app.pActProfile->findByILDev(rudder, IDIL_RUDDER));
        ASSERT_EQ(0, rudder->attach(g, HWA_Z));
        rudder->bInvert = 1;
        ASSERT_EQ(0, h.app.reapplyProfile());
    }
    void TearDown() override {
        if (dlg) DestroyWindow(dlg);
        EXPECT_EQ(nullptr, h.app.dlgCfg.hDlg) << "a destroyed dialog must not stay the open one";
        h.quit();
        sim.stop();
        deleteTestSettings();
    }
    void open() {
        dlg = CreateDialogParamA(h.hInst, "DLGCFG", h.app.hFrameWnd, DlgCfgProc, reinterpret_cast<LPARAM>(&h.app));
        ASSERT_NE(nullptr, dlg);
        ASSERT_EQ(dlg, h.app.dlgCfg.hDlg);
    }
    int round() {
        gTestTick += 1000;  // every round tests the link
        return h.app.runRound();
    }
    Il2SimServer sim;
    AppHarness h;
    HWND dlg = nullptr;
    int stick = 0;
    ProfileDev2Axis* ailerons = nullptr;
    ProfileDev2Axis* rudder = nullptr;
};

TEST_F(DlgCfgTest, OpensWithItsCaptionsEnabledStatesAndLists) {
    h.app.uiTimerInterval = 40;
    open();
    EXPECT_EQ("Quorix - Ombrisal for IL-2", dlgText(dlg, 0));
    EXPECT_TRUE(GetWindowLongA(dlg, GWL_EXSTYLE) & WS_EX_CONTEXTHELP);
    struct Ctrl { int id; const char* text; bool enabled; };
    const std::string port = std::to_string(sim.port());
    // What the dialog fills in or disables; the fixed captions are the resource's.
    const Ctrl kCtrls[] = {
        {207, "127.0.0.1", true}, {208, port.c_str(), true}, {209, "Connected to IL-2", false},
        {210, "Player In Cockpit", false}, {305, "Stick", true}, {307, PADSIM_PRODUCT_NAME, true},
        {214, "40", false}, {216, "", false}, {101, "Close", true},
    };
    for (const Ctrl& c : kCtrls) {
        EXPECT_EQ(c.text, dlgText(dlg, c.id)) << c.id;
        EXPECT_EQ(c.enabled, dlgEnabled(dlg, c.id)) << c.id;
    }
    EXPECT_EQ(40, dlgTrackPos(dlg, 212));
    EXPECT_EQ(std::vector<std::string>{"New Profile"}, dlgComboItems(dlg, 104));
    EXPECT_EQ(reinterpret_cast<LRESULT>(h.app.pActProfile), itemData(dlg, 104, dlgComboSel(dlg, 104)));
    // Devices sorted by name with their list index; the first connected one is shown.
    EXPECT_EQ((std::vector<std::string>{"Stick", "Throttle"}), dlgComboItems(dlg, 302));
    EXPECT_EQ(0, dlgComboSel(dlg, 302));
    EXPECT_EQ(1, itemData(dlg, 302, 1));
}

TEST_F(DlgCfgTest, AxisRowsWithAndWithoutATarget) {
    open();
    struct Row { int n; const char* target; bool assigned; int invert; };
    const Row kRows[] = {{1, "Ailerons", true, 0}, {2, "-- none --", false, 0}, {3, "Rudder", true, 1}};
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.n);
        EXPECT_EQ("Axis " + std::to_string(row.n) + ":", dlgText(dlg, rowId(row.n, 1)));
        const int combo = rowId(row.n, 6);
        std::vector<std::string> items = dlgComboItems(dlg, combo);
        ASSERT_EQ(15u, items.size());
        EXPECT_EQ("-- none --", items[0]);
        for (int i = 0; i < 15; ++i) {
            LRESULT id = itemData(dlg, combo, i);
            EXPECT_EQ(i ? h.app.ilDevices.apDevices[id - 1]->sName.text() : "-- none --", items[i]);
        }
        EXPECT_EQ(row.target, items[dlgComboSel(dlg, combo)]);
        EXPECT_TRUE(dlgEnabled(dlg, combo));
        for (int f : {2, 3, 4, 5, 7}) EXPECT_EQ(row.assigned, dlgEnabled(dlg, rowId(row.n, f))) << f;
        EXPECT_EQ(row.invert, dlgCheck(dlg, rowId(row.n, 3)));
    }
}

TEST_F(DlgCfgTest, LiveValuesAreWrittenOnlyWhenChangedOrAfterRedraw) {
    sim.setInCockpit(0);  // values show whether or not anything is sent
    ailerons->dFilterJitter = 1.0;
    open();
    SetTextCounter writes(dlg);
    // Each step: what moves, the writes it costs, then X's three fields, Y's raw, Z's corrected.
    struct Step { const char* name; int axis; LONG value; long writes; const char* x[3]; const char* y; const char* z; };
    const Step kSteps[] = {
        {"first pass: every value once", 0, 0, 3 + 6 + 3, {"32767", "50.00", "50.00"}, "32767", "50.00"},
        {"still: nothing", 0, 0, 0, {"32767", "50.00", "50.00"}, "32767", "50.00"},
        {"X to 60 %", 1, 39322, 3, {"39322", "60.00", "60.00"}, "32767", "50.00"},
        {"X inside the jitter filter: raw only", 1, 39500, 1, {"39500", "60.00", "60.00"}, "32767", "50.00"},
        {"free Y: raw only", 2, 1234, 1, {"39500", "60.00", "60.00"}, "1234", "50.00"},
        {"inverted Z to 0", 3, 0, 3, {"39500", "60.00", "60.00"}, "1234", "100.00"},
        {"redraw: 24 zeros, then every value once", -1, 0, 24 + 12, {"39500", "60.00", "60.00"}, "1234", "100.00"},
    };
    for (const Step& st : kSteps) {
        SCOPED_TRACE(st.name);
        writes.lWrites = 0;
        if (st.axis > 0) h.di.setAxis(stick, st.axis, st.value);
        if (st.axis < 0) {
            ASSERT_EQ(0, h.app.dlgCfg.drawHwDev());
        }
        ASSERT_EQ(0, round());
        EXPECT_EQ(st.writes, writes.lWrites);
        EXPECT_EQ(0, h.app.dlgCfg.redrawValues);
        EXPECT_EQ(st.x[0], dlgText(dlg, rowId(1, 2)));
        EXPECT_EQ(st.x[1], dlgText(dlg, rowId(1, 4)));
        EXPECT_EQ(st.x[2], dlgText(dlg, rowId(1, 5)));
        EXPECT_EQ(st.y, dlgText(dlg, rowId(2, 2)));
        EXPECT_EQ("0", dlgText(dlg, rowId(2, 4))) << "a free axis shows only its raw value";
        EXPECT_EQ(st.z, dlgText(dlg, rowId(3, 5)));
    }
    for (const Il2SimRecord& r : sim.records()) EXPECT_NE(IL2SIM_CMD, r.kind) << "sent outside the cockpit";
}

TEST_F(DlgCfgTest, FailedPassReportsItsFailureAndStillConsumesTheRedraw) {
    open();
    h.di.controller(stick).hrGetDeviceState = DIERR_INPUTLOST;
    EXPECT_EQ(1, round()) << "the round stops at the failing device";
    EXPECT_EQ(0, h.app.dlgCfg.redrawValues);
}

TEST_F(DlgCfgTest, NoDeviceAndNoActiveProfileLeaveEmptyDisabledBoxes) {
    h.di.unplug(0);
    h.di.unplug(1);
    ASSERT_EQ(0, h.app.enumHwDevices());
    h.app.pActProfile = nullptr;  // cannot happen after a normal start
    open();
    EXPECT_TRUE(dlgComboItems(dlg, 104).empty());
    EXPECT_TRUE(dlgComboItems(dlg, 302).empty());
    for (int f = 2; f <= 7; ++f) EXPECT_FALSE(dlgEnabled(dlg, rowId(8, f))) << f;
    EXPECT_EQ(0, round());
    EXPECT_EQ("", dlgText(dlg, 216)) << "no device polled, no heartbeat";
}

}  // namespace
