// The main job on the real program: virtual controllers in, Device Link
// datagrams out to the stand-in simulator on 127.0.0.1.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/E2eRig.h"

namespace {

std::string readString(const std::string& subKey, const char* name, DWORD* type = nullptr) {
    std::string path = std::string(kQuorixRegRoot) + (subKey.empty() ? "" : "\\" + subKey);
    char buf[512] = {};
    DWORD t = 0, size = sizeof buf;
    if (RegGetValueA(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &t, buf, &size) !=
        ERROR_SUCCESS)
        return "<missing>";
    if (type) *type = t;
    return t == REG_SZ ? std::string(buf) : std::string(buf, size);
}

long long readDword(const std::string& subKey, const char* name) {
    DWORD type = 0;
    std::string bytes = readString(subKey, name, &type);
    if (type != REG_DWORD || bytes.size() != 4) return -1;
    DWORD v;
    memcpy(&v, bytes.data(), 4);
    return v;
}

std::vector<std::string> subKeys(const std::string& subKey) {
    std::vector<std::string> out;
    HKEY key = nullptr;
    std::string path = std::string(kQuorixRegRoot) + (subKey.empty() ? "" : "\\" + subKey);
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return out;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD len = sizeof name;
        if (RegEnumKeyExA(key, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        out.push_back(name);
    }
    RegCloseKey(key);
    return out;
}

// How long a start may take until its first datagram (a busy machine under Wine is slow).
const DWORD kStartMs = 20000;
const char* const kStickKey = "{A7C1D2E0-5B3F-4E8A-9C61-51D0C0DE0001}";

class MainJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        clearQuorixSettings();
        ASSERT_TRUE(rig.prepare());
    }
    void TearDown() override { clearQuorixSettings(); }
    void seedStickProfile() {
        seedLink(rig.sim.port());
        seedAssignment("Flying", 1, 1, 1);   // stick X -> Ailerons
        seedAssignment("Flying", 11, 1, 3);  // stick Z -> Rudder
    }
    void quit() {
        DWORD code = 1234;
        ASSERT_TRUE(rig.quorix.quit(code));
        EXPECT_EQ(0u, code);
    }
    E2eRig rig;
};

TEST_F(MainJobTest, FirstStartCreatesNewProfileAndSavesItAtQuit) {
    ASSERT_TRUE(rig.startQuorix());
    quit();
    EXPECT_EQ("New Profile", readString("Profiles", "sActProfile"));
    EXPECT_EQ(std::vector<std::string>{"New Profile"}, subKeys("Profiles"));
    EXPECT_EQ(14u, subKeys("Profiles\\New Profile\\Dev2Axis").size());
    EXPECT_EQ("Virtual Stick 1", readString(std::string("HwDev\\") + kStickKey, "sInstName"));
}

TEST_F(MainJobTest, MovesArriveExactlyAndStillStickOnlyTestsLink) {
    seedStickProfile();
    rig.sim.setInCockpit(1);
    ASSERT_TRUE(rig.startQuorix());
    // Entering the cockpit sends every assigned axis once: both centred.
    ASSERT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\0.00", kStartMs));
    ASSERT_TRUE(rig.waitForCommand("R/89\\-1.00/89\\0.00", 2000));
    EXPECT_EQ(2u, rig.commands().size());

    ASSERT_EQ(PADSIM_OK, rig.pads.setAxis(1, 1, 39322));  // 60 %
    EXPECT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\0.20", 2000));
    ASSERT_EQ(PADSIM_OK, rig.pads.setAxis(1, 3, 0));
    EXPECT_TRUE(rig.waitForCommand("R/89\\-1.00/89\\-1.00", 2000));
    ASSERT_EQ(4u, rig.commands().size());

    // Still: for 3 s nothing but the link's two requests, about once a second.
    rig.sim.clearRecords();
    Sleep(3000);
    std::vector<Il2SimRecord> still = rig.sim.records();
    EXPECT_TRUE(rig.commands().empty());
    EXPECT_GE(still.size(), 4u);
    EXPECT_LE(still.size(), 8u);
    for (size_t i = 0; i < still.size(); ++i)
        EXPECT_EQ(i % 2 ? "R/6\\81" : "R/2", still[i].sDatagram) << i;
    quit();
}

TEST_F(MainJobTest, CockpitExitStopsSendingAndEntryFlushes) {
    seedStickProfile();
    rig.sim.setInCockpit(0);
    ASSERT_TRUE(rig.startQuorix());
    ASSERT_TRUE(rig.sim.waitForRecords(2, kStartMs));  // the link is up
    rig.pads.setAxis(1, 1, 0);
    Sleep(1500);
    EXPECT_TRUE(rig.commands().empty()) << "no sending outside the cockpit";

    rig.sim.setInCockpit(1);
    ASSERT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\-1.00", 3000));
    ASSERT_TRUE(rig.waitForCommand("R/89\\-1.00/89\\0.00", 1000));

    rig.sim.setInCockpit(0);
    Sleep(1500);  // the next link test sees the pilot leave
    rig.sim.clearRecords();
    rig.pads.setAxis(1, 1, 65535);
    Sleep(1000);
    EXPECT_TRUE(rig.commands().empty());
    quit();
}

