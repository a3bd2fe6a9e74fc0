// Benchmark (not a test) of the input path on Windows' terms, in-process with the
// virtual controllers and the stand-in simulator on 127.0.0.1:
//   (a) a 1 kHz burst of one axis on a virtual clock whose waits last whole ticks of
//       15.625 ms: rounds per second and the delay of the burst's last value, with
//       the high-resolution timer and where the system refuses it
//   (b) a stick moving at about 1 kHz while a composite controller announces five
//       interfaces and a USB drive arrives: discovery passes, and the longest time
//       without a round of the stick
//   (c) a controller that DirectInput lists 500 ms after its arrival: time from the
//       plug to its first datagram
// Wine's enumeration takes microseconds where Windows' takes up to hundreds of
// milliseconds; (b) counts the passes, which that time multiplies.

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "BenchClock.h"
#include "app/Timer.h"
#include "support/DlgDriver.h"
#include "support/IntegrationHelpers.h"
#include "support/VirtualLoop.h"

namespace {

// A running application with a stick on Ailerons, the link up, the pilot in the cockpit.
class Bench : public SimAppTest {
public:
    using AppTest::bind;
    using AppTest::h;
    using SimAppTest::pedals;
    using SimAppTest::sim;
    using SimAppTest::stick;
    Bench() : SimAppTest(true) {}
    void TestBody() override {}
    bool up() {
        SetUp();
        if (HasFatalFailure()) return false;
        bind(IDIL_AILERONS, HWA_X);
        sim.setInCockpit(1);
        return h.app.runRound() == 0 && h.app.il2Com.iInCockpit == 1;
    }
    long reads() { return h.di.controller(stick).iReads; }
};

void burst() {
    for (bool bTimer : {true, false}) {
        Bench b;
        if (!b.up()) return;
        const int kMoves = 2000;
        VirtualLoop v(bTimer, kMoves, [&](int k) { b.h.di.setAxis(b.stick, HWA_X, 1000 + (k * 37 % 80) * 600); },
                      [&] { return b.reads(); });
        v.run(b.h.app);
        printf("(a) 1 kHz burst, %s: %.0f rounds/s, last value after %.2f ms\n",
               bTimer ? "high-resolution timer" : "timer refused",
               v.roundsInBurst() * 1e6 / (v.llLastMoveUs - v.llFirstMoveUs), v.lastValueDelayUs() / 1000.0);
    }
}

// Runs the program's message loop on this thread, its poll timer at 10 ms, while script runs on another.
void withLoop(Bench& b, const std::function<void()>& script) {
    startTimer(&b.h.app);
    std::thread t([&] { script(), PostMessageA(b.h.app.hFrameWnd, WM_QUIT, 0, 0); });
    runMessageLoop(b.h.app);
    t.join();
}

void eventStorm() {
    Bench b;
    if (!b.up()) return;
    std::atomic<bool> bStop{false};
    double longestMs = 0;
    const int passes = b.h.di.iEnumDevicesCalls;
    withLoop(b, [&] {
        std::thread mover([&] {
            for (int k = 0; !bStop; ++k) b.h.di.setAxis(b.stick, HWA_X, 1000 + k % 2 * 30000), Sleep(1);
        });
        long lastReads = b.reads();
        double t0 = nowUs(), tLast = t0;
        bool bSent = false;
        while (nowUs() - t0 < 1500000) {
            if (!bSent && nowUs() - t0 > 300000) {
                char name[128];
                for (int i = 1; i <= 5; ++i) {
                    padsimInterfaceName(name, b.pedals, i);
                    padsimSendInterfaceEvent(b.h.app.hFrameWnd, DBT_DEVICEARRIVAL, name);
                }
                padsimSendVolumeArrival(b.h.app.hFrameWnd);
                bSent = true;
            }
            long r = b.reads();
            double t = nowUs();
            if (r != lastReads) lastReads = r, tLast = t;
            if (t - tLast > longestMs * 1000) longestMs = (t - tLast) / 1000;
            Sleep(0);
        }
        bStop = true;
        mover.join();
    });
    printf("(b) five interface arrivals and a USB drive: %d discovery passes; longest time without a round "
           "of the moving stick %.1f ms\n",
           b.h.di.iEnumDevicesCalls - passes, longestMs);
}

void lateListing() {
    Bench b;
    if (!b.up()) return;
    b.bind(IDIL_RUDDER, HWA_Z, 40);
    b.h.di.setAxis(b.pedals, HWA_Z, 0);
    double ms = -1;
    auto sent = [&](const char* cmd) {
        return dlgWait([&] {
            for (const Il2SimRecord& r : b.sim.records())
                if (r.sDatagram == cmd) return true;
            return false;
        }, 6000);
    };
    withLoop(b, [&] {
        char name[128];
        padsimInterfaceName(name, b.pedals, 1);
        sent("R/89\\-1.00/89\\-1.00");  // the pedals at rest, read by the poll timer
        const int passes = b.h.di.iEnumDevicesCalls;
        b.h.di.unplug(b.pedals);
        padsimSendInterfaceEvent(b.h.app.hFrameWnd, DBT_DEVICEREMOVECOMPLETE, name);
        dlgWait([&] { return b.h.di.iEnumDevicesCalls > passes && !b.h.app.bEnumerating; }, 3000);
        b.h.di.setAxis(b.pedals, HWA_Z, 65535);
        Sleep(100);  // anything sent before the removal has arrived
        b.sim.clearRecords();
        b.h.di.controller(b.pedals).dwListDelayMs = 500;
        double t0 = nowUs();
        b.h.di.plug(b.pedals);
        padsimSendInterfaceEvent(b.h.app.hFrameWnd, DBT_DEVICEARRIVAL, name);
        if (sent("R/89\\-1.00/89\\1.00")) ms = (nowUs() - t0) / 1000;
    });
    if (ms < 0)
        printf("(c) controller listed 500 ms late: no datagram within 6 s of the plug\n");
    else
        printf("(c) controller listed 500 ms late: first datagram %.0f ms after the plug\n", ms);
}

}  // namespace

int main() {
    burst();
    eventStorm();
    lateListing();
    return 0;
}
