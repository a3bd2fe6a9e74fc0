// The configuration commands on the real program, driven from outside as a user
// would: the virtual stick in, Device Link commands out, the registry at "Quit".
// The prompts' rules are left to the in-process test.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "support/DlgDriver.h"
#include "support/E2eRig.h"

namespace {

const char kCaption[] = "Quorix - Ombrisal for IL-2";

TEST(ConfigCommandsE2eTest, EditsShapeTheWireAndAreSavedAtQuit) {
    clearQuorixSettings();
    E2eRig rig;  // ends the program if a check stops the test early
    ASSERT_TRUE(rig.prepare());
    seedLink(rig.sim.port());
    seedAssignment("Flying", 1, 1, 0);  // the profile, nothing assigned
    rig.sim.setInCockpit(1);
    ASSERT_EQ(PADSIM_OK, rig.pads.setAxis(1, 1, 39322));  // stick X at 60 %
    ASSERT_TRUE(rig.startQuorix());
    const DWORD pid = rig.quorix.pid();
    PostMessageA(rig.quorix.frame(), WM_COMMAND, 101, 0);  // "Configure..."
    HWND dlg = waitDlg(pid, kCaption, 104);
    ASSERT_NE(nullptr, dlg);
    HWND row1 = GetDlgItem(dlg, 1106);  // keyboard steps on the closed list, then the focus leaves
    SendMessageA(row1, CB_SETCURSEL, SendMessageA(row1, CB_FINDSTRINGEXACT, -1, (LPARAM) "Ailerons"), 0);
    dlgCommand(dlg, 1106, CBN_KILLFOCUS);
    EXPECT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\0.20", 5000));
    dlgClick(dlg, 1103);  // invert: the stick at rest sends the mirrored value
    EXPECT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\-0.20", 5000));
    dlgCommand(dlg, 1107);  // "Config": raw 0..49152 and point 3 at 50
    HWND axisDlg = waitDlg(pid, kCaption, 10050);
    ASSERT_NE(nullptr, axisDlg);
    dlgSetText(axisDlg, 204, "49152");
    SendDlgItemMessageA(axisDlg, 10200, TBM_SETPOS, TRUE, 50);
    dlgCommand(axisDlg, IDOK);  // 80 % inverted is 20 %, times 50 % is 10 %
    EXPECT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\-0.80", 5000));
    ASSERT_EQ(PADSIM_OK, rig.pads.setAxis(1, 1, 0));
    EXPECT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\1.00", 5000));

    const std::pair<int, const char*> edits[] = {{107, "Racing"}, {105, "Gliding"}, {107, "Spare"}, {303, "My Stick"}};
    for (const auto& e : edits) EXPECT_EQ(1u, answerPrompts(pid, dlg, e.first, {e.second}).size());
    dlgCommand(dlg, 106);  // deletes "Spare"
    EXPECT_EQ("Are you sure?", answerBox(pid, "Delete Profile", IDYES));
    EXPECT_TRUE(dlgWait([&] { return dlgText(dlg, 104) == "Flying"; }));
    dlgCommand(dlg, 101);
    DWORD code = 1;
    ASSERT_TRUE(rig.quorix.quit(code) && code == 0);
    const std::string root = std::string(kQuorixRegRoot) + "\\";
    std::vector<std::string> profiles = regNames(root + "Profiles");
    std::sort(profiles.begin(), profiles.end());
    EXPECT_EQ(std::vector<std::string>({"Flying", "Gliding"}), profiles);
    EXPECT_EQ(textValue("Flying"), regRead(root + "Profiles", "sActProfile"));
    EXPECT_EQ(14u, regNames(root + "Profiles\\Gliding\\Dev2Axis").size());
    EXPECT_EQ(textValue("My Stick"), regRead(root + "HwDev\\{A7C1D2E0-5B3F-4E8A-9C61-51D0C0DE0001}", "sUsrName"));
    clearQuorixSettings();
}

}  // namespace