TEST_F(MainJobTest, SimulatorComingBackResumesWithFlush) {
    seedStickProfile();
    rig.sim.setInCockpit(1);
    ASSERT_TRUE(rig.startQuorix());
    ASSERT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\0.00", kStartMs));
    rig.sim.setSilent(1);  // the simulator stops answering
    Sleep(2500);
    rig.sim.clearRecords();
    rig.sim.setSilent(0);
    EXPECT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\0.00", 4000));
    EXPECT_TRUE(rig.waitForCommand("R/89\\-1.00/89\\0.00", 1000));
    quit();
}

TEST_F(MainJobTest, UnplugKeepsDeviceAndReplugResumesSending) {
    seedStickProfile();
    rig.sim.setInCockpit(1);
    ASSERT_TRUE(rig.startQuorix());
    ASSERT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\0.00", kStartMs));

    ASSERT_EQ(PADSIM_OK, rig.pads.unplug(1));
    Sleep(500);
    rig.sim.clearRecords();
    rig.pads.setAxis(1, 1, 39322);
    Sleep(800);
    EXPECT_TRUE(rig.commands().empty()) << "an unplugged stick sends nothing";

    ASSERT_EQ(PADSIM_OK, rig.pads.plug(1));
    EXPECT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\0.20", 3000)) << "sending resumes after the arrival pass";
    quit();
    EXPECT_EQ("Virtual Stick 1", readString(std::string("HwDev\\") + kStickKey, "sUsrName"));
}

TEST_F(MainJobTest, QuitWritesTheDocumentedLayout) {
    seedStickProfile();
    ASSERT_TRUE(rig.startQuorix());
    rig.pads.plug(2);
    Sleep(1000);  // the arrival pass registers the throttle too
    quit();

    EXPECT_EQ(10, readDword("", "uiTimerInterval"));
    EXPECT_EQ(rig.sim.port(), readDword("IL2Com", "iIL2Port"));
    DWORD type = 0;
    EXPECT_EQ("127.0.0.1", readString("IL2Com", "sIL2Addr", &type));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);

    std::vector<std::string> devices = subKeys("HwDev");
    ASSERT_EQ(2u, devices.size());
    for (const std::string& key : devices) {
        EXPECT_EQ(38u, key.size()) << key;
        EXPECT_EQ(std::string::npos, key.find_first_of("abcdef")) << key;
        std::string guid = readString("HwDev\\" + key, "guid", &type);
        EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
        EXPECT_EQ(16u, guid.size());
    }
    EXPECT_EQ(kStickKey, devices[0] == kStickKey ? devices[0] : devices[1]);
    EXPECT_EQ("Virtual Throttle 2", readString("HwDev\\{A7C1D2E0-5B3F-4E8A-9C61-51D0C0DE0002}", "sInstName"));

    EXPECT_EQ("Flying", readString("Profiles", "sActProfile"));
    std::string ailerons = "Profiles\\Flying\\Dev2Axis\\1";
    EXPECT_EQ(1, readDword(ailerons, "idAxis"));
    EXPECT_EQ("Ailerons", readString(ailerons, "ILDeviceName"));
    EXPECT_EQ("0.00", readString(ailerons, "dFilterJitter"));
    EXPECT_EQ(65536, readDword(ailerons, "iMaxCalibVal"));
    EXPECT_EQ(80u, readString(ailerons, "aiTranslate").size());
    EXPECT_EQ(3, readDword("Profiles\\Flying\\Dev2Axis\\11", "idAxis"));
    EXPECT_EQ(14u, subKeys("Profiles\\Flying\\Dev2Axis").size());
}

// Rounds read every controller once; the virtual controllers count the reads.
long readsOver(VirtualControllers& pads, DWORD ms) {
    long before = 0, after = 0;
    pads.getReads(before, 1);
    Sleep(ms);
    pads.getReads(after, 1);
    return after - before;
}

TEST_F(MainJobTest, StoredPollIntervalIsHonoured) {
    seedStickProfile();
    rig.sim.setInCockpit(1);
    seedDword("", "uiTimerInterval", 100);
    ASSERT_TRUE(rig.startQuorix());
    ASSERT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\0.00", kStartMs));
    long slow = readsOver(rig.pads, 3000);
    quit();

    seedDword("", "uiTimerInterval", 10);
    rig.sim.clearRecords();
    ASSERT_TRUE(rig.startQuorix());
    ASSERT_TRUE(rig.waitForCommand("R/85\\-1.00/85\\0.00", kStartMs));
    long fast = readsOver(rig.pads, 3000);
    quit();
    // About 30 and 300 rounds; the bounds only tell the two apart (Wine's timers
    // are coarser than Windows' and the machine may be busy).
    EXPECT_GE(slow, 15);
    EXPECT_LE(slow, 40);
    EXPECT_GE(fast, 120);
    EXPECT_GT(fast, 4 * slow);
}

}  // namespace
