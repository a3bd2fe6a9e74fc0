// Inputs that once sent a wrong value, lost settings or hid a failure: a flush
// before any accepted value, a profile that cannot be stored, a clear that could
// not remove everything, local host addresses that stay silent or are many, and a
// simulator that answers garbage or goes away. Network traffic: 127.0.0.1 only.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/MyRegFuncs.h"
#include "il2sim/Il2SimServer.h"
#include "support/AppHarness.h"
#include "support/RegistryDump.h"
#include "support/ScratchKey.h"
#include "support/TickSource.h"

namespace {

const char kMarker[] = "marker";

double msSince(const LARGE_INTEGER& t0) {
    LARGE_INTEGER t1, f;
    QueryPerformanceCounter(&t1);
    QueryPerformanceFrequency(&f);
    return 1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(f.QuadPart);
}

// The real application object, one scripted stick and the stand-in simulator; rounds
// run when the test says, on the test tick.
class LinkRoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        deleteTestSettings();
        ASSERT_EQ(0, sim.start(0));
        sim.setInCockpit(1);
        stick = h.di.addController(fakeGuid(10), "Stick", "Stick Product");
        ASSERT_EQ(0, h.init());
        KillTimer(h.app.hFrameWnd, h.app.uiTimerId);
        h.app.uiTimerId = 0;
        gTestTick = 100000;
        h.app.il2Com.pfnGetTickCount = testTick;
        MyString addr("127.0.0.1");
        ASSERT_EQ(0, h.app.il2Com.setAddress(addr));
        ASSERT_EQ(0, h.app.il2Com.setPort(sim.port()));
    }
    void TearDown() override {
        h.quit();
        sim.stop();
        deleteTestSettings();
    }
    ProfileDev2Axis* assign(IdILDevice id, IdHwAxis axis) {
        ProfileDev2Axis* d2a = nullptr;
        EXPECT_EQ(0, h.app.pActProfile->findByILDev(d2a, id));
        GUID g = fakeGuid(10);
        EXPECT_EQ(0, d2a->attach(g, axis));
        return d2a;
    }
    // One round after the tick moved on by ms; its duration in ms.
    double timedRound(DWORD ms) {
        gTestTick += ms;
        LARGE_INTEGER t0;
        QueryPerformanceCounter(&t0);
        h.app.runRound();
        return msSince(t0);
    }
    // Commands received until a marker sent behind them on the same socket.
    std::vector<std::string> commandsUntilMarker() {
        std::vector<std::string> out;
        EXPECT_EQ(0, h.app.il2Com.sendSet(kMarker, 0));
        for (size_t n = 1; sim.waitForRecords(n, 3000); ++n) {
            Il2SimRecord r = sim.records()[n - 1];
            if (r.sDatagram == kMarker) break;
            if (r.kind != IL2SIM_QUERY) out.push_back(r.sDatagram);  // refused ones too
        }
        sim.clearRecords();
        return out;
    }

    Il2SimServer sim;
    AppHarness h;
    int stick = 0;
};

TEST_F(LinkRoundTest, EnteringTheCockpitSendsNothingBeyondTheRange) {
    const struct {
        IdILDevice control;
        IdHwAxis axis;
        double jitter;
        int min;
        LONG raw;
    } rows[] = {
        {IDIL_POWER, HWA_Z, 1.0, 0, 0},       // throttle at idle under a jitter filter: -1.00
        {IDIL_PITCH, HWA_SLD1, 2.0, 0, 328},  // 0.5 % is within 2 of the start value -1: -0.98
        {IDIL_FLAPS, HWA_RX, 0.0, -100, -1},  // a first raw value equal to the start value: nothing
    };
    for (const auto& r : rows) {
        ProfileDev2Axis* a = assign(r.control, r.axis);
        a->dFilterJitter = r.jitter;
        a->iMinCalibVal = r.min;
        setJoyAxis(h.di.state(stick), r.axis, r.raw);
    }
    ASSERT_EQ(0, h.app.reapplyProfile());
    timedRound(0);  // connects; the pilot sits in the cockpit, so every axis is flushed
    ASSERT_EQ(1, h.app.il2Com.iInCockpit);
    std::vector<std::string> sent = commandsUntilMarker();
    EXPECT_EQ((std::vector<std::string>{"R/115/81\\-1.00/115/81\\-1.00", "R/115/93\\-1.00/115/93\\-0.98"}), sent);
}

