// The dialog and window helpers against real controls of a real dialog resource,
// and the four dialog resources as the program loads them.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "base/MyDlgFuncs.h"
#include "base/MyWndFuncs.h"
#include "res/resource.h"
#include "support/DlgDriver.h"

namespace {
INT_PTR CALLBACK plainProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

const int kEdit = IDC_STR_VALUE;
const int kTriState = 900;
const int kMissing = 999;

// A modeless name prompt without its procedure: an edit and statics to write into,
// plus a three-state check box that no resource has.
class DlgHelpersTest : public ::testing::Test {
protected:
    void SetUp() override {
        dlg = CreateDialogParamA(GetModuleHandleA(nullptr), "DLGSTR", nullptr, plainProc, 0);
        ASSERT_NE(nullptr, dlg);
        CreateWindowExA(0, "BUTTON", "", WS_CHILD | BS_AUTO3STATE, 0, 0, 20, 20, dlg,
                        reinterpret_cast<HMENU>(kTriState), GetModuleHandleA(nullptr), nullptr);
    }
    void TearDown() override { DestroyWindow(dlg); }
    HWND dlg = nullptr;
};
}  // namespace

TEST_F(DlgHelpersTest, ReadsNumbersAndAppendsText) {
    struct Case { const char* shown; int status; int out; };
    const Case kCases[] = {
        {"8080", 0, 8080}, {"", 1, -7}, {"-5", 1, -7},
        {"2147483647", 0, 2147483647}, {"2147483648", 1, -7},  // an int holds no more
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.shown);
        dlgSetText(dlg, kEdit, c.shown);
        int out = -7;
        EXPECT_EQ(c.status, getDlgItemInt(out, dlg, kEdit));
        EXPECT_EQ(c.out, out);
    }
    struct TextCase { const char* before; const char* shown; const char* after; };
    const TextCase kText[] = {{"x", "abc", "xabc"}, {"x", "", "x"}, {"", "  a b  ", "  a b  "}};
    for (const TextCase& c : kText) {
        SCOPED_TRACE(c.shown);
        dlgSetText(dlg, kEdit, c.shown);
        MyString out(c.before);
        EXPECT_EQ(0, getDlgItemText(out, dlg, kEdit));
        EXPECT_STREQ(c.after, out.text());
    }
    MyString out("x");
    EXPECT_EQ(0, getDlgItemText(out, dlg, kMissing));
    EXPECT_STREQ("x", out.text());
}

TEST_F(DlgHelpersTest, WritesNumbersAndTextInTheSystemsNumberText) {
    static MyString name("name");
    struct Case { const char* name; int (*write)(HWND); int status; const char* shown; };
    const Case kCases[] = {
        {"half up", [](HWND d) { return setDlgItemDouble(d, kEdit, 0.125, 2); }, 0, "0.13"},
        {"negative zero keeps its sign", [](HWND d) { return setDlgItemDouble(d, kEdit, -0.001, 2); }, 0, "-0.00"},
        {"signed", [](HWND d) { return setDlgItemInt(d, kEdit, -5, 1); }, 0, "-5"},
        {"unsigned", [](HWND d) { return setDlgItemInt(d, kEdit, -1, 0); }, 0, "4294967295"},
        {"string", [](HWND d) { return setDlgItemText(d, kEdit, name); }, 0, "name"},
        {"no control: text", [](HWND d) { return setDlgItemText(d, kMissing, "a"); }, 1004, "name"},
        {"no control: string", [](HWND d) { return setDlgItemText(d, kMissing, name); }, 1004, "name"},
        {"no control: number", [](HWND d) { return setDlgItemDouble(d, kMissing, 1.0, 2); }, 1004, "name"},
        {"no control: int", [](HWND d) { return setDlgItemInt(d, kMissing, 1, 0); }, 1, "name"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.status, c.write(dlg));
        EXPECT_EQ(c.shown, dlgText(dlg, kEdit));
    }
}

TEST_F(DlgHelpersTest, CheckAndEnabledStates) {
    struct Case { const char* name; int flag; int state; int checked; };
    const Case kCases[] = {{"set", 5, BST_CHECKED, 1}, {"cleared", 0, BST_UNCHECKED, 0}};
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(0, setDlgItemCheck(dlg, kTriState, c.flag));
        EXPECT_EQ(c.state, dlgCheck(dlg, kTriState));
        EXPECT_EQ(c.checked, isDlgItemChecked(dlg, kTriState));
    }
    CheckDlgButton(dlg, kTriState, BST_INDETERMINATE);
    EXPECT_EQ(0, isDlgItemChecked(dlg, kTriState));

    EXPECT_EQ(0, setDlgItemActive(dlg, kEdit, 0));
    EXPECT_FALSE(dlgEnabled(dlg, kEdit));
    EXPECT_EQ(0, setDlgItemActive(dlg, kEdit, 7));
    EXPECT_TRUE(dlgEnabled(dlg, kEdit));
}

