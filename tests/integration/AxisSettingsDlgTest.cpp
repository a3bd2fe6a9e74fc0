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

const char kRangeText[] = "Minimum Raw value cannot be greater or equal Maximum Raw Value";
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
    void move(int k, int code, int pos) {
        SendDlgItemMessageA(dlg, track(k), TBM_SETPOS, TRUE, pos);
        SendMessageA(dlg, WM_VSCROLL, MAKEWPARAM(code, pos), reinterpret_cast<LPARAM>(GetDlgItem(dlg, track(k))));
    }
    // Value field and trackbar position of point k, e.g. "40@60".
    std::string point(int k) { return dlgText(dlg, track(k) + 1) + "@" + std::to_string(dlgTrackPos(dlg, track(k))); }
    // Which label row shows: "centred", "one-sided" or a mix.
    std::string labels() {
        bool c = IsWindowVisible(GetDlgItem(dlg, 401)) && IsWindowVisible(GetDlgItem(dlg, 420));
        bool o = IsWindowVisible(GetDlgItem(dlg, 501)) && IsWindowVisible(GetDlgItem(dlg, 520));
        return c == o ? "mix" : c ? "centred" : "one-sided";
    }
    void fill(const char* text) {  // "min|max|jitter|rvbug"
        std::string s(text);
        const int ids[] = {202, 204, 207, 209};
        for (int id : ids) {
            size_t bar = s.find('|');
            dlgSetText(dlg, id, s.substr(0, bar).c_str());
            s = bar == std::string::npos ? "" : s.substr(bar + 1);
        }
    }
    std::string fields() {
        return dlgText(dlg, 202) + "|" + dlgText(dlg, 204) + "|" + dlgText(dlg, 207) + "|" + dlgText(dlg, 209);
    }

    Quorix app;
    ProfileDev2Axis axis{app, IDIL_AILERONS, nullptr};
    DlgCfg_Profile_Param param{&app, &axis};
    unsigned char before[sizeof(ProfileDev2Axis)];
    HWND dlg = nullptr;
};

TEST_F(AxisSettingsDlgTest, OpensWithStoredValues) {
    EXPECT_EQ("1000|3000|50|2", fields());
    EXPECT_EQ("0@100", point(0));  // value 0 at the bottom
    EXPECT_EQ("95@5", point(19));
    EXPECT_EQ(BST_CHECKED, dlgCheck(dlg, 301));
    EXPECT_EQ("one-sided", labels());
    const struct { double stored; const char* shown; } jitters[] = {{0.07, "7"}, {0.29, "29"}, {0.58, "58"}};
    for (const auto& j : jitters) {
        axis.dFilterJitter = j.stored;
        DlgCfg_Profile_initSettings(dlg, &axis);
        EXPECT_EQ(j.shown, dlgText(dlg, 207)) << j.stored;  // 0.29 * 100 is 28.99... in binary
    }
}

TEST_F(AxisSettingsDlgTest, TrackbarsShowValueAndMirrorInCentredMode) {
    struct Case { const char* name; int radio, k, code, pos; const char* k3; const char* k16; const char* labels; };
    const Case cases[] = {
        {"one-sided drag", 301, 3, TB_THUMBTRACK, 30, "70@30", "80@20", "one-sided"},
        {"switch copies 16 onto 3", 302, -1, 0, 0, "80@20", "80@20", "centred"},
        {"centred drag mirrors", 302, 3, TB_THUMBTRACK, 30, "70@30", "70@30", "centred"},
        {"key on partner", 302, 16, TB_LINEUP, 12, "88@12", "88@12", "centred"},
        {"top is 100", 302, 3, TB_THUMBPOSITION, 0, "100@0", "100@0", "centred"},
        {"bottom is 0", 302, 16, TB_ENDTRACK, 100, "0@100", "0@100", "centred"},
        {"TB_TOP ignored", 302, 3, TB_TOP, 55, "0@55", "0@100", "centred"},
        {"back to one-sided keeps values", 301, -1, 0, 0, "0@55", "0@100", "one-sided"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.k < 0) click(c.radio);
        else move(c.k, c.code, c.pos);
        EXPECT_EQ(c.k3, point(3));
        EXPECT_EQ(c.k16, point(16));
        EXPECT_EQ(c.labels, labels());
    }
    for (int k = 0; k < 10; ++k) EXPECT_EQ(dlgText(dlg, track(19 - k) + 1), dlgText(dlg, track(k) + 1)) << k;
}

