// The configuration commands on the real program, driven from outside as a
// user would: the virtual stick in, Device Link commands out, the registry at "Quit".

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/MyRegFuncs.h"
#include "support/DlgDriver.h"
#include "support/DlgSend.h"
#include "support/E2eRig.h"

namespace {

using Texts = std::vector<std::string>;
const char kCaption[] = "Quorix - Ombrisal for IL-2";

// Below the program's settings key: the sub-key names of sub ("a;b;"), or its value.
std::string stored(const std::string& sub, const char* value = nullptr) {
    MyString path = (std::string(kQuorixRegRoot) + "\\" + sub).c_str(), out;
    HKEY key = nullptr;
    MyStringArray names;
    if (openRegistryKey(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != 0) return "<missing>";
    if (value) getRegistryString(out, key, value, "<missing>");
    else enumRegKeys(&names, key);
    for (int i = 0; i < names.iCount; ++i) out += *names.apItems[i], out += ";";
    closeRegistryKey(key);
    return out.text();
}

class ConfigCommandsE2eTest : public ::testing::Test {
protected:
    void SetUp() override {
        clearQuorixSettings();
        ASSERT_TRUE(rig.prepare());
        seedLink(rig.sim.port());
        seedAssignment("Flying", 1, 1, 0);  // the profile, nothing assigned
        rig.sim.setInCockpit(1);
        ASSERT_EQ(PADSIM_OK, rig.pads.setAxis(1, 1, 39322));  // stick X at 60 %
        ASSERT_TRUE(rig.startQuorix());
        PostMessageA(rig.quorix.frame(), WM_COMMAND, 101, 0);  // "Configure..."
        dlg = waitDlg(rig.quorix.pid(), kCaption, 104);
        ASSERT_NE(nullptr, dlg);
    }
    void TearDown() override {
        DWORD code = 1;
        if (dlg) dlgCommand(dlg, 101);
        if (rig.quorix.running()) {
            EXPECT_TRUE(rig.quorix.quit(code) && code == 0);
        }
        clearQuorixSettings();
    }
    E2eRig rig;
    HWND dlg = nullptr;
};

TEST_F(ConfigCommandsE2eTest, SendAsInvertAndAxisSettingsShapeTheWire) {
    HWND row1 = GetDlgItem(dlg, 1106);  // keyboard steps on the closed list, then the focus leaves
    SendMessageA(row1, CB_SETCURSEL, SendMessageA(row1, CB_FINDSTRINGEXACT, -1, (LPARAM) "Ailerons"), 0);
    dlgCommand(dlg, 1106, CBN_KILLFOCUS);
    EXPECT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\0.20", 5000));
    dlgClick(dlg, 1103);  // invert: the stick at rest sends the mirrored value
    EXPECT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\-0.20", 5000));

    dlgCommand(dlg, 1107);  // "Config": raw 0..49152 and point 3 at 50
    HWND axisDlg = waitDlg(rig.quorix.pid(), kCaption, 10050);
    ASSERT_NE(nullptr, axisDlg);
    dlgSetText(axisDlg, 204, "49152");
    SendDlgItemMessageA(axisDlg, 10200, TBM_SETPOS, TRUE, 50);
    dlgCommand(axisDlg, IDOK);  // 80 % inverted is 20 %, times 50 % is 10 %
    EXPECT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\-0.80", 5000));
    ASSERT_EQ(PADSIM_OK, rig.pads.setAxis(1, 1, 0));
    EXPECT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\1.00", 5000));
}

TEST_F(ConfigCommandsE2eTest, ProfilesAndDeviceNameEditedAreSavedAtQuit) {
    const DWORD pid = rig.quorix.pid();
    EXPECT_EQ(Texts({"Create Profile|New Profile"}), answerPrompts(pid, dlg, 107, {"Racing"}));
    EXPECT_EQ(Texts({"Rename Profile|Racing"}), answerPrompts(pid, dlg, 105, {"Gliding"}));
    answerPrompts(pid, dlg, 107, {"Spare"});
    dlgCommand(dlg, 106);
    EXPECT_EQ("Are you sure?", answerBox(pid, "Delete Profile", IDYES));
    EXPECT_EQ(Texts({"Rename Hardware|Virtual Stick 1"}), answerPrompts(pid, dlg, 303, {"My Stick"}));
    EXPECT_TRUE(dlgWait([&] { return dlgComboItems(dlg, 302) == Texts({"My Stick"}); }));
    EXPECT_EQ(Texts({"Flying", "Gliding"}), dlgComboItems(dlg, 104));
    EXPECT_EQ("Flying", dlgText(dlg, 104));
    dlgCommand(dlg, 101);
    dlg = nullptr;
    DWORD code = 1;
    ASSERT_TRUE(rig.quorix.quit(code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ("Flying", stored("Profiles", "sActProfile"));
    std::string assignments = stored("Profiles\\Gliding\\Dev2Axis");
    EXPECT_EQ(14, std::count(assignments.begin(), assignments.end(), ';'));
    std::string keys = stored("Profiles");
    EXPECT_TRUE(keys == "Flying;Gliding;" || keys == "Gliding;Flying;") << keys;
    EXPECT_EQ("My Stick", stored("HwDev\\{A7C1D2E0-5B3F-4E8A-9C61-51D0C0DE0001}", "sUsrName"));
}

}  // namespace