TEST_F(LinkRoundTest, MisbehavingSimulatorNeverHoldsARoundBeyondOneTimeOut) {
    assign(IDIL_AILERONS, HWA_X);
    ASSERT_EQ(0, h.app.reapplyProfile());
    const std::string oversize(600, 'A');
    const struct {
        const char* name;
        const char* request;  // scripted request, or null
        std::string answer;
        int silent, restart;
    } rows[] = {
        {"silent", nullptr, "", 1, 0},
        {"garbage", "R/2", std::string("\x7f\0garbage\xff", 10), 0, 0},
        {"oversize", "R/2", oversize, 0, 0},
        {"wrong version", "R/2", "A/2\\1.01", 0, 0},
        {"garbage cockpit answer", "R/6\\81", "A/6\\81\\1junk", 0, 0},
        {"restarting", nullptr, "", 0, 1},
    };
    LONG x = 1000;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        timedRound(1000);
        ASSERT_EQ(1, h.app.il2Com.iInCockpit);
        if (r.request) sim.setScriptedAnswer(r.request, r.answer);
        sim.setSilent(r.silent);
        if (r.restart) sim.stop();
        // The answer time-out is 200 ms; the bound leaves room for a busy machine.
        for (int i = 0; i < 3; ++i) EXPECT_LT(timedRound(1000), 600.0);
        EXPECT_NE(1, h.app.il2Com.iInCockpit);
        if (r.restart) {
            ASSERT_EQ(0, sim.start(static_cast<unsigned short>(h.app.il2Com.iIL2Port)));
        }
        sim.clearScriptedAnswers();
        sim.setSilent(0);
        for (int i = 0; i < 3 && h.app.il2Com.iInCockpit != 1; ++i) timedRound(1000);
        EXPECT_EQ(1, h.app.il2Com.iInCockpit) << "reconnected";
        commandsUntilMarker();
        h.di.state(stick).lX = x += 6554;  // 10 % further
        timedRound(0);
        EXPECT_EQ(1u, commandsUntilMarker().size()) << "sending resumed";
    }
}

Profile* byName(ProfileArray& list, const char* name) {
    for (int i = 0; i < list.count; ++i)
        if (list.items[i]->name == name) return list.items[i];
    return nullptr;
}

TEST(SaveChainTest, AProfileThatCannotBeStoredCostsOnlyItself) {
    const std::string root = kTestRegRoot, refused(300, 'L');  // beyond 255 characters a key name is refused
    const struct {
        const char* renamed;  // the profile whose new name is refused
        const char* sActProfile;
    } rows[] = {
        {"Alpha", "Gamma"},  // the active one: the stored choice stays as it was
        {"Gamma", "Alpha"},  // another one: the active one is named
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.renamed);
        deleteTestSettings();
        {
            AppHarness h;
            h.di.addController(fakeGuid(10), "Stick", "Stick Product");
            ASSERT_EQ(0, h.init());
            h.app.pActProfile->name = "Alpha";
            for (const char* name : {"Beta", "Gamma"}) {
                Profile* p = new Profile(h.app);
                p->name = name;
                ASSERT_EQ(0, h.app.profiles.add(p));
            }
            h.app.pActProfile = h.app.profiles.items[2];
        }
        AppHarness h;
        ASSERT_EQ(0, h.init());
        ASSERT_EQ(1, h.app.hwDevices.count);
        byName(h.app.profiles, "Beta")->bDeleted = 1;
        h.app.pActProfile = byName(h.app.profiles, "Alpha");
        byName(h.app.profiles, r.renamed)->name = refused.c_str();
        ASSERT_EQ(0, h.app.il2Com.setPort(4444));
        h.app.hwDevices.items[0]->setUsrName("Renamed");
        EXPECT_NE(0, h.app.saveConfig());  // the failure is still reported

        RegistryDump d = dumpRegistryTree(root);
        EXPECT_EQ(1u, d.count("Profiles\\Alpha|")) << "stored, or the old key of the refused rename";
        EXPECT_EQ(1u, d.count("Profiles\\Gamma|"));
        EXPECT_EQ(0u, d.count("Profiles\\Beta|")) << "a deleted profile is pruned all the same";
        EXPECT_EQ("1:" + std::string(r.sActProfile == std::string("Alpha") ? "416c70686100" : "47616d6d6100"),
                  d["Profiles|sActProfile"]);
        EXPECT_EQ("4:5c110000", d["IL2Com|iIL2Port"]);
        EXPECT_EQ("1:52656e616d656400", d["HwDev\\" + guidKeyName(fakeGuid(10)) + "|sUsrName"]);
        h.quit();
    }
    deleteTestSettings();
}

