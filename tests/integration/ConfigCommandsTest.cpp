// The configuration commands and the axis settings dialog on a running
// application object: modeless "DLGCFG" and "DLGCFG_PROFILE" with their real
// procedures; prompts and boxes are answered by a helper thread meanwhile.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "support/AppHarness.h"
#include "support/DlgDriver.h"
#include "ui/DlgCfg_Profile.h"

namespace {

using Texts = std::vector<std::string>;
int track(int k) { return 10050 + 50 * k; }

class ConfigCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        deleteTestSettings();
        h.di.addController(fakeGuid(10), "Stick");
        h.di.addController(fakeGuid(40), "Pedals");
        ASSERT_EQ(0, h.init());
        h.app.pActProfile->name = "Flying";
        h.app.pActProfile->findByILDev(ail, IDIL_AILERONS);
        GUID g = fakeGuid(10);
        ail->attach(g, HWA_X);
        for (ProfileDev2Axis* a : {ail, &axis}) {
            a->iMinCalibVal = 1000, a->iMaxCalibVal = 3000, a->dFilterJitter = 0.5, a->dRvBugCor = 2.7;
            for (int k = 0; k < 20; ++k) a->setTranslate(k, 5 * k);
        }
        ASSERT_EQ(0, h.app.reapplyProfile());
        axis.iLastValRaw = axis.iLastValClamped = 1234;  // a value was sent
        memcpy(before, static_cast<void*>(&axis), sizeof before);
        dlg = CreateDialogParamA(h.hInst, "DLGCFG", nullptr, DlgCfgProc, reinterpret_cast<LPARAM>(&h.app));
        axisDlg = CreateDialogParamA(h.hInst, "DLGCFG_PROFILE", nullptr, DlgCfg_ProfileProc,
                                     reinterpret_cast<LPARAM>(&param));
        ASSERT_TRUE(dlg && axisDlg);
    }
    void TearDown() override {
        DestroyWindow(axisDlg);
        DestroyWindow(dlg);
        h.quit();
        deleteTestSettings();
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
        std::string s = typed ? std::string(typed) + "|" : "", shown;
        for (int id : {202, 204, 207, 209}) {
            if (typed) dlgSetText(axisDlg, id, s.substr(0, s.find('|')).c_str());
            s.erase(0, s.find('|') + 1);
            shown += (id == 202 ? "" : "|") + dlgText(axisDlg, id);
        }
        return shown;
    }

    AppHarness h;
    ProfileDev2Axis* ail = nullptr;  // of "Flying"
    // The axis dialog's own: in no profile, so no poll round (the timer runs) touches it.
    ProfileDev2Axis axis{h.app, IDIL_AILERONS, nullptr};
    DlgCfg_Profile_Param param{&h.app, &axis};
    HWND dlg = nullptr, axisDlg = nullptr;
    unsigned char before[sizeof(ProfileDev2Axis)];
};

TEST_F(ConfigCommandsTest, NamePromptsLoopAndDeleteKeepsTheLastProfile) {
    const std::string refused = "Profile\r\nA name may not contain \"\\\" or be longer than 255 characters...|";
    const std::string taken = "Create Profile\r\nName is already in use by another profile...|", kLong(256, 'x');
    struct Case { int id; std::vector<const char*> answers; Texts prompts; const char* active; };
    const Case cases[] = {
        {107, {"flying", "a\\b", "Gliding"}, {"Create Profile|New Profile", taken + "flying", "Create " + refused + "a\\b"},
         "Gliding"},
        {105, {kLong.c_str(), nullptr}, {"Rename Profile|Gliding", "Rename " + refused + kLong}, "Gliding"},
        {105, {"GLIDING"}, {"Rename Profile|Gliding"}, "GLIDING"},  // its own name, new spelling
        {303, {"Pedals", " My Stick "},
         {"Rename Hardware|Stick", "Rename Hardware\r\nName is already in use by another hardware...|Pedals"}, "GLIDING"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.prompts[0]);
        EXPECT_EQ(c.prompts, answerPrompts(0, dlg, c.id, c.answers));
        EXPECT_STREQ(c.active, h.app.pActProfile->name.text());
    }
    EXPECT_EQ(Texts({"Flying", "GLIDING"}), dlgComboItems(dlg, 104));
    EXPECT_EQ(Texts({" My Stick ", "Pedals"}), dlgComboItems(dlg, 302));
    const std::pair<int, const char*> deletes[] = {{IDNO, "GLIDING"}, {IDYES, "Flying"}, {IDYES, "Flying"}};
    for (const auto& d : deletes) {  // the last profile is kept
        EXPECT_EQ("Are you sure?", sendAnswering(dlg, 106, "Delete Profile", d.first));
        EXPECT_STREQ(d.second, h.app.pActProfile->name.text());
    }
    EXPECT_EQ(Texts({"Flying"}), dlgComboItems(dlg, 104));
    EXPECT_EQ(ail, h.app.hwDevices.items[0]->axes[0].pDev2Axis) << "the remaining profile is bound again";
}