TEST_F(AxisSettingsDlgTest, DefaultButtonsResetOnlyTheirFieldsAndStoreNothing) {
    struct Case { int id, answer; const char* fields; const char* p0; int radio; const char* labels; };
    const Case cases[] = {
        {211, 0, "0|65536|0|0", "95@5", 302, "centred"},          // "Set To Default": the four fields only
        {101, IDNO, "1|2|3|4", "95@5", 302, "centred"},           // "Set All To Defaults", No
        {101, IDYES, "0|65536|0|0", "100@0", 301, "one-sided"},   // ... Yes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id * 10 + c.answer);
        DlgCfg_Profile_initSensitivity(dlg, &axis);
        click(302);
        fill("1|2|3|4");
        EXPECT_EQ(c.answer ? "Sure?" : "", sendAnswering(dlg, c.id, "Reset to defaults", c.answer ? c.answer : IDOK));
        EXPECT_EQ(c.fields, fields());
        EXPECT_EQ(c.p0, point(0));
        EXPECT_EQ(BST_CHECKED, dlgCheck(dlg, c.radio));
        EXPECT_EQ(c.labels, labels());
        EXPECT_TRUE(unchanged());
    }
}

TEST_F(AxisSettingsDlgTest, OkStoresSettingsThenCurveAndRefusesAnEmptyRange) {
    struct Case { const char* typed; const char* box; int min, max; double jitter, rvbug; };
    const Case cases[] = {
        {"100|100|5|3", kRangeText, 1000, 3000, 0.5, 2.7},
        {"100||5|3", kRangeText, 1000, 3000, 0.5, 2.7},
        {"99|100|5|3", "", 99, 100, 0.05, 3.0},
        {"|65535||", "", 0, 65535, 0.0, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        memcpy(static_cast<void*>(&axis), before, sizeof axis);
        ShowWindow(dlg, SW_SHOW);  // "OK" ended the previous round
        fill(c.typed);
        SendDlgItemMessageA(dlg, track(14), TBM_SETPOS, TRUE, 70);
        dlgSetText(dlg, track(14) + 1, "99");  // the trackbar counts, not the field
        click(302);                            // point 5 follows point 14
        EXPECT_EQ(c.box, sendAnswering(dlg, IDOK, "G940ReversalBugFix", IDOK));
        EXPECT_EQ(c.min, axis.iMinCalibVal);
        EXPECT_EQ(c.max, axis.iMaxCalibVal);
        EXPECT_EQ(c.jitter, axis.dFilterJitter);
        EXPECT_EQ(c.rvbug, axis.dRvBugCor);
        bool ok = !*c.box;
        EXPECT_EQ(!ok, IsWindowVisible(dlg) != 0) << "the dialog stays open on refusal";
        std::string pts;
        for (int v : {axis.aiTranslate[0], axis.aiTranslate[5], axis.aiTranslate[14], axis.bIs50Axis})
            pts += std::to_string(v) + " ";
        EXPECT_EQ(ok ? "95 30 30 1 " : "0 25 70 0 ", pts);
        EXPECT_EQ(ok ? -1 : 1234, axis.iLastValRaw) << "accepted settings act on an axis at rest";
        EXPECT_EQ(!ok, unchanged());
    }
}

TEST_F(AxisSettingsDlgTest, CancelAfterEditsLeavesTheAssignmentAsItWas) {
    fill("5|6|7|8");
    click(302);
    move(12, TB_THUMBTRACK, 0);
    click(303);
    click(IDCANCEL);
    EXPECT_FALSE(IsWindowVisible(dlg));
    EXPECT_TRUE(unchanged());
}

}  // namespace