TEST(ClearRegistryKeyTest, ValuesThatCannotBeDeletedAreReported) {
    for (bool withSubKey : {false, true}) {
        SCOPED_TRACE(withSubKey ? "values and a sub-key" : "values only");
        ScratchKey scratch("Clear");
        ASSERT_TRUE(scratch.ok());
        ASSERT_EQ(0, setRegistryInt(scratch.key(), "kept", 1));
        if (withSubKey) putRegistryValue(std::string(scratch.path().text()) + "\\Sub", "v", REG_SZ, std::string("x", 2));
        HKEY readOnly = nullptr;  // a handle without the right to delete values
        ASSERT_EQ(0, openRegistryKey(HKEY_CURRENT_USER, scratch.path(), 0, KEY_READ, &readOnly));
        EXPECT_EQ(6, clearRegistryKey(readOnly));
        closeRegistryKey(readOnly);
        EXPECT_EQ(1u, dumpRegistryTree(scratch.path().text()).count("|kept"));
    }
}

// "localhost" through the resolver seam: every address is 127.0.0.1, and what the
// simulator does with each version request follows a plan (a answers, w wrong
// version, s silent), set up on the tick seam before each attempt.
Il2SimServer* gSim;
std::string gPlan;
int gAddrCount;
int resolveMany(IL2HostAddrs& out) {
    in_addr a;
    a.s_addr = inet_addr("127.0.0.1");
    for (int i = 0; i < gAddrCount; ++i) out.add(a);
    return 0;
}
size_t versionRequests() {
    size_t n = 0;
    for (const Il2SimRecord& r : gSim->records()) n += r.sDatagram == "R/2";
    return n;
}
DWORD WINAPI planTick() {
    size_t k = versionRequests();
    char step = k < gPlan.size() ? gPlan[k] : 'a';
    gSim->setSilent(step == 's');
    if (step == 'w') gSim->setScriptedAnswer("R/2", "A/2\\1.01");
    else gSim->clearScriptedAnswers();
    return gTestTick;
}

TEST(LocalHostAddressesTest, EachDueTestWaitsOutAtMostOneSilentAddress) {
    Il2SimServer sim;
    ASSERT_EQ(0, sim.start(0));
    gSim = &sim;
    Quorix app;
    const struct {
        const char* name;
        std::string plan;             // one step per address
        std::vector<size_t> perTest;  // version requests after each due test; connected after the last
    } rows[] = {
        {"twenty refuse at once, the 21st answers", std::string(20, 'w') + "a", {21}},
        {"silent ones take one due test each", "sssssa", {1, 2, 3, 4, 5, 6}},
        {"refusing and silent mixed", "wswa", {2, 4}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        sim.clearRecords();
        gPlan = r.plan;
        gAddrCount = static_cast<int>(r.plan.size());
        IL2Com com(app);
        com.pfnGetTickCount = planTick;
        com.pfnResolveLocalHost = resolveMany;
        ASSERT_EQ(0, com.setPort(sim.port()));
        for (size_t t = 0; t < r.perTest.size(); ++t) {
            gTestTick += 1000;
            int flush = 0;
            LARGE_INTEGER t0;
            QueryPerformanceCounter(&t0);
            com.testConnection(flush);
            EXPECT_LT(msSince(t0), 600.0) << "due test " << t;
            EXPECT_EQ(r.perTest[t], versionRequests()) << "due test " << t;
            EXPECT_EQ(t + 1 == r.perTest.size() ? 1 : 0, com.bConnected) << "due test " << t;
        }
    }
    sim.stop();
}

}  // namespace
