// The main configuration dialog on its real resource and procedure, in this
// process (a modeless instance), fed by scripted controllers and the real link
// to the stand-in simulator on 127.0.0.1.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "il2sim/Il2SimServer.h"
#include "support/AppHarness.h"
#include "support/DlgDriver.h"
#include "support/SetTextCounter.h"
#include "support/TickSource.h"

namespace {

const char kCaption[] = "Quorix - Ombrisal for IL-2";
int rowId(int n, int field) { return 1000 + 100 * n + field; }
LRESULT itemData(HWND dlg, int id, int index) {
    return SendDlgItemMessageA(dlg, id, CB_GETITEMDATA, index, 0);
}

class DlgCfgTest : public ::testing::Test {
protected:
    void SetUp() override {
        deleteTestSettings();
        ASSERT_EQ(0, sim.start(0));
        stick = h.di.addController(fakeGuid(10), "Stick", "Stick Product");
        throttle = h.di.addController(fakeGuid(11), "Throttle", "Throttle Product");
        ASSERT_EQ(0, h.init());
        KillTimer(h.app.hFrameWnd, h.app.uiTimerId);  // rounds run only when the test says
        h.app.uiTimerId = 0;
        gTestTick = 100000;
        h.app.il2Com.pfnGetTickCount = testTick;
        MyString addr("127.0.0.1");
        ASSERT_EQ(0, h.app.il2Com.setAddress(addr));
        ASSERT_EQ(0, h.app.il2Com.setPort(sim.port()));
        assign(IDIL_AILERONS, HWA_X);
        rudder = assign(IDIL_RUDDER, HWA_Z);
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
    ProfileDev2Axis* assign(IdILDevice id, IdHwAxis axis) {
        ProfileDev2Axis* d2a = nullptr;
        GUID g = fakeGuid(10);
        EXPECT_EQ(0, h.app.pActProfile->findByILDev(d2a, id));
        EXPECT_EQ(0, d2a->attach(g, axis));
        return d2a;
    }
    void open() {
        dlg = CreateDialogParamA(h.hInst, "DLGCFG", h.app.hFrameWnd, DlgCfgProc, reinterpret_cast<LPARAM>(&h.app));
        ASSERT_NE(nullptr, dlg);
        ASSERT_EQ(dlg, h.app.dlgCfg.hDlg);
    }
    int round(DWORD ms = 0) {
        gTestTick += ms;
        return h.app.runRound();
    }

public:  // the tables' steps reach them

    Il2SimServer sim;
    AppHarness h;
    HWND dlg = nullptr;
    int stick = 0, throttle = 0;
    ProfileDev2Axis* rudder = nullptr;
};

TEST_F(DlgCfgTest, OpensWithItsControlsCaptionsAndStates) {
    h.app.uiTimerInterval = 40;
    open();
    char cls[32] = {};
    EXPECT_EQ(kCaption, dlgText(dlg, 0));
    const LONG style = GetWindowLongA(dlg, GWL_STYLE);
    const LONG need = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_VISIBLE;
    EXPECT_EQ(need, style & need);
    EXPECT_TRUE(GetWindowLongA(dlg, GWL_EXSTYLE) & WS_EX_CONTEXTHELP);

    struct Ctrl { int id; const char* cls; const char* text; bool enabled; };
    const std::string port = std::to_string(sim.port());
    const Ctrl kCtrls[] = {
        {102, "Button", "Profile", true},          {103, "Static", "Currently active:", true},
        {104, "ComboBox", "", true},               {105, "Button", "Rename ...", true},
        {106, "Button", "Delete", true},           {107, "Button", "Create new ...", true},
        {205, "Button", "IL-2 Sturmovik", true},   {206, "Button", "Ip-Address and Port:", true},
        {207, "Edit", "127.0.0.1", true},          {208, "Edit", port.c_str(), true},
        {209, "Button", "Connected to IL-2", false}, {210, "Button", "Player In Cockpit", false},
        {301, "Button", "Hardware:   ", true},     {302, "ComboBox", "", true},
        {303, "Button", "Rename ...", true},       {304, "Static", "Instance Name:", true},
        {305, "Static", "Stick", true},            {306, "Static", "Product Name:", true},
        {307, "Static", "Stick Product", true},    {309, "Static", "Raw", true},
        {310, "Static", "Invert", true},           {311, "Static", "Reported", true},
        {312, "Static", "Corrected", true},        {313, "Static", "Send as", true},
        {314, "Static", "", true},                 {211, "Button", "Poll Frequency", true},
        {212, "msctls_trackbar32", "", true},      {217, "Static", "10 ms", true},
        {218, "Static", "100 ms", true},           {213, "Static", "Every", true},
        {214, "Edit", "40", false},                {215, "Static", "Milliseconds", true},
        {216, "Edit", "", false},                  {101, "Button", "Close", true},
    };
    for (const Ctrl& c : kCtrls) {
        SCOPED_TRACE(c.id);
        HWND ctrl = GetDlgItem(dlg, c.id);
        ASSERT_NE(nullptr, ctrl);
        GetClassNameA(ctrl, cls, sizeof cls);
        EXPECT_STREQ(c.cls, cls);
        if (strcmp(c.cls, "ComboBox") != 0) {
            EXPECT_EQ(c.text, dlgText(dlg, c.id));
        }
        EXPECT_EQ(c.enabled, dlgEnabled(dlg, c.id));
    }
    EXPECT_EQ(0, dlgCheck(dlg, 209));
    EXPECT_EQ(40, dlgTrackPos(dlg, 212));
    EXPECT_EQ(10, SendDlgItemMessageA(dlg, 212, TBM_GETRANGEMIN, 0, 0));
    EXPECT_EQ(100, SendDlgItemMessageA(dlg, 212, TBM_GETRANGEMAX, 0, 0));

    EXPECT_EQ(std::vector<std::string>{"New Profile"}, dlgComboItems(dlg, 104));
    EXPECT_EQ(0, dlgComboSel(dlg, 104));
    EXPECT_EQ(reinterpret_cast<LRESULT>(h.app.pActProfile), itemData(dlg, 104, 0));
    // Devices sorted by name, item data their list index; the first connected one shown.
    EXPECT_EQ((std::vector<std::string>{"Stick", "Throttle"}), dlgComboItems(dlg, 302));
    EXPECT_EQ(0, dlgComboSel(dlg, 302));
    EXPECT_EQ(0, itemData(dlg, 302, 0));
    EXPECT_EQ(1, itemData(dlg, 302, 1));
    EXPECT_EQ(h.app.hwDevices.items[0], h.app.dlgCfg.pHwDev);
    EXPECT_EQ(1, h.app.dlgCfg.redrawValues);

    // Centred on the desktop, as CenterWindow places it.
    RECT desk, r;
    GetWindowRect(GetDesktopWindow(), &desk);
    GetWindowRect(dlg, &r);
    EXPECT_EQ((desk.right - (r.right - r.left + 1)) / 2, r.left);
    EXPECT_EQ((desk.bottom - (r.bottom - r.top + 1)) / 2, r.top);
}

TEST_F(DlgCfgTest, AxisRowsFollowTheirAssignment) {
    open();
    struct Row { int n; const char* target; bool assigned; int invert; };
    const Row kRows[] = {
        {1, "Ailerons", true, 0},    // X
        {2, "-- none --", false, 0}, // Y
        {3, "Rudder", true, 1},      // Z, inverted
        {8, "-- none --", false, 0}, // Sld2
    };
    const std::vector<std::string> catalogue = [this] {
        std::vector<std::string> names;
        for (int i = 0; i < h.app.ilDevices.iCount; ++i) names.push_back(h.app.ilDevices.apDevices[i]->sName.text());
        return names;
    }();
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.n);
        EXPECT_EQ("Axis " + std::to_string(row.n) + ":", dlgText(dlg, rowId(row.n, 1)));
        const int combo = rowId(row.n, 6);
        std::vector<std::string> items = dlgComboItems(dlg, combo);
        ASSERT_EQ(15u, items.size());
        EXPECT_EQ("-- none --", items[0]);
        EXPECT_EQ(0, itemData(dlg, combo, 0));
        for (int i = 1; i < 15; ++i) {
            LRESULT id = itemData(dlg, combo, i);
            ASSERT_TRUE(id >= 1 && id <= 14) << items[i];
            EXPECT_EQ(catalogue[id - 1], items[i]) << "item data names the control";
        }
        EXPECT_EQ(row.target, items[dlgComboSel(dlg, combo)]);
        EXPECT_TRUE(dlgEnabled(dlg, combo));
        for (int field : {2, 3, 4, 5, 7}) EXPECT_EQ(row.assigned, dlgEnabled(dlg, rowId(row.n, field))) << field;
        EXPECT_EQ(row.invert, dlgCheck(dlg, rowId(row.n, 3)));
        for (int field : {2, 4, 5}) EXPECT_EQ("0", dlgText(dlg, rowId(row.n, field)));
    }
}

