// The configuration dialogs on their real resources and procedures, in this process:
// the main dialog (modeless) on a running application object fed by virtual controllers
// and linked to the stand-in simulator on 127.0.0.1, its commands, and the dialogs it
// opens. Prompts, boxes and modal dialogs are driven by a helper thread meanwhile.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "base/MyWndFuncs.h"
#include "res/resource.h"
#include "support/IntegrationHelpers.h"
#include "support/DlgDriver.h"
#include "support/SetTextCounter.h"
#include "support/ShellRecorder.h"
#include "ui/DlgCfg_Profile.h"
#include "ui/ResponsePlot.h"

namespace {

using Texts = std::vector<std::string>;
int rowId(int n, int field) { return 1000 + 100 * n + field; }
int track(int k) { return 10050 + 50 * k; }  // sensitivity point k; its value field is the next id
LRESULT itemData(HWND dlg, int id, int i) { return SendDlgItemMessageA(dlg, id, CB_GETITEMDATA, i, 0); }
std::string texts(HWND dlg, std::initializer_list<int> ids) {
    std::string s;
    for (int id : ids) s += "|" + dlgText(dlg, id);
    return s.substr(1);
}

// Plot id of dlg as its WM_DRAWITEM paints it into a bitmap, read back in percent of the data area
// inside the 1-pixel frame (0 % left and bottom): the centre of the pixels of colour c in the column
// x % across, or in every column for x < 0; (-1, -1) when there are none.
std::pair<double, double> plotFind(HWND dlg, int id, COLORREF c, double x = -1) {
    HWND plot = GetDlgItem(dlg, id);
    RECT rc = {};
    GetClientRect(plot, &rc);
    const int w = rc.right, h = rc.bottom, col = 1 + static_cast<int>(x * (w - 3) / 100 + 0.5);
    BITMAPINFO bi = {{sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    DWORD* px = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&px), nullptr, 0);
    SelectObject(dc, bmp);
    DRAWITEMSTRUCT item = {ODT_STATIC, static_cast<UINT>(id), 0, ODA_DRAWENTIRE, 0, plot, dc, rc, 0};
    SendMessageA(dlg, WM_DRAWITEM, id, reinterpret_cast<LPARAM>(&item));
    GdiFlush();
    const DWORD want = GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);  // as a DIB holds it
    double sx = 0, sy = 0, n = 0;
    for (int j = 1; j < h - 1; ++j)
        for (int i = x < 0 ? 1 : col; i <= (x < 0 ? w - 2 : col); ++i)
            if ((px[j * w + i] & 0xFFFFFF) == want) sx += i, sy += j, ++n;
    DeleteDC(dc);
    DeleteObject(bmp);
    if (n == 0) return {-1, -1};
    return {(sx / n - 1) * 100 / (w - 3), (h - 2 - sy / n) * 100 / (h - 3)};
}
double curveAt(HWND dlg, int id, double x) { return plotFind(dlg, id, GetSysColor(COLOR_WINDOWTEXT), x).second; }

// The server address dialog: what the user finds ("radio|field|on or off|port"), does (a radio,
// typing) and sees then (acted); the box "OK" brings, whether the dialog ends with "OK", the values stored.
struct ServerCase {
    const char* addr; int port; const char* opened; int radio; const char *ip, *portText, *acted;
    const char* box; bool ok; const char* addrAfter; int portAfter;
};

