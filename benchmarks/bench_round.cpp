// Benchmark (not a test): cost of one poll round over 8 scripted controllers with
// 8 assigned axes each, the link up to the stand-in simulator on 127.0.0.1.
//   (a) every controller still: the round's own cost beyond the GetDeviceState calls
//   (b) every axis changing every round: cost per round and per datagram

#include <windows.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "BenchClock.h"
#include "app/Quorix.h"
#include "il2sim/Il2SimServer.h"
#include "support/Pads.h"

namespace {

const int kDevices = 8;
DWORD gTick = 100000;
DWORD WINAPI frozenTick() { return gTick; }


}  // namespace

int main() {
    Il2SimServer sim;
    if (sim.start(0) != 0) {
        fprintf(stderr, "bench_round: cannot start the stand-in simulator on 127.0.0.1\n");
        return 1;
    }
    sim.setInCockpit(1);

    VirtualDirectInput di;
    for (int d = 0; d < kDevices; ++d) di.addController(fakeGuid(static_cast<unsigned char>(16 * d + 1)), "Stick");
    padsimSetInProcess(&di);

    Quorix app;
    app.sRegRoot = "Software\\Velmora\\QuorixBench-NoSuchKey";  // never written: nothing calls saveConfig
    Profile* unused = nullptr;
    app.profiles.readConfig(app.sRegRoot, unused);
    app.pActProfile = unused;
    padsimDirectInput8Create(nullptr, 0x0800, IID_IDirectInput8A, reinterpret_cast<void**>(&app.pDI), nullptr);
    if (app.enumHwDevices() != 0 || app.hwDevices.count != kDevices) {
        fprintf(stderr, "bench_round: discovery failed\n");
        return 1;
    }

    // A profile holds one assignment per control (14), so the 64 assignments of
    // this load are hung on the axes directly, as binding would.
    std::vector<std::unique_ptr<ProfileDev2Axis>> assignments;
    for (int d = 0; d < kDevices; ++d) {
        HwDevice* dev = app.hwDevices.items[d];
        for (int a = 0; a < HWA_COUNT; ++a) {
            ILDevice* control = app.ilDevices.apDevices[a];
            assignments.emplace_back(new ProfileDev2Axis(app, control->id, control));
            dev->axes[a].pDev2Axis = assignments.back().get();
            dev->axes[a].pILDevice = control;
        }
        dev->bInUse = 1;
    }

    app.il2Com.pfnGetTickCount = frozenTick;
    MyString addr("127.0.0.1");
    app.il2Com.setAddress(addr);
    app.il2Com.setPort(sim.port());
    if (app.runRound() != 0 || !app.il2Com.bConnected || app.il2Com.iInCockpit != 1) {
        fprintf(stderr, "bench_round: no link to the stand-in simulator\n");
        return 1;
    }
    // The tick stays frozen: no further link tests, every round is the devices' work.

    // GetDeviceState alone, to subtract it.
    const int kStill = 200000;
    DIJOYSTATE2 js;
    IDirectInputDevice8A* probe = app.hwDevices.items[0]->pDiDevice;
    double t0 = nowUs();
    for (int i = 0; i < kStill * kDevices; ++i) probe->GetDeviceState(sizeof js, &js);
    double stateUs = (nowUs() - t0) / kStill;  // per round of 8 devices

    app.runRound();  // settle: every axis has its value
    sim.waitForRecords(66, 2000);  // the link's two requests and the flush
    sim.clearRecords();
    t0 = nowUs();
    for (int i = 0; i < kStill; ++i) app.runRound();
    double stillUs = (nowUs() - t0) / kStill;
    Sleep(200);
    size_t stillDatagrams = sim.recordCount();

    printf("(a) still controllers, 8 x 8 axes: %.3f us per round, %.3f us of it GetDeviceState, %.3f us beyond "
           "(target <= 2 us)\n",
           stillUs, stateUs, stillUs - stateUs);
    printf("    datagrams sent during %d still rounds: %zu\n", kStill, stillDatagrams);

    const int kMoving = 2000;
    sim.clearRecords();
    t0 = nowUs();
    for (int i = 0; i < kMoving; ++i) {
        LONG v = (i % 2) ? 1000 : 64000;
        for (int d = 0; d < kDevices; ++d) {
            for (int a = HWA_X; a <= HWA_SLD2; ++a) di.setAxis(d, a, v);
        }
        if (app.runRound() != 0) {
            fprintf(stderr, "bench_round: a round failed\n");
            return 1;
        }
    }
    double movingUs = (nowUs() - t0) / kMoving;
    sim.waitForRecords(static_cast<size_t>(kMoving) * 64, 5000);
    printf("(b) every axis changing: %.1f us per round, %.2f us per datagram (64 datagrams a round); "
           "%zu of %d datagrams arrived\n",
           movingUs, movingUs / 64, sim.recordCount(), kMoving * 64);

    app.il2Com.closeConnection();
    padsimSetInProcess(nullptr);
    sim.stop();
    return 0;
}
