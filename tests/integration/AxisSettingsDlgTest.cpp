// The axis settings dialog on its real resource and procedure (a modeless
// instance: the test thread sends the clicks, a helper thread answers boxes).

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>

#include "app/Quorix.h"
#include "support/DlgDriver.h"
#include "support/DlgSend.h"
#include "ui/DlgCfg_Profile.h"

namespace {

int track(int k) { return 10050 + 50 * k; }

class AxisSettingsDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        axis.iMinCalibVal = 1000, axis.iMaxCalibVal = 3000, axis.dFilterJitter = 0.5, axis.dRvBugCor = 2.7;
        for (int k = 0; k < 20; ++k) axis.setTranslate(k, 5 * k);
        axis.iLastValRaw = axis.iLastValClamped = 1234;
        memcpy(before, static_cast<void*>(&axis), sizeof axis);
        dlg = CreateDialogParamA(GetModuleHandleA(nullptr), "DLGCFG_PROFILE", nullptr, DlgCfg_ProfileProc,
                                 reinterpret_cast<LPARAM>(&param));
        ASSERT_NE(nullptr, dlg);
    }
    void TearDown() override { DestroyWindow(dlg); }
    bool unchanged() { return memcmp(before, static_cast<void*>(&axis), sizeof axis) == 0; }
    void click(int id) { SendDlgItemMessageA(dlg, id, BM_CLICK, 0, 0); }
    // The label's own flag: a hidden (ended) dialog still tells which row it shows.
    bool shown(int id) { return (GetWindowLongA(GetDlgItem(dlg, id), GWL_STYLE) & WS_VISIBLE) != 0; }
    // Value field, trackbar position and label row of point k, e.g. "40@60c" (c: centred labels).
    std::string point(int k) {
        return dlgText(dlg, track(k) + 1) + "@" + std::to_string(dlgTrackPos(dlg, track(k))) +
               (shown(401 + k) && !shown(501 + k) ? "c" : "");
    }
    std::string fields(const char* typed = nullptr) {  // "min|max|jitter|rvbug"
        const int ids[] = {202, 204, 207, 209};
        std::string s(typed ? typed : ""), shown;
        for (int id : ids) {
            size_t bar = s.find('|');
            if (typed) dlgSetText(dlg, id, s.substr(0, bar).c_str());
            s = bar == std::string::npos ? "" : s.substr(bar + 1);
            shown += dlgText(dlg, id) + (id == 209 ? "" : "|");
        }
        return shown;
    }

    Quorix app;
    ProfileDev2Axis axis{app, IDIL_AILERONS, nullptr};
    DlgCfg_Profile_Param param{&app, &axis};
    unsigned char before[sizeof(ProfileDev2Axis)];
    HWND dlg = nullptr;
};

TEST_F(AxisSettingsDlgTest, OpensWithStoredValuesAndMirrorsInCentredMode) {
    EXPECT_EQ("1000|3000|50|2", fields());
    EXPECT_EQ(BST_CHECKED, dlgCheck(dlg, 301));
    struct Case { const char* name; int radio, k, code, pos; const char* k3; const char* k16; };
    const Case cases[] = {
        {"opened", 0, 0, 0, 0, "15@85", "80@20"},
        {"one-sided drag", 0, 3, TB_THUMBTRACK, 30, "70@30", "80@20"},
        {"switch copies 16 onto 3", 302, 0, 0, 0, "80@20c", "80@20c"},
        {"centred drag mirrors", 0, 3, TB_THUMBTRACK, 30, "70@30c", "70@30c"},
        {"key on partner", 0, 16, TB_LINEUP, 12, "88@12c", "88@12c"},
        {"top is 100", 0, 3, TB_THUMBPOSITION, 0, "100@0c", "100@0c"},
        {"bottom is 0", 0, 16, TB_ENDTRACK, 100, "0@100c", "0@100c"},
        {"TB_TOP ignored", 0, 3, TB_TOP, 55, "0@55c", "0@100c"},
        {"back to one-sided keeps values", 301, 0, 0, 0, "0@55", "0@100"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.radio) click(c.radio);
        if (c.k) SendDlgItemMessageA(dlg, track(c.k), TBM_SETPOS, TRUE, c.pos);
        if (c.k) SendMessageA(dlg, WM_VSCROLL, MAKEWPARAM(c.code, c.pos), (LPARAM)GetDlgItem(dlg, track(c.k)));
        EXPECT_EQ(c.k3, point(3));
        EXPECT_EQ(c.k16, point(16));
    }
    EXPECT_EQ("95@5", point(0));  // the switch copied all of 19..10 onto 0..9
}

TEST_F(AxisSettingsDlgTest, ButtonsAndOkStoreOnlyWhatTheyShould) {
    const char* range = "Minimum Raw value cannot be greater or equal Maximum Raw Value";
    struct Case { int id, answer; const char* typed; const char* box; const char* shown; const char* p0; int bStored; };
    const Case cases[] = {
        {211, 0, "1|2|3|4", "", "0|65536|0|0", "95@5c", 0},                     // "Set To Default"
        {101, IDNO, "1|2|3|4", "Sure?", "1|2|3|4", "95@5c", 0},                   // "Set All To Defaults"
        {101, IDYES, "1|2|3|4", "Sure?", "0|65536|0|0", "100@0", 0},
        {IDCANCEL, 0, "1|2|3|4", "", "1|2|3|4", "95@5c", 0},
        {IDOK, IDOK, "100|100|5|3", range, "100|100|5|3", "95@5c", 0},          // refused: stays open
        {IDOK, IDOK, "100||5|3", range, "100||5|3", "95@5c", 0},
        {IDOK, IDOK, "99|100|5|3", "", "99|100|5|3", "95@5c", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed + std::string(" ") + std::to_string(c.id));
        ShowWindow(dlg, SW_SHOW);
        DlgCfg_Profile_initSensitivity(dlg, &axis);
        SendDlgItemMessageA(dlg, track(14), TBM_SETPOS, TRUE, 70);
        dlgSetText(dlg, track(14) + 1, "99");  // the trackbar counts, not the field
        click(302);                            // point 5 follows point 14
        fields(c.typed);
        const char* caption = c.id == IDOK ? "G940ReversalBugFix" : "Reset to defaults";
        EXPECT_EQ(c.box, sendAnswering(dlg, c.id, caption, c.answer ? c.answer : IDOK));
        EXPECT_EQ(c.shown, fields());
        EXPECT_EQ(c.p0, point(0));
        EXPECT_EQ(c.id == IDCANCEL || c.bStored, !IsWindowVisible(dlg));
        EXPECT_EQ(!c.bStored, unchanged());
    }
    // Stored: settings, then the points from the trackbars, the mode; an axis at rest sends again.
    EXPECT_EQ(0.05, axis.dFilterJitter);
    EXPECT_EQ(3.0, axis.dRvBugCor);
    EXPECT_EQ(99, axis.iMinCalibVal);
    EXPECT_EQ(30, axis.aiTranslate[5]);
    EXPECT_EQ(30, axis.aiTranslate[14]);
    EXPECT_EQ(1, axis.bIs50Axis);
    EXPECT_EQ(-1, axis.iLastValRaw);
    const struct { double stored; const char* shown; } jitters[] = {{0.07, "7"}, {0.29, "29"}, {0.58, "58"}};
    for (const auto& j : jitters) {  // 0.29 * 100 is 28.99... in binary
        axis.dFilterJitter = j.stored;
        DlgCfg_Profile_initSettings(dlg, &axis);
        EXPECT_EQ(j.shown, dlgText(dlg, 207)) << j.stored;
    }
}

}  // namespace