class DlgCfgTest : public SimAppTest {
protected:
    DlgCfgTest() : SimAppTest(true) {}
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(SimAppTest::SetUp());
        h.app.uiTimerInterval = 40;
        h.app.pActProfile->name = "Flying";
        ail = bind(IDIL_AILERONS, HWA_X);
        rudder = bind(IDIL_RUDDER, HWA_Z);
        rudder->bInvert = 1;
        ASSERT_NO_FATAL_FAILURE(openDlg());
    }
    void openDlg() {
        dlg = CreateDialogParamA(h.hInst, "DLGCFG", h.app.hFrameWnd, DlgCfgProc, reinterpret_cast<LPARAM>(&h.app));
        ASSERT_NE(nullptr, dlg);
        ASSERT_EQ(dlg, h.app.dlgCfg.hDlg);
    }
    void TearDown() override {
        DestroyWindow(axisDlg);
        DestroyWindow(dlg);
        EXPECT_EQ(nullptr, h.app.dlgCfg.hDlg) << "a destroyed dialog must not stay the open one";
    }
    // Row n as "target invert enabled-flags-of-fields-2-to-7", e.g. "Rudder 1 111111".
    std::string row(int n) {
        std::string s = dlgText(dlg, rowId(n, 6)) + " " + std::to_string(dlgCheck(dlg, rowId(n, 3))) + " ";
        for (int f = 2; f <= 7; ++f) s += dlgEnabled(dlg, rowId(n, f)) ? "1" : "0";
        return s;
    }
    // Sends command id to the main dialog and runs script from a helper thread on the modal
    // dialog it opens, found by caption and a control it has (only) and one it lacks.
    void sendScripted(int id, const char* caption, int only, int lacks, const std::function<void(HWND)>& script) {
        std::thread driver([&] {
            HWND d = waitDlg(0, caption, only, lacks);
            if (d) script(d);
            // A script ends its dialog; one that stopped early (a failed assertion) gets Cancel.
            if (d && !dlgWait([&] { return !IsWindow(d); })) dlgCommand(d, IDCANCEL);
        });
        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
        driver.join();
    }
    static std::string serverState(HWND d) {
        return std::string(dlgCheck(d, IDC_IL2COM_LOCALHOST) ? "L" : "") + (dlgCheck(d, IDC_IL2COM_IP) ? "I|" : "|") +
               dlgText(d, IDC_IL2COM_IPADDR) + (dlgEnabled(d, IDC_IL2COM_IPADDR) ? "|on|" : "|off|") +
               dlgText(d, IDC_IL2COM_PORT);
    }
    // The user ends with "OK", or "Cancel" for a case that ends neither with "OK" nor a box; a box
    // is answered with OK, and the dialog then cancelled.
    void runServer(const ServerCase& c) {
        sendScripted(206, "IL2 Device Link Server", IDC_IL2COM_IPADDR, 0, [&](HWND d) {
            EXPECT_TRUE(!c.opened || c.opened == serverState(d)) << serverState(d);
            if (c.radio) dlgClick(d, c.radio);
            if (c.ip) dlgSetText(d, IDC_IL2COM_IPADDR, c.ip);
            if (c.portText) dlgSetText(d, IDC_IL2COM_PORT, c.portText);
            EXPECT_TRUE(!c.acted || dlgWait([&] { return serverState(d) == c.acted; })) << serverState(d);
            dlgCommand(d, c.ok || *c.box ? IDOK : IDCANCEL);
            if (!*c.box) return;
            EXPECT_EQ(c.box, answerBox(0, "IL-2 Address and Port", IDOK));
            EXPECT_TRUE(IsWindowVisible(d));  // stays open with the entries
            dlgCommand(d, IDCANCEL);
        });
    }
    // The axis settings dialog on an assignment of its own, in no profile: nothing else touches it.
    void openAxisDlg() {
        axis.iMinCalibVal = 1000, axis.iMaxCalibVal = 3000, axis.dFilterJitter = 0.5, axis.dRvBugCor = 2.7;
        for (int k = 0; k < 20; ++k) axis.setTranslate(k, 5 * k);
        axis.iLastValRaw = axis.iLastValClamped = 1234;  // a value was sent
        memcpy(before, static_cast<void*>(&axis), sizeof before);
        axisDlg = CreateDialogParamA(h.hInst, "DLGCFG_PROFILE", nullptr, DlgCfg_ProfileProc,
                                     reinterpret_cast<LPARAM>(&param));
        ASSERT_NE(nullptr, axisDlg);
    }
    void click(int id) { SendDlgItemMessageA(axisDlg, id, BM_CLICK, 0, 0); }
    // Point k's value field, trackbar position and label row ("c": centred), e.g. "40@60c".
    // The labels' own flags: an ended (hidden) dialog still tells which row it shows.
    std::string point(int k) {
        auto shown = [&](int id) { return (GetWindowLongA(GetDlgItem(axisDlg, id), GWL_STYLE) & WS_VISIBLE) != 0; };
        return dlgText(axisDlg, track(k) + 1) + "@" + std::to_string(dlgTrackPos(axisDlg, track(k))) +
               (shown(401 + k) && !shown(501 + k) ? "c" : "");
    }
    // "min|max|jitter|rvbug" as shown, after typing typed (same form) when given.
    std::string fields(const char* typed = nullptr) {
        std::string s = typed ? std::string(typed) + "|" : "";
        for (int id : {202, 204, 207, 209}) {
            if (typed) dlgSetText(axisDlg, id, s.substr(0, s.find('|')).c_str());
            s.erase(0, s.find('|') + 1);
        }
        return texts(axisDlg, {202, 204, 207, 209});
    }

    HWND dlg = nullptr;
    ProfileDev2Axis* ail = nullptr;     // of "Flying", on the stick's X
    ProfileDev2Axis* rudder = nullptr;  // on its Z, inverted
    ProfileDev2Axis axis{h.app, IDIL_AILERONS, nullptr};
    DlgCfg_Profile_Param param{&h.app, &axis, nullptr, -1.0};
    HWND axisDlg = nullptr;
    unsigned char before[sizeof(ProfileDev2Axis)];
};

