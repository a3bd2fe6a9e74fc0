// Benchmark (not a test) of the real quorix.exe with virtual controllers and the
// stand-in simulator on 127.0.0.1, at a 10 ms poll interval:
//   - axis-move-to-datagram latency over 600 moves (p50, p99)
//   - CPU used by quorix.exe over 20 s with two still controllers and the link up
//   - datagrams sent per still minute (only the link's tests are expected)

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "support/E2eRig.h"

namespace {

double nowMs() { return nowUs() / 1000.0; }

double cpuSeconds(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
    auto s = [](const FILETIME& f) { return ((ULONGLONG(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 1e7; };
    return s(kernel) + s(user);
}

std::atomic<int> gWanted{-1};   // percent whose command we wait for
std::atomic<double> gArrived{0};
HANDLE gArrivedEvent = nullptr;

}  // namespace

int main(int argc, char** argv) {
    int moves = argc > 1 ? atoi(argv[1]) : 600;
    int cpuSecondsWindow = argc > 2 ? atoi(argv[2]) : 20;
    clearQuorixSettings();
    E2eRig rig;
    if (!rig.prepare()) {
        fprintf(stderr, "bench_e2e: cannot prepare the program folder or the simulator\n");
        return 1;
    }
    rig.sim.setInCockpit(1);
    gArrivedEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    // Lines arrive on the simulator's thread as datagrams are read.
    rig.sim.setLineSink([](const std::string& line) {
        int want = gWanted.load();
        if (want < 0) return;
        char expect[64];
        snprintf(expect, sizeof expect, "cmd Ailerons %.2f", want * 0.02 - 1.0);
        if (line == expect) {
            gArrived = nowMs();
            gWanted = -1;
            SetEvent(gArrivedEvent);
        }
    });
    seedLink(rig.sim.port(), 10);
    seedAssignment("Bench", 1, 1, 1);  // stick X -> Ailerons
    seedAssignment("Bench", 11, 2, 3); // throttle Z -> Rudder
    rig.pads.plug(2);
    if (!rig.startQuorix()) {
        fprintf(stderr, "bench_e2e: quorix.exe did not start\n");
        return 1;
    }
    if (!rig.waitForCommand("R/85\\-1.00/85\\0.00", 10000)) {
        fprintf(stderr, "bench_e2e: no command arrived\n");
        return 1;
    }

    // Latency: each move goes to a whole percentage the previous one was not.
    std::vector<double> lat;
    int lost = 0;
    for (int i = 0; i < moves; ++i) {
        int percent = 5 + (i * 37) % 90;
        long raw = (percent * 65536L + 50) / 100;
        ResetEvent(gArrivedEvent);
        gWanted = percent;
        double t0 = nowMs();
        rig.pads.setAxis(1, 1, raw);
        if (WaitForSingleObject(gArrivedEvent, 1000) != WAIT_OBJECT_0) {
            ++lost;
            gWanted = -1;
            continue;
        }
        lat.push_back(gArrived.load() - t0);
        Sleep(static_cast<DWORD>(3 + i % 7));  // moves land at different points of the poll cycle
    }
    std::sort(lat.begin(), lat.end());
    auto pct = [&](double p) { return lat.empty() ? -1.0 : lat[std::min(lat.size() - 1, size_t(p * lat.size()))]; };
    printf("latency over %zu moves at 10 ms polling: p50 %.1f ms, p99 %.1f ms, max %.1f ms (target p99 <= 12 ms); "
           "%d moves without a datagram\n",
           lat.size(), pct(0.50), pct(0.99), lat.empty() ? -1.0 : lat.back(), lost);

    // Still: CPU and datagrams.
    Sleep(500);
    rig.sim.clearRecords();
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, rig.quorix.pid());
    double c0 = cpuSeconds(process), w0 = nowMs();
    Sleep(static_cast<DWORD>(cpuSecondsWindow) * 1000);
    double c1 = cpuSeconds(process), w1 = nowMs();
    CloseHandle(process);
    size_t still = rig.sim.recordCount();
    size_t commands = rig.commands().size();
    double wallS = (w1 - w0) / 1000.0;
    printf("CPU of quorix.exe over %.0f s, two still controllers, link up, 10 ms polling: %.2f %% of one core "
           "(target <= 1 %%)\n",
           wallS, 100.0 * (c1 - c0) / wallS);
    printf("datagrams per still minute: %.0f (%zu control commands), i.e. the link's R/2 and R/6\\81 once a second\n",
           still * 60.0 / wallS, commands);

    DWORD code = 0;
    rig.quorix.quit(code);
    clearQuorixSettings();
    return 0;
}