TEST(CenterWindowTest, CentresOnTheDesktopOrLeavesAWindowTooBig) {
    RECT desk;
    GetWindowRect(GetDesktopWindow(), &desk);
    struct Case { const char* name; int width; int height; int result; int x; int y; };
    // Counted inclusive: a 400 x 300 window on 1920 x 1080 lands at 759, 389.
    const Case kCases[] = {
        {"400 x 300", 400, 300, 1, (desk.right - 401) / 2, (desk.bottom - 301) / 2},
        {"as wide as the screen", desk.right, 300, 0, 5, 6},
        {"wider than the screen", desk.right + 10, 300, 0, 5, 6},
        {"higher than the screen", 300, desk.bottom + 10, 0, 5, 6},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        HWND wnd = CreateWindowExA(0, "STATIC", "", WS_POPUP, 5, 6, c.width, c.height, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, wnd);
        EXPECT_EQ(c.result, CenterWindow(nullptr, wnd));
        RECT r;
        GetWindowRect(wnd, &r);
        EXPECT_EQ(c.x, r.left);
        EXPECT_EQ(c.y, r.top);
        EXPECT_EQ(c.width, r.right - r.left);  // never resized
        DestroyWindow(wnd);
    }
    EXPECT_EQ(0, CenterWindow(nullptr, nullptr));
}

TEST(DialogResourcesTest, LoadWithTheirCaptionsControlsAndTexts) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&icc));  // the trackbars of "DLGCFG_PROFILE"
    struct Control { int id; const char* text; };
    struct Case { const char* resource; const char* caption; std::vector<Control> controls; };
    const Case kCases[] = {
        // The procedures' tests read these two dialogs' controls; here only what they do not.
        {"DLGCFG_IL2COM", "IL2 Device Link Server", {{IDC_IL2COM_ADDR_GROUP, "Address"}, {IDC_IL2COM_PORT_GROUP, "Port"}}},
        {"DLGSTR", "Quorix - Ombrisal for IL-2", {{IDCANCEL, "Cancel"}, {IDOK, "OK"}}},
        // Its procedure comes later: a few labels here, the trackbars below.
        {"DLGCFG_PROFILE", "Quorix - Ombrisal for IL-2",
         {{IDC_PROF_ALL_DEFAULTS, "Set All To Defaults"}, {401, "100"}, {410, "10"}, {411, "10"}, {420, "100"},
          {501, "5"}, {510, "50"}, {520, "100"}}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.resource);
        HWND dlg = CreateDialogParamA(GetModuleHandleA(nullptr), c.resource, nullptr, plainProc, 0);
        ASSERT_NE(nullptr, dlg);
        EXPECT_EQ(c.caption, dlgText(dlg, 0));
        for (const Control& k : c.controls) {
            ASSERT_NE(nullptr, GetDlgItem(dlg, k.id)) << k.id;
            EXPECT_EQ(k.text, dlgText(dlg, k.id)) << k.id;
        }
        const LONG kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_VISIBLE;
        EXPECT_EQ(kStyle, GetWindowLongA(dlg, GWL_STYLE) & kStyle);
        EXPECT_TRUE(GetWindowLongA(dlg, GWL_EXSTYLE) & WS_EX_CONTEXTHELP);
        if (GetDlgItem(dlg, IDC_PROF_TRACK_FIRST)) {
            // One label row at a time: the one-sided row shows, the centred row waits.
            for (int k = 0; k < 20; ++k) {
                EXPECT_TRUE(IsWindowVisible(GetDlgItem(dlg, 501 + k))) << k;
                EXPECT_FALSE(IsWindowVisible(GetDlgItem(dlg, 401 + k))) << k;
                HWND track = GetDlgItem(dlg, IDC_PROF_TRACK_FIRST + IDC_PROF_TRACK_STEP * k);
                char cls[32] = {};
                GetClassNameA(track, cls, sizeof cls);
                EXPECT_STREQ("msctls_trackbar32", cls) << k;
                EXPECT_TRUE(GetWindowLongA(track, GWL_STYLE) & TBS_VERT) << k;
                EXPECT_EQ("", dlgText(dlg, IDC_PROF_TRACK_FIRST + IDC_PROF_TRACK_STEP * k + 1)) << k;
            }
        }
        DestroyWindow(dlg);
    }
}
