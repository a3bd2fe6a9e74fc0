// The configuration dialog's editing commands on a running application object:
// a modeless "DLGCFG" with its real procedure; name prompts and boxes are
// answered from a helper thread while the command runs on this one.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/AppHarness.h"
#include "support/DlgDriver.h"
#include "support/DlgSend.h"
#include "ui/DlgCfg.h"

namespace {

using Texts = std::vector<std::string>;

class ConfigCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        deleteTestSettings();
        h.di.addController(fakeGuid(10), "Stick");
        h.di.addController(fakeGuid(40), "Pedals");
        ASSERT_EQ(0, h.init());
        h.app.pActProfile->name = "Flying";
        GUID g = fakeGuid(10);
        ailerons()->attach(g, HWA_X);
        ailerons()->iMinCalibVal = 1000;
        ailerons()->setTranslate(5, 40);
        ASSERT_EQ(0, h.app.reapplyProfile());
        dlg = CreateDialogParamA(h.hInst, "DLGCFG", nullptr, DlgCfgProc, reinterpret_cast<LPARAM>(&h.app));
        ASSERT_NE(nullptr, dlg);
    }
    void TearDown() override {
        DestroyWindow(dlg);
        h.quit();
        deleteTestSettings();
    }
    ProfileDev2Axis* ailerons() {
        ProfileDev2Axis* a = nullptr;
        h.app.pActProfile->findByILDev(a, IDIL_AILERONS);
        return a;
    }
    AppHarness h;
    HWND dlg = nullptr;
};

TEST_F(ConfigCommandsTest, NamePromptsLoopAndDeleteKeepsTheLastProfile) {
    const std::string refused = "Profile\r\nA name may not contain \"\\\" or be longer than 255 characters...|";
    const std::string taken = "Create Profile\r\nName is already in use by another profile...|";
    const std::string kLong(256, 'x');
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
    const int answers[] = {IDNO, IDYES, IDYES};  // the last profile is kept
    const char* actives[] = {"GLIDING", "Flying", "Flying"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ("Are you sure?", sendAnswering(dlg, 106, "Delete Profile", answers[i]));
        EXPECT_STREQ(actives[i], h.app.pActProfile->name.text()) << i;
    }
    EXPECT_EQ(Texts({"Flying"}), dlgComboItems(dlg, 104));
    EXPECT_EQ(ailerons(), h.app.hwDevices.items[0]->axes[0].pDev2Axis) << "the remaining profile is bound again";
}

TEST_F(ConfigCommandsTest, SendAsAppliesTheFinalChoiceAndMovesTheControl) {
    HWND row1 = GetDlgItem(dlg, 1106), row2 = GetDlgItem(dlg, 1206);
    SetFocus(row2);
    SendMessageA(row2, WM_KEYDOWN, VK_DOWN, 0);  // a step on the closed list: "-- none --" -> "Ailerons"
    EXPECT_EQ(HWA_X, ailerons()->idAxis) << "a step alone applies nothing";
    SetFocus(row1);  // leaving the list applies it
    EXPECT_EQ(HWA_Y, ailerons()->idAxis);
    EXPECT_EQ("-- none --", dlgText(dlg, 1106));
    EXPECT_EQ("Ailerons", dlgText(dlg, 1206));
    EXPECT_EQ(0, ailerons()->iMinCalibVal) << "default axis settings";
    EXPECT_EQ(40, ailerons()->aiTranslate[5]) << "the curve is kept";
    EXPECT_EQ(-1, ailerons()->iLastValRaw);

    SendMessageA(row1, CB_SHOWDROPDOWN, TRUE, 0);  // a choice from the opened list applies at once
    SendMessageA(row1, CB_SETCURSEL, SendMessageA(row1, CB_FINDSTRINGEXACT, -1, (LPARAM) "Rudder"), 0);
    SendMessageA(row1, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(h.app.ilDevices.apDevices[IDIL_RUDDER - 1], h.app.hwDevices.items[0]->axes[0].pILDevice);

    SendDlgItemMessageA(dlg, 1103, BM_CLICK, 0, 0);  // invert
    EXPECT_EQ(1, h.app.hwDevices.items[0]->axes[0].pDev2Axis->bInvert);
    h.di.unplug(0), h.di.unplug(1);
    h.app.enumHwDevices();
    EXPECT_FALSE(dlgEnabled(dlg, 303)) << "no device to rename";
    EXPECT_EQ(Texts(), answerPrompts(0, dlg, 303, {"x"}));
}

}  // namespace