TEST_F(DlgCfgTest, OpensWithTheLinkTheShownDeviceItsRowsAndTheListsAndWithoutDeviceIsEmptyDisabledAndStill) {
    EXPECT_EQ("127.0.0.1|" + std::to_string(sim.port()) + "|Stick|" PADSIM_PRODUCT_NAME "|40||40",
              texts(dlg, {207, 208, 305, 307, 214, 216}) + "|" + std::to_string(dlgTrackPos(dlg, 212)));
    EXPECT_EQ(Texts{"Flying"}, dlgComboItems(dlg, 104));
    EXPECT_EQ(reinterpret_cast<LRESULT>(h.app.pActProfile), itemData(dlg, 104, dlgComboSel(dlg, 104)));
    // Devices sorted by name, each with its list index; the first connected one is shown.
    EXPECT_EQ((Texts{"Pedals", "Stick"}), dlgComboItems(dlg, 302));
    EXPECT_EQ(1, dlgComboSel(dlg, 302));
    EXPECT_EQ(1, itemData(dlg, 302, 0));
    EXPECT_EQ("Ailerons 0 111111|-- none -- 0 000010|Rudder 1 111111", row(1) + "|" + row(2) + "|" + row(3));
    for (int i : {0, 1}) h.di.unplug(i);
    ASSERT_EQ(0, h.app.enumHwDevices());  // while the dialog is open
    EXPECT_EQ("||Response| 0 000000", texts(dlg, {305, 307, 219}) + "|" + row(8));
    EXPECT_EQ(-1, curveAt(dlg, 220, 50)) << "an empty frame";
    EXPECT_FALSE(dlgEnabled(dlg, 303)) << "no device to rename";
    EXPECT_EQ(Texts(), answerPrompts(0, dlg, 303, {"x"}));
    EXPECT_EQ(0, round(1000));
    EXPECT_EQ("", dlgText(dlg, 216)) << "no device polled, no heartbeat";
}

