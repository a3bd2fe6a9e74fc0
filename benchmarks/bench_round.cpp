// Benchmark (not a test): cost of one poll round over 8 scripted controllers with
// 8 assigned axes each, the link up to the stand-in simulator on 127.0.0.1.
//   (a) every controller still: the round's own cost beyond the GetDeviceState calls
//   (b) every axis changing every round: cost per round and per datagram
//   (c) one axis changing every round, without and with the log of /log (a
//       file in the temp folder): the median of five runs each, alternating

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <vector>

#include "BenchClock.h"
#include "BenchLoad.h"
#include "il2sim/Il2SimServer.h"

namespace {

const int kDevices = 8;
DWORD gTick = 100000;
DWORD WINAPI frozenTick() { return gTick; }

// Microseconds per round while the first controller's X axis changes every round.
double oneAxisUs(Quorix& app, VirtualDirectInput& di, int rounds) {
    double t0 = nowUs();
    for (int i = 0; i < rounds; ++i) {
        di.setAxis(0, HWA_X, (i % 2) ? 1000 : 64000);
        app.runRound();
    }
    return (nowUs() - t0) / rounds;
}
}  // namespace

int main() {
    Il2SimServer sim;
    if (sim.start(0) != 0) {
        fprintf(stderr, "bench_round: cannot start the stand-in simulator on 127.0.0.1\n");
        return 1;
    }
    sim.setInCockpit(1);

    VirtualDirectInput di;
    Quorix app;
    BenchAssignments assignments;
    if (loadBench("bench_round", app, di, kDevices, assignments, sim.port(), frozenTick) != 0) return 1;
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

    const int kOneAxis = 20000;
    wchar_t logDir[MAX_PATH];
    GetTempPathW(MAX_PATH - 20, logDir);
    wcscat(logDir, L"quorix-bench-log");
    std::vector<double> plain, logged;
    for (int run = 0; run < 5; ++run) {
        plain.push_back(oneAxisUs(app, di, kOneAxis));
        if (app.openLog(logDir) != 0) {
            fprintf(stderr, "bench_round: cannot open a log in the temp folder\n");
            return 1;
        }
        logged.push_back(oneAxisUs(app, di, kOneAxis));
        app.closeLog();
    }
    printf("(c) one axis changing every round, median of 5 runs of %d rounds: %.2f us without the log, %.2f us "
           "with /log's (target: within 10 %% or 100 us)\n",
           kOneAxis, median(plain), median(logged));

    app.il2Com.closeConnection();
    padsimSetInProcess(nullptr);
    sim.stop();
    return 0;
}
