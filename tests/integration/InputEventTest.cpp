// Input events: the program's message loop runs a poll round as soon as a controller
// in use reports. The poll timer is stopped, so every read of the stick is an event round.

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <thread>

#include "app/MessageLoop.h"
#include "il2sim/Il2SimServer.h"
#include "support/AppHarness.h"
#include "support/ChildProcess.h"
#include "support/TickSource.h"

namespace {

// Runs a script's call on the loop's thread, which owns the application's windows.
LRESULT CALLBACK callProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_APP) return DefWindowProcA(hwnd, msg, wp, lp);
    (*reinterpret_cast<const std::function<void()>*>(lp))();
    return 0;
}

class InputEventTest : public ::testing::Test {
protected:
    void SetUp() override {
        deleteTestSettings();
        ASSERT_EQ(0, sim.start(0));
        stick = h.di.addController(fakeGuid(40), "Stick");
        pedals = h.di.addController(fakeGuid(60), "Pedals");
        ASSERT_EQ(0, h.init());
        KillTimer(h.app.hFrameWnd, h.app.uiTimerId);
        h.app.uiTimerId = 0, gTestTick = 100000, h.app.il2Com.pfnGetTickCount = testTick;  // one link test only
        MyString addr("127.0.0.1");
        ASSERT_EQ(0, h.app.il2Com.setAddress(addr) | h.app.il2Com.setPort(sim.port()));
        bindStick();
        ASSERT_EQ(0, h.app.runRound());  // connects; the pilot is in the cockpit
        WNDCLASSA wc = {};
        wc.lpfnWndProc = callProc, wc.hInstance = h.hInst, wc.lpszClassName = "InputEventCall";
        RegisterClassA(&wc);
        hCall = CreateWindowExA(0, "InputEventCall", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, h.hInst, nullptr);
    }
    void TearDown() override {
        DestroyWindow(hCall);
        h.quit();
        sim.stop();
        deleteTestSettings();
    }
    ProfileDev2Axis* ailerons() {
        ProfileDev2Axis* d2a = nullptr;
        EXPECT_EQ(0, h.app.pActProfile->findByILDev(d2a, IDIL_AILERONS));
        return d2a;
    }
    void bindStick() {
        GUID g = fakeGuid(40);
        EXPECT_EQ(0, ailerons()->attach(g, HWA_X));
        EXPECT_EQ(0, h.app.reapplyProfile());
    }
    // The loop runs on this thread until the script, run on another, is done.
    void run(const std::function<void()>& script) {
        std::thread t([&] {
            script();
            PostMessageA(hCall, WM_QUIT, 0, 0);
        });
        EXPECT_EQ(0, runMessageLoop(h.app));
        t.join();
    }
    void onLoop(const std::function<void()>& fn) { SendMessageA(hCall, WM_APP, 0, reinterpret_cast<LPARAM>(&fn)); }
    LONG reads() { return h.di.controller(stick).iReads; }
    void move(int ctrl, int percent) { h.di.setAxis(ctrl, HWA_X, (percent * 65536L + 50) / 100); }
    // The stick's last Ailerons command is the one for percent.
    bool lastSent(int percent) {
        char want[64];
        snprintf(want, sizeof want, "R/85\\-1.00/85\\%.2f", percent * 0.02 - 1.0);
        std::vector<Il2SimRecord> r = sim.records();
        for (size_t n = r.size(); n-- > 0;)
            if (r[n].kind == IL2SIM_CMD) return r[n].sDatagram == want;
        return false;
    }

    Il2SimServer sim;
    AppHarness h;
    HWND hCall = nullptr;
    int stick = 0, pedals = 0;
};

TEST_F(InputEventTest, OneEventRoundPerMoveOfAControllerThatARoundWouldSend) {
    const struct { const char* name; std::function<void()> action; int* ctrl; int percent, rounds; } rows[] = {
        {"in use", nullptr, &stick, 60, 1},
        {"not in use", nullptr, &pedals, 70, 0},
        {"unassigned", [&] { ailerons()->detach(), h.app.reapplyProfile(); }, &stick, 40, 0},
        {"unplugged", [&] { h.di.unplug(stick), h.app.enumHwDevices(); }, &stick, 30, 0},
        {"plugged, assigned again", [&] { h.di.plug(stick), h.app.enumHwDevices(), bindStick(); }, &stick, 35, 1},
        {"pilot outside", [&] { h.app.il2Com.iInCockpit = 0; }, &stick, 50, 0},
    };
    run([&] {
        for (const auto& r : rows) {
            SCOPED_TRACE(r.name);
            if (r.action) onLoop(r.action);
            LONG r0 = reads();
            move(*r.ctrl, r.percent);
            if (r.rounds) {
                EXPECT_TRUE(waitFor(3000, [&] { return lastSent(r.percent); }));
            }
            // A still controller costs nothing: no round follows the move's own.
            EXPECT_FALSE(waitFor(80, [&] { return reads() > r0 + r.rounds; }));
            EXPECT_EQ(r0 + r.rounds, reads());
        }
    });
}

TEST_F(InputEventTest, NoisyStickCostsAtMostOneRoundPerFourMsAndItsLastValueIsSent) {
    run([&] {
        LARGE_INTEGER f, t0, t1;
        QueryPerformanceFrequency(&f);
        QueryPerformanceCounter(&t0);
        LONG r0 = reads();
        int i = 0;
        do {  // a new value about every millisecond for 200 ms
            move(stick, 10 + ++i % 80);
            Sleep(1);
            QueryPerformanceCounter(&t1);
        } while (t1.QuadPart - t0.QuadPart < f.QuadPart / 5);
        double ms = 1000.0 * (t1.QuadPart - t0.QuadPart) / f.QuadPart;
        EXPECT_TRUE(waitFor(3000, [&] { return lastSent(10 + i % 80); }));  // the round held back comes
        EXPECT_LE(reads() - r0, ms / 4 + 2) << i << " moves in " << ms << " ms";
        EXPECT_GE(reads() - r0, 5) << i << " moves in " << ms << " ms";
    });
}

// Open handles of this process. GetProcessHandleCount answers 0 under Wine 8;
// Wine hands out the lowest free handle value, so a leak shows below 8192.
int openHandles() {
    int n = 0;
    DWORD dwFlags = 0;
    for (ULONG_PTR h = 4; h < 8192; h += 4) n += GetHandleInformation(reinterpret_cast<HANDLE>(h), &dwFlags) != 0;
    return n;
}

TEST_F(InputEventTest, DiscoveryPassesReplaceEventsWithoutLeakingHandles) {
    int before = openHandles();
    for (int i = 0; i < 10; ++i) ASSERT_EQ(0, h.app.enumHwDevices());
    EXPECT_EQ(before, openHandles());
    int live = 0;
    for (int n = 0; n < h.di.deviceCount(); ++n) live += h.di.device(n)->hNotify != nullptr;
    EXPECT_EQ(2, live);  // the newest device of each controller
}

}  // namespace