TEST_F(DlgCfgTest, LiveValuesAreWrittenOnlyWhenChangedOrAfterRedraw) {
    sim.setInCockpit(0);  // values show whether or not anything is sent
    ail->dFilterJitter = 1.0;
    ail->setTranslate(11, 50);  // at 60 %, the corrected value is half the reported one
    SetTextCounter writes(dlg);
    // Per step: what moves (-1: a redraw, -2: that and a failing stick), the writes it costs and the
    // plot's paints the round itself causes, then X's raw|reported|corrected, free Y's raw|reported
    // (only its raw value shows), Z's corrected. The plot shows X until Z moves.
    struct Step { const char* name; int axis; LONG value; long writes, paints; const char* shown; };
    const Step kSteps[] = {
        {"first pass: every value once", 0, 0, 3 + 6 + 3, 1, "32767|50.00|50.00|32767|0|50.00"},
        {"still: nothing", 0, 0, 0, 0, "32767|50.00|50.00|32767|0|50.00"},
        {"X to 60 %", 1, 39322, 3, 1, "39322|60.00|30.00|32767|0|50.00"},
        {"X inside the jitter filter: raw only", 1, 39500, 1, 0, "39500|60.00|30.00|32767|0|50.00"},
        {"free Y, signed: raw only", 2, -1234, 1, 0, "39500|60.00|30.00|-1234|0|50.00"},
        {"inverted Z to 0: takes the plot", 3, 0, 3, 1, "39500|60.00|30.00|-1234|0|100.00"},
        {"redraw: 24 zeros, then every value once", -1, 0, 24 + 12, 0, "39500|60.00|30.00|-1234|0|100.00"},
        {"failed read after a redraw: the round stops, the redraw is consumed", -2, 0, 24, 0, "0|0|0|0|0|0"},
    };
    for (const Step& st : kSteps) {
        SCOPED_TRACE(st.name);
        writes.lWrites = 0;
        if (st.axis > 0) h.di.setAxis(stick, st.axis, st.value);
        if (st.axis == -2) h.di.controller(stick).hrGetDeviceState = DIERR_INPUTLOST;
        EXPECT_EQ(0, st.axis < 0 ? h.app.dlgCfg.drawHwDev() : 0);
        dlgWait([] { return true; });  // the messages handled: what the round asks for comes after
        writes.lPlotPaints = 0;
        ASSERT_EQ(st.axis == -2 ? 1 : 0, round(1000));
        dlgWait([] { return true; });
        EXPECT_EQ(std::make_pair(st.writes, st.paints), std::make_pair(writes.lWrites, writes.lPlotPaints));
        EXPECT_EQ(0, h.app.dlgCfg.redrawValues);
        EXPECT_EQ(st.shown, texts(dlg, {1102, 1104, 1105, 1202, 1204, 1305}));
    }
    for (const Il2SimRecord& r : sim.records()) EXPECT_NE(IL2SIM_CMD, r.kind) << "sent outside the cockpit";
}

TEST_F(DlgCfgTest, PlotShowsTheAxisLastMovedOrTouchedWithItsCurveAndLivePoint) {
    // Every point 50: Ailerons (X) centred, 25 + x / 2; Rudder (Z) one-sided, x / 2, not inverted.
    for (int k = 0; k < 20; ++k) ail->setTranslate(k, 50), rudder->setTranslate(k, 50);
    ail->bIs50Axis = 1, rudder->bInvert = 0;
    ASSERT_EQ(0, h.app.dlgCfg.drawHwDev());
    EXPECT_EQ(-1, plotFind(dlg, 220, RESPONSE_POINT_COLOUR).first) << "no value read yet";
    // Per step: an axis moved, an Invert clicked, the time that passes; then the axis shown and
    // its curve at 20 % across. A move counts from where the axis stood when the plot last switched.
    struct Step { const char* name; int axis; LONG value; int click; DWORD ms; const char* shown; double y20; };
    const Step kSteps[] = {
        {"first values: the first assigned axis", 0, 0, 0, 10, "Axis 1 (Ailerons)", 35},
        {"Z by 50 % within the first second", 3, 0, 0, 10, "Axis 1 (Ailerons)", 35},
        {"Z again after it", 3, 6554, 0, 1000, "Axis 3 (Rudder)", 10},
        {"X by 2 %", 1, 34078, 0, 1000, "Axis 3 (Rudder)", 10},
        {"X by 5 %", 1, 36045, 0, 10, "Axis 1 (Ailerons)", 35},
        {"Z's Invert at once", 0, 0, 1303, 10, "Axis 3 (Rudder)", 10},
        {"Z at 25 % of its range", 3, 16384, 0, 10, "Axis 3 (Rudder)", 10},
    };
    for (const Step& st : kSteps) {
        SCOPED_TRACE(st.name);
        if (st.axis) h.di.setAxis(stick, st.axis, st.value);
        if (st.click) SendDlgItemMessageA(dlg, st.click, BM_CLICK, 0, 0);
        ASSERT_EQ(0, round(st.ms));
        EXPECT_EQ(std::string("Response: ") + st.shown, dlgText(dlg, 219));
        EXPECT_NEAR(st.y20, curveAt(dlg, 220, 20), 1.5);
    }
    // Inverted before it is reported, so 75 % across, and on the curve.
    const std::pair<double, double> live = plotFind(dlg, 220, RESPONSE_POINT_COLOUR);
    EXPECT_NEAR(75, live.first, 1.0);
    EXPECT_NEAR(37.5, live.second, 1.5);
}

