// The server address dialog and the name prompt, each run modally from its real
// resource and procedure on the test thread and driven from a helper thread as a
// user would: clicks, typing, "OK"/"Cancel" and the answers to their message boxes.

#include <gtest/gtest.h>

#include <string>

#include "il2sim/Il2SimServer.h"
#include "res/resource.h"
#include "support/AppHarness.h"
#include "support/DlgDriver.h"
#include "ui/DlgCfg_Il2Com.h"
#include "ui/DlgStr.h"

namespace {
const char kServerCaption[] = "IL2 Device Link Server";
const char kBoxCaption[] = "IL-2 Address and Port";
const char kInvalid[] = "Sorry, invalid values...";
const char kCannotSave[] = "Sorry, cannot save values...";
const char kPromptCaption[] = "Quorix - Ombrisal for IL-2";
const char kHint[] = "Enter a name ..., please.";

// The application's own Device Link client, never started: nothing here sends
// unless a test connects it to the stand-in simulator on 127.0.0.1.
class DlgServerTest : public ::testing::Test {
protected:
    void store(const char* addr, int port) {
        com.sIL2Addr = addr;
        com.iIL2Port = port;
    }
    // Opens the dialog, lets the user act, presses "OK"; a message box is answered
    // with OK (its text lands in box) and the dialog then cancelled.
    INT_PTR openAndConfirm(int radio, const char* ip, const char* port, bool expectBox, std::string& box) {
        DlgCfg_Il2Com_Param param = {&com};
        return runModal("DLGCFG_IL2COM", DlgCfg_Il2ComProc, reinterpret_cast<LPARAM>(&param), kServerCaption,
                        IDC_IL2COM_IPADDR, 0, [&](HWND dlg) {
                            if (radio) dlgClick(dlg, radio);
                            if (ip) dlgSetText(dlg, IDC_IL2COM_IPADDR, ip);
                            if (port) dlgSetText(dlg, IDC_IL2COM_PORT, port);
                            dlgCommand(dlg, IDOK);
                            if (!expectBox) return;
                            box = answerBox(0, kBoxCaption, IDOK);
                            EXPECT_TRUE(IsWindowVisible(dlg));  // stays open with the entries
                            dlgCommand(dlg, IDCANCEL);
                        });
    }
    AppHarness h;
    IL2Com& com = h.app.il2Com;
};
}  // namespace

TEST_F(DlgServerTest, OpensWithTheStoredAddressAndPort) {
    struct Case { const char* addr; int port; int local; int ip; const char* field; bool fieldOn; const char* shown; };
    const Case kCases[] = {
        {"localhost", 3333, BST_CHECKED, BST_UNCHECKED, "", false, "3333"},
        // Not "localhost": "IP-address:" shows checked, as "OK" will treat the field.
        {"192.168.1.5", 4711, BST_UNCHECKED, BST_CHECKED, "192.168.1.5", true, "4711"},
        {"LOCALHOST", 1, BST_UNCHECKED, BST_CHECKED, "LOCALHOST", true, "1"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.addr);
        store(c.addr, c.port);
        DlgCfg_Il2Com_Param param = {&com};
        INT_PTR r = runModal("DLGCFG_IL2COM", DlgCfg_Il2ComProc, reinterpret_cast<LPARAM>(&param),
                             kServerCaption, IDC_IL2COM_IPADDR, 0, [&](HWND dlg) {
            EXPECT_EQ(c.local, dlgCheck(dlg, IDC_IL2COM_LOCALHOST));
            EXPECT_EQ(c.ip, dlgCheck(dlg, IDC_IL2COM_IP));
            EXPECT_EQ(c.field, dlgText(dlg, IDC_IL2COM_IPADDR));
            EXPECT_EQ(c.fieldOn, dlgEnabled(dlg, IDC_IL2COM_IPADDR));
            EXPECT_EQ(c.shown, dlgText(dlg, IDC_IL2COM_PORT));
            // The radio buttons switch the field; its text stays.
            dlgClick(dlg, IDC_IL2COM_IP);
            EXPECT_TRUE(dlgWait([&] { return dlgEnabled(dlg, IDC_IL2COM_IPADDR); }));
            dlgClick(dlg, IDC_IL2COM_LOCALHOST);
            EXPECT_TRUE(dlgWait([&] { return !dlgEnabled(dlg, IDC_IL2COM_IPADDR); }));
            EXPECT_EQ(c.field, dlgText(dlg, IDC_IL2COM_IPADDR));
            EXPECT_EQ(BST_CHECKED, dlgCheck(dlg, IDC_IL2COM_LOCALHOST));
            dlgCommand(dlg, IDCANCEL);
        });
        EXPECT_EQ(IDCANCEL, r);
        EXPECT_STREQ(c.addr, com.sIL2Addr.text());  // Cancel stores nothing
        EXPECT_EQ(c.port, com.iIL2Port);
    }
}