TEST_F(DlgCfgTest, NoDeviceAndNoActiveProfileShowEmptyBoxes) {
    h.di.unplug(stick);
    h.di.unplug(throttle);
    ASSERT_EQ(0, h.app.enumHwDevices());
    h.app.pActProfile = nullptr;  // cannot happen after a normal start
    open();
    EXPECT_TRUE(dlgComboItems(dlg, 104).empty());
    EXPECT_TRUE(dlgComboItems(dlg, 302).empty());
    EXPECT_EQ(nullptr, h.app.dlgCfg.pHwDev);
    EXPECT_EQ("", dlgText(dlg, 305));
    for (int n = 1; n <= 8; ++n)
        for (int field = 2; field <= 7; ++field) EXPECT_FALSE(dlgEnabled(dlg, rowId(n, field))) << n << field;
    EXPECT_EQ(0, round());  // no device polled, so no heartbeat either
    EXPECT_EQ("", dlgText(dlg, 216));
}

TEST_F(DlgCfgTest, LiveValuesAreWrittenOnlyWhenChangedOrAfterRedraw) {
    sim.setInCockpit(0);  // values show whether or not anything is sent
    ProfileDev2Axis* ailerons = nullptr;
    ASSERT_EQ(0, h.app.pActProfile->findByILDev(ailerons, IDIL_AILERONS));
    ailerons->dFilterJitter = 1.0;
    open();
    SetTextCounter writes;
    writes.watchAxisRows(dlg);
    DIJOYSTATE2& s = h.di.state(stick);
    const LONG centre = s.lX;
    // Each step: what moves, then the writes it costs and the texts of X, Y and Z.
    struct Step { const char* name; void (*act)(DlgCfgTest&, DIJOYSTATE2&); long writes;
                  const char* x[3]; const char* yRaw; const char* z[3]; };
    const Step kSteps[] = {
        {"first pass after opening: every value once", nullptr, 3 + 3 + 6,
         {nullptr, "50.00", "50.00"}, nullptr, {nullptr, "50.00", "50.00"}},
        {"still: nothing", nullptr, 0, {nullptr, "50.00", "50.00"}, nullptr, {nullptr, "50.00", "50.00"}},
        {"X to 60 %", [](DlgCfgTest&, DIJOYSTATE2& st) { st.lX = 39322; }, 3,
         {"39322", "60.00", "60.00"}, nullptr, {nullptr, "50.00", "50.00"}},
        {"X within the jitter filter: raw only", [](DlgCfgTest&, DIJOYSTATE2& st) { st.lX = 39500; }, 1,
         {"39500", "60.00", "60.00"}, nullptr, {nullptr, "50.00", "50.00"}},
        {"free Y: raw only", [](DlgCfgTest&, DIJOYSTATE2& st) { st.lY = 1234; }, 1,
         {"39500", "60.00", "60.00"}, "1234", {nullptr, "50.00", "50.00"}},
        {"inverted Z to 0", [](DlgCfgTest&, DIJOYSTATE2& st) { st.lZ = 0; }, 3,
         {"39500", "60.00", "60.00"}, "1234", {"0", "100.00", "100.00"}},
        {"throttle moves, not shown: nothing",
         [](DlgCfgTest& t, DIJOYSTATE2&) { t.h.di.state(t.throttle).lX = 0; }, 0,
         {"39500", "60.00", "60.00"}, "1234", {"0", "100.00", "100.00"}},
        {"redraw: everything once more",
         // 24 zeros of the redraw itself, then every value once
         [](DlgCfgTest& t, DIJOYSTATE2&) { ASSERT_EQ(0, t.h.app.dlgCfg.drawHwDev()); }, 24 + 3 + 3 + 6,
         {"39500", "60.00", "60.00"}, "1234", {"0", "100.00", "100.00"}},
    };
    for (const Step& st : kSteps) {
        SCOPED_TRACE(st.name);
        writes.reset();
        if (st.act) st.act(*this, s);
        ASSERT_EQ(0, round());
        EXPECT_EQ(st.writes, writes.total());
        EXPECT_EQ(0, h.app.dlgCfg.redrawValues);
        const int kFields[3] = {2, 4, 5};  // raw, reported, corrected
        for (int f = 0; f < 3; ++f) {
            if (st.x[f]) {
                EXPECT_EQ(st.x[f], dlgText(dlg, rowId(1, kFields[f])));
            }
            if (st.z[f]) {
                EXPECT_EQ(st.z[f], dlgText(dlg, rowId(3, kFields[f])));
            }
        }
        if (st.yRaw) {
            EXPECT_EQ(st.yRaw, dlgText(dlg, rowId(2, 2)));
        }
        EXPECT_EQ("0", dlgText(dlg, rowId(2, 4))) << "a free axis shows only its raw value";
    }
    EXPECT_EQ(std::to_string(centre), dlgText(dlg, rowId(4, 2)));
    EXPECT_EQ(std::to_string(GetTickCount() / 1000), dlgText(dlg, 216));
    for (const Il2SimRecord& r : sim.records()) EXPECT_NE(IL2SIM_CMD, r.kind) << "sent outside the cockpit";
}