TEST_F(DlgCfgTest, NamePromptsLoopAndDeleteKeepsTheLastProfile) {
    const std::string refused = "Profile\r\nA name may not contain \"\\\" or be longer than 255 characters...|";
    const std::string taken = "Create Profile\r\nName is already in use by another profile...|", kLong(256, 'x');
    const std::string hwTaken = "Rename Hardware\r\nName is already in use by another hardware...|";
    struct Case { int id; std::vector<const char*> answers; Texts prompts; const char* active; };
    const Case cases[] = {
        {107, {"flying", "a\\b", "Gliding"},
         {"Create Profile|New Profile", taken + "flying", "Create " + refused + "a\\b"}, "Gliding"},
        {105, {kLong.c_str(), nullptr}, {"Rename Profile|Gliding", "Rename " + refused + kLong}, "Gliding"},
        {105, {"GLIDING"}, {"Rename Profile|Gliding"}, "GLIDING"},  // its own name, new spelling
        {303, {"Pedals", " My Stick "}, {"Rename Hardware|Stick", hwTaken + "Pedals"}, "GLIDING"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.prompts[0]);
        EXPECT_EQ(c.prompts, answerPrompts(0, dlg, c.id, c.answers));
        EXPECT_STREQ(c.active, h.app.pActProfile->name.text());
        EXPECT_EQ(std::string("Quorix - IL-2 not found - ") + c.active, lastTip());
    }
    EXPECT_EQ(Texts({"Flying", "GLIDING"}), dlgComboItems(dlg, 104));
    EXPECT_EQ(Texts({" My Stick ", "Pedals"}), dlgComboItems(dlg, 302));
    for (const char* name : {"Flying", "GLIDING"}) {  // chosen from the list
        dlgPick(dlg, 104, name);
        EXPECT_TRUE(dlgWait([&] { return lastTip() == std::string("Quorix - IL-2 not found - ") + name; })) << name;
    }
    const std::pair<int, const char*> deletes[] = {{IDNO, "GLIDING"}, {IDYES, "Flying"}, {IDYES, "Flying"}};
    for (const auto& d : deletes) {  // the last profile is kept
        EXPECT_EQ("Are you sure?", sendAnswering(dlg, 106, "Delete Profile", d.first));
        EXPECT_STREQ(d.second, h.app.pActProfile->name.text());
        EXPECT_EQ(std::string("Quorix - IL-2 not found - ") + d.second, lastTip());
    }
    EXPECT_EQ(Texts({"Flying"}), dlgComboItems(dlg, 104));
    EXPECT_EQ(ail, h.app.hwDevices.items[0]->axes[0].pDev2Axis) << "the remaining profile is bound again";
}

