// Benchmark (not a test): a poll round with the configuration dialog open, over 8
// scripted controllers with 8 assigned axes each, the link up to the stand-in
// simulator on 127.0.0.1.
//   (a) every controller still: control writes after the first (redraw) pass, us per round
//   (b) every axis changing every round: us per round and control writes per round
//   (c) as (b) with the link down: the dialog's own share
//   (d) one axis moving, the one the response plot shows, the dialog's messages handled
//       after each round as its modal loop does: us per round, plot paints per round
//   (e) one paint of the response plot: us

#include <windows.h>

#include <commctrl.h>

#include <cstdio>

#include "BenchClock.h"
#include "BenchLoad.h"
#include "il2sim/Il2SimServer.h"
#include "support/SetTextCounter.h"

namespace {

const int kDevices = 8;
DWORD WINAPI frozenTick() { return 100000; }

void pumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

}  // namespace

int main() {
    InitCommonControls();
    Il2SimServer sim;
    if (sim.start(0) != 0) {
        fprintf(stderr, "bench_dialog: cannot start the stand-in simulator on 127.0.0.1\n");
        return 1;
    }
    sim.setInCockpit(1);

    VirtualDirectInput di;
    Quorix app;
    BenchAssignments assignments;
    if (loadBench("bench_dialog", app, di, kDevices, assignments, sim.port(), frozenTick) != 0) return 1;

    HWND dlg = CreateDialogParamA(app.hInstance, "DLGCFG", nullptr, DlgCfgProc, reinterpret_cast<LPARAM>(&app));
    if (!dlg || app.dlgCfg.hDlg != dlg) {
        fprintf(stderr, "bench_dialog: the dialog did not open\n");
        return 1;
    }
    SetTextCounter writes(dlg);
    if (app.runRound() != 0 || !app.il2Com.bConnected || app.il2Com.iInCockpit != 1) {
        fprintf(stderr, "bench_dialog: no link to the stand-in simulator\n");
        return 1;
    }
    // The tick stays frozen: no further link tests, every round is the devices' and the dialog's work.
    long firstPass = writes.lWrites;

    const int kStill = 100000;
    writes.lWrites = 0;
    double t0 = nowUs();
    for (int i = 0; i < kStill; ++i) app.runRound();
    double stillUs = (nowUs() - t0) / kStill;
    printf("(a) still controllers, dialog open, 8 x 8 axes: %.3f us per round\n", stillUs);
    printf("    control writes: %ld in the first (redraw) pass, %ld in the %d rounds after it\n", firstPass,
           writes.lWrites, kStill);
    const int kStillPumped = 1000;
    pumpMessages();
    writes.lPlotPaints = 0;
    for (int i = 0; i < kStillPumped; ++i) {
        app.runRound();
        pumpMessages();
    }
    printf("    plot paints in %d still rounds with the messages handled: %ld\n", kStillPumped, writes.lPlotPaints);

    const int kMoving = 2000;
    writes.lWrites = 0;
    sim.clearRecords();
    t0 = nowUs();
    for (int i = 0; i < kMoving; ++i) {
        LONG v = (i % 2) ? 1000 : 64000;
        for (int d = 0; d < kDevices; ++d)
            for (int a = HWA_X; a < HWA_X + HWA_COUNT; ++a) di.setAxis(d, a, v);
        if (app.runRound() != 0) {
            fprintf(stderr, "bench_dialog: a round failed\n");
            return 1;
        }
    }
    double movingUs = (nowUs() - t0) / kMoving;
    sim.waitForRecords(static_cast<size_t>(kMoving) * 64, 5000);
    printf("(b) every axis changing, dialog open: %.1f us per round, %.2f control writes per round "
           "(24 expected: the shown device), %zu of %d datagrams arrived\n",
           movingUs, static_cast<double>(writes.lWrites) / kMoving, sim.recordCount(), kMoving * 64);

    // The same without the link: what the dialog and the transfer functions cost alone.
    app.il2Com.closeConnection();
    writes.lWrites = 0;
    t0 = nowUs();
    for (int i = 0; i < kMoving; ++i) {
        LONG v = (i % 2) ? 1000 : 64000;
        for (int d = 0; d < kDevices; ++d)
            for (int a = HWA_X; a < HWA_X + HWA_COUNT; ++a) di.setAxis(d, a, v);
        app.runRound();
    }
    double localUs = (nowUs() - t0) / kMoving;
    printf("(c) every axis changing, dialog open, link down (nothing sent): %.1f us per round, "
           "%.2f control writes per round, %.1f us per write at most\n",
           localUs, static_cast<double>(writes.lWrites) / kMoving, localUs * kMoving / writes.lWrites);

    // The shown device is the first one listed; the plot shows its first assigned axis, X.
    pumpMessages();
    writes.lWrites = writes.lPlotPaints = 0;
    t0 = nowUs();
    for (int i = 0; i < kMoving; ++i) {
        di.setAxis(0, HWA_X, (i % 2) ? 1000 : 64000);
        app.runRound();
        pumpMessages();
    }
    double oneUs = (nowUs() - t0) / kMoving;
    printf("(d) one axis moving (the plotted one), messages handled after each round: %.1f us per round, "
           "%.2f control writes (3 expected) and %.2f plot paints per round\n",
           oneUs, static_cast<double>(writes.lWrites) / kMoving, static_cast<double>(writes.lPlotPaints) / kMoving);

    HWND plot = GetDlgItem(dlg, 220);
    if (plot) {
        const int kPaints = 1000;
        t0 = nowUs();
        for (int i = 0; i < kPaints; ++i) {
            InvalidateRect(plot, nullptr, FALSE);
            UpdateWindow(plot);
        }
        printf("(e) one paint of the response plot: %.1f us\n", (nowUs() - t0) / kPaints);
    } else {
        printf("(e) no response plot in this dialog\n");
    }

    DestroyWindow(dlg);
    padsimSetInProcess(nullptr);
    sim.stop();
    return 0;
}