TEST_F(ConfigCommandsTest, SendAsAppliesTheFinalChoiceAndMovesTheControl) {
    HWND row1 = GetDlgItem(dlg, 1106), row2 = GetDlgItem(dlg, 1206);
    SetFocus(row2);
    SendMessageA(row2, WM_KEYDOWN, VK_DOWN, 0);  // a step on the closed list: "-- none --" -> "Ailerons"
    EXPECT_EQ(HWA_X, ail->idAxis) << "a step alone applies nothing";
    SetFocus(row1);  // leaving the list applies it
    EXPECT_EQ(HWA_Y, ail->idAxis);
    EXPECT_EQ("-- none --|Ailerons", dlgText(dlg, 1106) + "|" + dlgText(dlg, 1206));
    EXPECT_EQ(0, ail->iMinCalibVal) << "default axis settings";
    EXPECT_EQ(25, ail->aiTranslate[5]) << "the curve is kept";
    EXPECT_EQ(-1, ail->iLastValRaw);
    SendMessageA(row1, CB_SHOWDROPDOWN, TRUE, 0);  // a choice from the opened list applies at once
    SendMessageA(row1, CB_SETCURSEL, SendMessageA(row1, CB_FINDSTRINGEXACT, -1, (LPARAM) "Rudder"), 0);
    SendMessageA(row1, WM_KEYDOWN, VK_RETURN, 0);
    HwAxis& x = h.app.hwDevices.items[0]->axes[0];
    ASSERT_EQ(h.app.ilDevices.apDevices[IDIL_RUDDER - 1], x.pILDevice);
    x.pDev2Axis->iLastValRaw = 5;
    SendDlgItemMessageA(dlg, 1103, BM_CLICK, 0, 0);  // invert: an axis at rest sends again
    EXPECT_EQ(1, x.pDev2Axis->bInvert);
    EXPECT_EQ(-1, x.pDev2Axis->iLastValRaw);
    h.di.unplug(0), h.di.unplug(1);
    h.app.enumHwDevices();
    EXPECT_FALSE(dlgEnabled(dlg, 303)) << "no device to rename";
    EXPECT_EQ(Texts(), answerPrompts(0, dlg, 303, {"x"}));
}

TEST_F(ConfigCommandsTest, AxisDialogOpensWithStoredValuesAndMirrorsInCentredMode) {
    EXPECT_EQ("1000|3000|50|2", fields());
    struct Case { const char* name; int radio, k, code, pos; const char* k3; const char* k16; };
    const Case cases[] = {
        {"opened one-sided", 0, 0, 0, 0, "15@85", "80@20"},
        {"one-sided drag", 0, 3, TB_THUMBTRACK, 30, "70@30", "80@20"},
        {"switch copies 16 onto 3", 302, 0, 0, 0, "80@20c", "80@20c"},
        {"centred drag mirrors", 0, 3, TB_THUMBTRACK, 30, "70@30c", "70@30c"},
        {"key on partner", 0, 16, TB_LINEUP, 12, "88@12c", "88@12c"},
        {"TB_TOP ignored", 0, 3, TB_TOP, 55, "88@55c", "88@12c"},
        {"back to one-sided keeps values", 301, 0, 0, 0, "88@55", "88@12"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.radio) click(c.radio);
        if (c.k) SendDlgItemMessageA(axisDlg, track(c.k), TBM_SETPOS, TRUE, c.pos);
        if (c.k) SendMessageA(axisDlg, WM_VSCROLL, MAKEWPARAM(c.code, c.pos), (LPARAM)GetDlgItem(axisDlg, track(c.k)));
        EXPECT_EQ(std::string(c.k3) + " " + c.k16, point(3) + " " + point(16));
    }
    EXPECT_EQ("95@5", point(0));  // the switch copied all of 19..10 onto 0..9
}

TEST_F(ConfigCommandsTest, AxisDialogButtonsAndOkStoreOnlyWhatTheyShould) {
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
    EXPECT_EQ(std::make_pair(0.05, 3.0), std::make_pair(axis.dFilterJitter, axis.dRvBugCor));
    EXPECT_EQ(99, axis.iMinCalibVal);
    EXPECT_EQ(std::make_pair(30, 30), std::make_pair(axis.aiTranslate[5], axis.aiTranslate[14]));
    EXPECT_EQ(std::make_pair(1, -1), std::make_pair(axis.bIs50Axis, axis.iLastValRaw));
    axis.dFilterJitter = 0.29;  // times 100 is 28.99... in binary
    DlgCfg_Profile_initSettings(axisDlg, &axis);
    EXPECT_EQ("29", dlgText(axisDlg, 207));
}

}  // namespace