// The pilot on the row its digit names: o opens the list, d steps down (free Y: to "Ailerons"; alone no choice yet),
// e Enter, x Esc, c the close box, f the focus to row 1, w a wheel turn over row 2, q "Quit", s the session ends.
// A change moves Ailerons from X, settings reset (curve kept, the next round sends); rows 1|2 show what X, Y drive.
TEST_F(DlgCfgTest, SendAsAppliesOnlyAFinalChangeAndEveryEndLeavesRowsAndAxesAgreeing) {
    const char *kept = "Ailerons|-- none --", *moved = "-- none --|Ailerons", *stepped = "Ailerons|Ailerons";
    const struct { const char *keys, *shown; } kCases[] = {{"1oe", kept}, {"1w", kept}, {"2d", stepped}, {"2df", moved},
        {"2de", moved}, {"2ode", moved}, {"2dx", moved}, {"2dc", moved}, {"2dq", moved}, {"2ds", moved}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.keys);
        DestroyWindow(dlg);
        ail = bind(IDIL_AILERONS, HWA_X);
        ail->iMinCalibVal = 1000, ail->iLastValRaw = 7, ail->setTranslate(5, 25);
        h.app.bQuitting = h.app.bDlgCfgRunning = 0;  // each row starts from a running program
        ASSERT_NO_FATAL_FAILURE(openDlg());
        HWND r = GetDlgItem(dlg, rowId(c.keys[0] - '0', 6));
        SetFocus(r);
        for (const char* k = c.keys + 1; *k; ++k) {
            MSG m = {r, WM_KEYDOWN, WPARAM(*k == 'd' ? VK_DOWN : *k == 'e' ? VK_RETURN : VK_ESCAPE), 0, 0, {}};
            if (*k == 'o') SendMessageA(r, CB_SHOWDROPDOWN, TRUE, 0);
            else if (*k == 'f') SetFocus(GetDlgItem(dlg, 1106));
            else if (*k == 'w') SendDlgItemMessageA(dlg, 1206, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
            else if (*k == 'c') SendMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
            else if (*k == 'q') h.app.bDlgCfgRunning = 1, h.app.quit();  // as while the dialog runs modally
            else if (*k == 's') SendMessageA(h.app.hFrameWnd, WM_ENDSESSION, TRUE, 0);
            else IsDialogMessageA(dlg, &m);
        }
        EXPECT_TRUE(dlgWait([&] { return texts(dlg, {1106, 1206}) == c.shown; }, 2000)) << row(1) + "|" + row(2);
        EXPECT_EQ(c.shown == moved ? std::make_tuple(HWA_Y, 0, -1, 25) : std::make_tuple(HWA_X, 1000, 7, 25),
                  std::make_tuple(ail->idAxis, ail->iMinCalibVal, ail->iLastValRaw, ail->aiTranslate[5]));
    }
}

TEST_F(DlgCfgTest, ServerDialogStoresValidValuesOrSaysWhyAndOnlyAChangeReconnects) {
    const int L = IDC_IL2COM_LOCALHOST, I = IDC_IL2COM_IP;
    const char *invalid = "Sorry, invalid values...", *unsaved = "Sorry, cannot save values...";
    // Which addresses and ports are valid is IL2Com's, tested there; here what the dialog does with them.
    const ServerCase kCases[] = {
        {"localhost", 3333, "L||off|3333", 0, nullptr, nullptr, nullptr, "", true, "localhost", 3333},
        {"localhost", 3333, nullptr, I, "127.0.0.1", "4444", "I|127.0.0.1|on|4444", "", true, "127.0.0.1", 4444},
        // Not "localhost": "IP-address:" shows checked, as "OK" will treat the field; its text stays.
        {"127.0.0.1", 3333, "I|127.0.0.1|on|3333", L, "junk", nullptr, "L|junk|off|3333", "", true, "localhost", 3333},
        {"localhost", 3333, nullptr, I, "localhost", nullptr, nullptr, "", true, "localhost", 3333},
        {"LOCALHOST", 1, "I|LOCALHOST|on|1", L, nullptr, "2", nullptr, "", false, "LOCALHOST", 1},
        {"localhost", 3333, nullptr, I, "", nullptr, nullptr, invalid, false, "localhost", 3333},
        {"localhost", 3333, nullptr, 0, nullptr, "", nullptr, invalid, false, "localhost", 3333},
        {"localhost", 3333, nullptr, 0, nullptr, "2147483648", nullptr, invalid, false, "localhost", 3333},
        // The address is stored before the port is refused, and stays stored.
        {"localhost", 3333, nullptr, I, "127.0.0.2", "0", nullptr, unsaved, false, "127.0.0.2", 3333},
    };
    ASSERT_EQ(0, round(1000));  // connected: the first case changes nothing, the second closes the connection
    for (const ServerCase& c : kCases) {
        SCOPED_TRACE(&c - kCases);
        h.app.il2Com.sIL2Addr = c.addr, h.app.il2Com.iIL2Port = c.port;
        runServer(c);
        EXPECT_STREQ(c.addrAfter, h.app.il2Com.sIL2Addr.text());
        EXPECT_EQ(c.portAfter, h.app.il2Com.iIL2Port);
        const std::string shown = texts(dlg, {207, 208});  // redrawn after "OK" only
        EXPECT_TRUE(!c.ok || shown == c.addrAfter + ("|" + std::to_string(c.portAfter))) << shown;
        EXPECT_EQ(&c == kCases ? BST_CHECKED : BST_UNCHECKED, dlgCheck(dlg, 209)) << h.app.il2Com.bConnected;
    }
}