TEST_F(DlgCfgTest, FailedPassReportsItsFailureAndStillConsumesTheRedraw) {
    open();
    h.di.controller(stick).hrGetDeviceState = DIERR_INPUTLOST;
    for (int redraw : {1, 0}) {
        SCOPED_TRACE(redraw);
        h.app.dlgCfg.redrawValues = redraw;
        EXPECT_EQ(1, h.app.hwDevices.items[0]->processDlgCfg(0, 1));
        EXPECT_EQ(0, h.app.dlgCfg.redrawValues);
        EXPECT_EQ(1, round(1000)) << "the round stops at the failing device";
    }
}

TEST_F(DlgCfgTest, IndicatorsFollowTheLink) {
    open();
    struct Step { const char* name; int silent; int cockpit; int connected; int inCockpit; };
    const Step kSteps[] = {
        {"simulator answers, pilot in the cockpit", 0, 1, 1, 1},
        {"pilot leaves", 0, 0, 1, 0},
        {"pilot enters again", 0, 1, 1, 1},
        {"simulator stops answering", 1, 1, 0, 0},
        {"simulator back", 0, 1, 1, 1},
    };
    for (const Step& st : kSteps) {
        SCOPED_TRACE(st.name);
        sim.setSilent(st.silent);
        sim.setInCockpit(st.cockpit);
        round(1000);
        EXPECT_EQ(st.connected, dlgCheck(dlg, 209));
        EXPECT_EQ(st.inCockpit, dlgCheck(dlg, 210));
    }
}