TEST_F(DlgServerTest, OkStoresValidValuesOrSaysWhy) {
    struct Case {
        const char* name; const char* addr; int port;            // stored before
        int radio; const char* ip; const char* portText;         // what the user does
        const char* box; INT_PTR result; const char* addrAfter; int portAfter;
    };
    const int L = IDC_IL2COM_LOCALHOST, I = IDC_IL2COM_IP;
    const Case kCases[] = {
        {"nothing changed", "localhost", 3333, 0, nullptr, nullptr, "", IDOK, "localhost", 3333},
        {"IP and port", "localhost", 3333, I, "127.0.0.1", "4444", "", IDOK, "127.0.0.1", 4444},
        {"back to localhost", "127.0.0.1", 3333, L, nullptr, nullptr, "", IDOK, "localhost", 3333},
        {"localhost ignores the field", "127.0.0.1", 3333, L, "junk", nullptr, "", IDOK, "localhost", 3333},
        {"localhost typed", "localhost", 3333, I, "localhost", nullptr, "", IDOK, "localhost", 3333},
        {"highest port", "localhost", 3333, 0, nullptr, "65535", "", IDOK, "localhost", 65535},
        // Which addresses and ports are valid is IL2Com's, tested there; here what the dialog does with them.
        {"empty IP", "localhost", 3333, I, "", nullptr, kInvalid, IDCANCEL, "localhost", 3333},
        {"stored bad address", "simhost", 3333, 0, nullptr, nullptr, kInvalid, IDCANCEL, "simhost", 3333},
        {"empty port", "localhost", 3333, 0, nullptr, "", kInvalid, IDCANCEL, "localhost", 3333},
        {"port beyond 65535", "localhost", 3333, 0, nullptr, "65536", kCannotSave, IDCANCEL, "localhost", 3333},
        // The address is stored before the port is refused, and stays stored.
        {"address kept, port refused", "localhost", 3333, I, "127.0.0.2", "0", kCannotSave, IDCANCEL, "127.0.0.2", 3333},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        store(c.addr, c.port);
        std::string box;
        EXPECT_EQ(c.result, openAndConfirm(c.radio, c.ip, c.portText, *c.box != 0, box));
        EXPECT_EQ(c.box, box);
        EXPECT_STREQ(c.addrAfter, com.sIL2Addr.text());
        EXPECT_EQ(c.portAfter, com.iIL2Port);
    }
}

TEST_F(DlgServerTest, ANewAddressOrPortClosesTheOpenConnection) {
    Il2SimServer sim;
    ASSERT_EQ(0, sim.start(0));
    struct Case { const char* name; int radio; const char* ip; const char* port; int connected; };
    const Case kCases[] = {
        {"nothing changed", 0, nullptr, nullptr, 1},
        {"new port", 0, nullptr, "4444", 0},
        {"new address", 0, "127.0.0.2", nullptr, 0},
        {"localhost", IDC_IL2COM_LOCALHOST, nullptr, nullptr, 0},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        store("127.0.0.1", sim.port());
        int flush = 0;
        ASSERT_EQ(0, com.openConnection(flush));
        ASSERT_EQ(1, com.bConnected);
        std::string box;
        EXPECT_EQ(IDOK, openAndConfirm(c.radio, c.ip, c.port, false, box));
        EXPECT_EQ(c.connected, com.bConnected);
        EXPECT_EQ(c.connected, (h.app.usStateFlags & STATEFLAG_IL2_CONNECTED) != 0);
        com.closeConnection();
    }
}

namespace {
// The name prompt, found by its name field and the absence of the main dialog's profile list.
INT_PTR prompt(DlgStr_Param& param, const std::function<void(HWND)>& script) {
    return runModal("DLGSTR", DlgStr_Proc, reinterpret_cast<LPARAM>(&param), kPromptCaption, IDC_STR_VALUE, 104,
                    script);
}
}  // namespace

TEST(DlgStrTest, AcceptsANonBlankNameAsTypedAndHintsAtBlanks) {
    // After the hint the user types fix and presses "OK" again, or with no fix cancels.
    struct Case { const char* name; const char* typed; bool hint; const char* fix; INT_PTR result; const char* value; };
    const Case kCases[] = {
        {"name", "New name", false, nullptr, IDOK, "New name"},
        {"surrounding blanks kept", "  Spaced  ", false, nullptr, IDOK, "  Spaced  "},
        {"empty", "", true, nullptr, IDCANCEL, "Old"},
        {"blanks", "   ", true, nullptr, IDCANCEL, "Old"},
        {"tab", "\t", true, nullptr, IDCANCEL, "Old"},
        {"blank, then corrected", " ", true, "Fixed", IDOK, "Fixed"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        DlgStr_Param param;
        param.prompt = "Rename the profile\r\nsecond line";
        param.value = "Old";
        INT_PTR r = prompt(param, [&](HWND dlg) {
            EXPECT_EQ("Rename the profile\r\nsecond line", dlgText(dlg, IDC_STR_PROMPT));
            EXPECT_EQ("", dlgText(dlg, IDC_STR_HINT));
            EXPECT_EQ("Old", dlgText(dlg, IDC_STR_VALUE));
            dlgSetText(dlg, IDC_STR_VALUE, c.typed);
            dlgCommand(dlg, IDOK);
            if (!c.hint) return;
            EXPECT_TRUE(dlgWait([&] { return dlgText(dlg, IDC_STR_HINT) == kHint; }));
            EXPECT_TRUE(IsWindowVisible(dlg));
            if (c.fix) dlgSetText(dlg, IDC_STR_VALUE, c.fix);
            dlgCommand(dlg, c.fix ? IDOK : IDCANCEL);
        });
        EXPECT_EQ(c.result, r);
        EXPECT_STREQ(c.value, param.value.text());
    }
}