TEST_F(DlgCfgTest, NamePromptHintsAtABlankNameAndStaysOpen) {
    // After the hint the user types the second name and presses "OK" again, or without one cancels.
    const std::pair<const char*, const char*> kCases[] = {{"", nullptr}, {" \t ", nullptr}, {" ", "Fixed"}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.first);
        sendScripted(105, "Quorix - Ombrisal for IL-2", IDC_STR_VALUE, 104, [&](HWND d) {
            dlgSetText(d, IDC_STR_VALUE, c.first);
            dlgCommand(d, IDOK);
            EXPECT_TRUE(dlgWait([&] { return dlgText(d, IDC_STR_HINT) == "Enter a name ..., please."; }));
            if (c.second) dlgSetText(d, IDC_STR_VALUE, c.second);
            dlgCommand(d, c.second ? IDOK : IDCANCEL);
        });
        EXPECT_STREQ(c.second ? c.second : "Flying", h.app.pActProfile->name.text());
    }
}

TEST_F(DlgCfgTest, AxisDialogOpensWithStoredValuesAndMirrorsInCentredMode) {
    openAxisDlg();
    EXPECT_EQ("1000|3000|50|2", fields());
    for (int k = 0; k < 20; ++k)  // the dialog handles WM_VSCROLL only
        EXPECT_TRUE(GetWindowLongA(GetDlgItem(axisDlg, track(k)), GWL_STYLE) & TBS_VERT) << k;
    // The plot's curve at 19.5 and 84.5 % across, by hand: one-sided x * point 3 or 16 / 100; centred
    // 50 + (x - 50) * factor / 100, at deflection 30.5 a fifth of the way from point 15 to 16, at 34.5 16.
    struct Case { const char* name; int radio, k, code, pos; const char* k3; const char* k16; double y19, y84; };
    const Case cases[] = {
        {"opened one-sided", 0, 0, 0, 0, "15@85", "80@20", 2.93, 67.6},
        {"one-sided drag", 0, 3, TB_THUMBTRACK, 30, "70@30", "80@20", 13.65, 67.6},
        {"switch copies 16 onto 3", 302, 0, 0, 0, "80@20c", "80@20c", 26.82, 77.6},
        {"centred drag mirrors", 0, 3, TB_THUMBTRACK, 30, "70@30c", "70@30c", 27.43, 74.15},
        {"key on partner", 0, 16, TB_LINEUP, 12, "88@12c", "88@12c", 26.33, 80.36},
        {"TB_TOP ignored", 0, 3, TB_TOP, 55, "88@55c", "88@12c", 26.33, 80.36},
        {"back to one-sided keeps values", 301, 0, 0, 0, "88@55", "88@12", 8.78, 74.36},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.radio) click(c.radio);
        if (c.k) SendDlgItemMessageA(axisDlg, track(c.k), TBM_SETPOS, TRUE, c.pos);
        if (c.k) SendMessageA(axisDlg, WM_VSCROLL, MAKEWPARAM(c.code, c.pos), (LPARAM)GetDlgItem(axisDlg, track(c.k)));
        EXPECT_EQ(std::string(c.k3) + " " + c.k16, point(3) + " " + point(16));
        EXPECT_NEAR(c.y19, curveAt(axisDlg, 220, 19.5), 1.2);
        EXPECT_NEAR(c.y84, curveAt(axisDlg, 220, 84.5), 1.2);
        EXPECT_EQ(0, memcmp(before, static_cast<void*>(&axis), sizeof before)) << "nothing stored before OK";
    }
    EXPECT_EQ("95@5", point(0));  // the switch copied all of 19..10 onto 0..9
}