TEST_F(DlgCfgTest, DiscoveryRedrawsTheDeviceBox) {
    open();
    struct Step { const char* name; int plugStick; int plugThrottle; const char* shown; size_t listed; };
    const Step kSteps[] = {
        {"shown device unplugged: the next one", 0, 1, "Throttle", 1},
        {"stick back: throttle stays shown", 1, 1, "Throttle", 2},
        {"all unplugged: box cleared", 0, 0, "", 0},
        {"stick back: shown again", 1, 0, "Stick", 1},
    };
    for (const Step& st : kSteps) {
        SCOPED_TRACE(st.name);
        st.plugStick ? h.di.plug(stick) : h.di.unplug(stick);
        st.plugThrottle ? h.di.plug(throttle) : h.di.unplug(throttle);
        ASSERT_EQ(0, h.app.enumHwDevices());
        EXPECT_EQ(st.shown, dlgText(dlg, 305));
        std::vector<std::string> listed = dlgComboItems(dlg, 302);
        EXPECT_EQ(st.listed, listed.size());
        int sel = dlgComboSel(dlg, 302);
        EXPECT_EQ(st.shown, sel < 0 ? std::string() : listed[sel]);
        EXPECT_EQ(*st.shown != 0, dlgEnabled(dlg, rowId(1, 6)));
    }
}

TEST_F(DlgCfgTest, TrackbarChangesThePollIntervalOnReleaseOnly) {
    open();
    HWND bar = GetDlgItem(dlg, 212);
    struct Step { const char* name; int code; int pos; const char* shown; unsigned interval; };
    const Step kSteps[] = {
        {"dragging shows only", TB_THUMBTRACK, 50, "50", 10},
        {"a key move shows only", TB_LINEDOWN, 51, "51", 10},
        {"released: timer follows", TB_ENDTRACK, 51, "51", 51},
        {"thumb position: timer follows", TB_THUMBPOSITION, 100, "100", 100},
        {"top: nothing", TB_TOP, 10, "100", 100},
        {"unknown code: nothing", 9, 20, "100", 100},
    };
    for (const Step& st : kSteps) {
        SCOPED_TRACE(st.name);
        SendMessageA(bar, TBM_SETPOS, TRUE, st.pos);
        SendMessageA(dlg, WM_HSCROLL, MAKEWPARAM(st.code, st.pos), reinterpret_cast<LPARAM>(bar));
        EXPECT_EQ(st.shown, dlgText(dlg, 214));
        EXPECT_EQ(st.interval, h.app.uiTimerInterval);
    }
    EXPECT_NE(0u, h.app.uiTimerId) << "the timer was restarted";
    // Another control's scroll message is not the poll trackbar's.
    SendMessageA(dlg, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(GetDlgItem(dlg, 104)));
    EXPECT_EQ(100u, h.app.uiTimerInterval);
}

TEST_F(DlgCfgTest, EnterKeepsTheDialogAndCloseOrEscEndIt) {
    for (int id : {IDOK, 101, IDCANCEL}) {
        SCOPED_TRACE(id);
        open();
        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        EXPECT_EQ(id == IDOK ? dlg : nullptr, h.app.dlgCfg.hDlg);
        DestroyWindow(dlg);
        dlg = nullptr;
    }
}

}  // namespace