TEST_F(DlgCfgTest, AxisDialogButtonsAndOkStoreOnlyWhatTheyShould) {
    openAxisDlg();
    const char* range = "Minimum Raw value cannot be greater or equal Maximum Raw Value";
    struct Case { int id, answer; const char* typed; const char* box; const char* shown; const char* p0; int bStored; };
    const Case cases[] = {
        {211, 0, "1|2|3|4", "", "0|65536|0|0", "95@5c", 0},  // "Set To Default": the four fields only
        {101, IDNO, "1|2|3|4", "Sure?", "1|2|3|4", "95@5c", 0},  // "Set All To Defaults"
        {101, IDYES, "1|2|3|4", "Sure?", "0|65536|0|0", "100@0", 0},
        {303, 0, "1|2|3|4", "", "1|2|3|4", "100@0c", 0},  // "Set All To 100"
        {IDCANCEL, 0, "1|2|3|4", "", "1|2|3|4", "95@5c", 0},
        {IDOK, IDOK, "100|100|5|3", range, "100|100|5|3", "95@5c", 0},  // refused: stays open
        {IDOK, IDOK, "100||5|3", range, "100||5|3", "95@5c", 0},
        {IDOK, 0, "99|100|5|3", "", "99|100|5|3", "95@5c", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed + std::string(" ") + std::to_string(c.id));
        ShowWindow(axisDlg, SW_SHOW);
        DlgCfg_Profile_initSensitivity(axisDlg, &axis);
        SendDlgItemMessageA(axisDlg, track(14), TBM_SETPOS, TRUE, 70);
        dlgSetText(axisDlg, track(14) + 1, "99");  // the trackbar counts, not the field
        click(302);                                // point 5 follows point 14
        fields(c.typed);
        const char* caption = c.id == IDOK ? "G940ReversalBugFix" : "Reset to defaults";
        EXPECT_EQ(c.box, sendAnswering(axisDlg, c.id, caption, c.answer ? c.answer : IDOK));
        EXPECT_EQ(std::string(c.shown) + " " + c.p0, fields() + " " + point(0));
        EXPECT_EQ(c.id == IDCANCEL || c.bStored, !IsWindowVisible(axisDlg));
        EXPECT_EQ(!c.bStored, memcmp(before, static_cast<void*>(&axis), sizeof before) == 0) << "byte for byte";
    }
    // Stored: settings, then the points from the trackbars, the mode; an axis at rest sends again.
    EXPECT_EQ(std::make_tuple(99, 0.05, 3.0), std::make_tuple(axis.iMinCalibVal, axis.dFilterJitter, axis.dRvBugCor));
    EXPECT_EQ(std::make_tuple(30, 30, 1, -1),
              std::make_tuple(axis.aiTranslate[5], axis.aiTranslate[14], axis.bIs50Axis, axis.iLastValRaw));
    axis.dFilterJitter = 0.29;  // times 100 is 28.99... in binary
    DlgCfg_Profile_initSettings(axisDlg, &axis);
    EXPECT_EQ("29", dlgText(axisDlg, 207));
}

TEST(CenterWindowTest, CentresOnTheDesktopOrLeavesAWindowTooBig) {
    RECT desk;
    GetWindowRect(GetDesktopWindow(), &desk);
    // Counted inclusive: a 400 x 300 window on 1920 x 1080 lands at 759, 389.
    const struct { int width, height, result, x, y; } kCases[] = {
        {400, 300, 1, (desk.right - 401) / 2, (desk.bottom - 301) / 2},
        {desk.right, 300, 0, 5, 6},
        {300, desk.bottom, 0, 5, 6},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.width);
        HWND wnd = CreateWindowExA(0, "STATIC", "", WS_POPUP, 5, 6, c.width, c.height, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
        EXPECT_EQ(c.result, CenterWindow(nullptr, wnd));
        RECT r;
        GetWindowRect(wnd, &r);
        EXPECT_EQ(std::make_tuple(c.x, c.y, c.width), std::make_tuple(r.left, r.top, r.right - r.left));
        DestroyWindow(wnd);
    }
}

}  // namespace
