// Benchmark (not a test) of the real quorix.exe with virtual controllers and the
// stand-in simulator on 127.0.0.1, at 10 ms and at 100 ms poll intervals:
//   - axis-move-to-datagram latency (p50, p99), each move made after a random
//     delay of 0..interval ms, so moves land anywhere in the poll cycle
//   - CPU used by quorix.exe at rest, two still controllers and the link up
//   - datagrams sent per still minute (only the link's tests are expected)
//   - rounds (reads of the moving controller) and datagrams per second while
//     one axis changes about every millisecond
// Usage: bench_e2e [moves per interval] [seconds at rest per interval]
//        bench_e2e --log [moves per start]: instead, the latency at 10 ms of five
//        starts without /log and five with it, alternating; the median of each

#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "support/E2eRig.h"

namespace {

double nowMs() { return nowUs() / 1000.0; }

// Under Wine, GetProcessTimes of another process answers the server's stale view
// of its threads (seen off by 1-2 % of a core over 30 s at rest), so Linux's own
// count is read through Wine's Z: drive: the stat file of the newest process
// whose command line starts with exe. Empty on Windows.
std::string linuxStatPath(const std::string& exe) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA("Z:\\proc\\*", &fd);
    std::string found;
    for (BOOL ok = h != INVALID_HANDLE_VALUE; ok; ok = FindNextFileA(h, &fd)) {
        std::string dir = std::string("Z:\\proc\\") + fd.cFileName;
        FILE* f = fd.cFileName[0] >= '1' && fd.cFileName[0] <= '9' ? fopen((dir + "\\cmdline").c_str(), "rb") : nullptr;
        if (!f) continue;
        char cmd[1024] = {};
        fread(cmd, 1, sizeof cmd - 1, f);
        fclose(f);
        if (strncmp(cmd, exe.c_str(), exe.size()) == 0) found = dir + "\\stat";
    }
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
    return found;
}

double cpuSeconds(HANDLE process, const std::string& statPath) {
    if (FILE* f = statPath.empty() ? nullptr : fopen(statPath.c_str(), "rb")) {
        char line[1024] = {};
        fread(line, 1, sizeof line - 1, f);
        fclose(f);
        const char* p = strrchr(line, ')');  // the name may hold spaces; utime and stime are fields 14 and 15
        unsigned long long utime = 0, stime = 0;
        if (p && sscanf(p + 2, "%*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %llu %llu", &utime, &stime) == 2)
            return (utime + stime) / 100.0;  // Linux clock ticks
    }
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
    auto s = [](const FILETIME& f) { return ((ULONGLONG(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 1e7; };
    return s(kernel) + s(user);
}

std::atomic<int> gWanted{-1};   // percent whose command we wait for
std::atomic<double> gArrived{0};
HANDLE gArrivedEvent = nullptr;

long rawOf(int percent) { return (percent * 65536L + 50) / 100; }

struct Latency { double p50, p99; };

// Moves (each to a whole percentage the previous one was not) made after a random
// delay of 0..interval ms; prints the time from move to datagram.
Latency measure(const char* label, DWORD interval, int moves, std::mt19937& rng, const std::function<void(int)>& move) {
    std::uniform_int_distribution<int> delay(0, static_cast<int>(interval));
    std::vector<double> lat;
    int lost = 0;
    for (int i = 0; i < moves; ++i) {
        int percent = 5 + (i * 37) % 90;
        ResetEvent(gArrivedEvent);
        gWanted = percent;
        double t0 = nowMs();
        move(percent);
        if (WaitForSingleObject(gArrivedEvent, 1000) != WAIT_OBJECT_0) {
            ++lost;
            gWanted = -1;
            continue;
        }
        lat.push_back(gArrived.load() - t0);
        Sleep(static_cast<DWORD>(delay(rng)));
    }
    std::sort(lat.begin(), lat.end());
    auto pct = [&](double p) { return lat.empty() ? -1.0 : lat[std::min(lat.size() - 1, size_t(p * lat.size()))]; };
    printf("[%3lu ms] %s over %zu moves at random times: p50 %.2f ms, p90 %.2f ms, p99 %.2f ms, max %.2f ms; "
           "%d moves without a datagram\n",
           interval, label, lat.size(), pct(0.50), pct(0.90), pct(0.99), lat.empty() ? -1.0 : lat.back(), lost);
    return {pct(0.50), pct(0.99)};
}

// One start at 10 ms with args, its latency measured, then "Quit".
bool latencyOfStart(E2eRig& rig, const char* args, int moves, std::mt19937& rng, Latency& out) {
    seedLink(rig.sim.port(), 10);
    rig.pads.setAxis(1, 1, rawOf(50));
    if (!rig.startQuorix(args) || !rig.waitForCommand("R/85\\-1.00/85\\0.00", 10000)) {
        fprintf(stderr, "bench_e2e: quorix.exe%s did not start sending\n", args);
        return false;
    }
    out = measure(*args ? "move -> datagram with /log" : "move -> datagram", 10, moves, rng,
                  [&](int percent) { rig.pads.setAxis(1, 1, rawOf(percent)); });
    DWORD code = 0;
    rig.quorix.quit(code);
    rig.sim.clearRecords();
    return true;
}

bool compareLog(E2eRig& rig, int moves, std::mt19937& rng) {
    std::vector<double> p50[2], p99[2];
    for (int run = 0; run < 10; ++run) {
        Latency l;
        if (!latencyOfStart(rig, run % 2 ? " /log" : "", moves, rng, l)) return false;
        p50[run % 2].push_back(l.p50);
        p99[run % 2].push_back(l.p99);
    }
    printf("[ 10 ms] move -> datagram, median of 5 starts each: p50 %.2f ms without /log, %.2f ms with it; "
           "p99 %.2f ms without, %.2f ms with (target: within 10 %% or 0.1 ms)\n",
           median(p50[0]), median(p50[1]), median(p99[0]), median(p99[1]));
    return true;
}

// One start of quorix.exe at the given interval; prints its figures.
bool runAt(E2eRig& rig, DWORD interval, int moves, int restSeconds, std::mt19937& rng) {
    seedLink(rig.sim.port(), interval);
    rig.pads.setAxis(1, 1, rawOf(50));
    if (!rig.startQuorix()) {
        fprintf(stderr, "bench_e2e: quorix.exe did not start\n");
        return false;
    }
    if (!rig.waitForCommand("R/85\\-1.00/85\\0.00", 10000)) {
        fprintf(stderr, "bench_e2e: no command arrived\n");
        return false;
    }
    measure("move -> datagram (target p99 <= 2 ms)", interval, moves, rng,
            [&](int percent) { rig.pads.setAxis(1, 1, rawOf(percent)); });

    // At rest: CPU and datagrams.
    Sleep(500);
    rig.sim.clearRecords();
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, rig.quorix.pid());
    std::string stat = linuxStatPath(rig.sAppDir + "quorix.exe");
    double c0 = cpuSeconds(process, stat), w0 = nowMs();
    Sleep(static_cast<DWORD>(restSeconds) * 1000);
    double c1 = cpuSeconds(process, stat), w1 = nowMs();
    size_t still = rig.sim.recordCount();
    size_t commands = rig.commands().size();
    double wallS = (w1 - w0) / 1000.0;
    printf("[%3lu ms] CPU at rest over %.0f s, two still controllers, link up: %.2f %% of one core "
           "(target <= 0.5 %%; %s); datagrams per still minute: %.0f (%zu control commands)\n",
           interval, wallS, 100.0 * (c1 - c0) / wallS, stat.empty() ? "GetProcessTimes" : "Linux's count",
           still * 60.0 / wallS, commands);

    // Noisy axis: a new value about every millisecond for two seconds.
    long r0 = 0, r1 = 0;
    rig.pads.getReads(r0, 1);
    size_t d0 = rig.commands().size();
    double n0 = nowMs(), n1 = n0;
    int changes = 0;
    while ((n1 = nowMs()) - n0 < 2000) {
        rig.pads.setAxis(1, 1, rawOf(20 + changes % 60));
        ++changes;
        Sleep(1);
    }
    double c2 = cpuSeconds(process, stat);
    Sleep(200);  // the last datagrams
    rig.pads.getReads(r1, 1);
    size_t d1 = rig.commands().size();
    double noisyS = (n1 - n0) / 1000.0;
    printf("[%3lu ms] noisy axis (%.0f changes/s): %.0f rounds/s, %.0f datagrams/s, CPU %.1f %% of one core\n",
           interval, changes / noisyS, (r1 - r0) / noisyS, (d1 - d0) / noisyS, 100.0 * (c2 - c1) / noisyS);
    CloseHandle(process);

    DWORD code = 0;
    rig.quorix.quit(code);
    rig.sim.clearRecords();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const bool logMode = argc > 1 && strcmp(argv[1], "--log") == 0;
    if (logMode) {
        --argc;
        ++argv;
    }
    int moves = argc > 1 ? atoi(argv[1]) : 300;
    int restSeconds = argc > 2 ? atoi(argv[2]) : 20;
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
    seedAssignment("Bench", 1, 1, 1);  // stick X -> Ailerons
    seedAssignment("Bench", 11, 2, 3); // throttle Z -> Rudder
    rig.pads.plug(2);
    std::mt19937 rng(14);
    if (logMode) {
        bool ok = compareLog(rig, moves, rng);
        clearQuorixSettings();
        return ok ? 0 : 1;
    }
    // The machine's floor: the same datagram sent straight to the simulator, one
    // thread hop and one loopback datagram, where the program adds two hops (the
    // virtual controller's thread, the program's loop) and a poll round.
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(rig.sim.port());
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    measure("floor: datagram sent by the benchmark", 10, moves, rng, [&](int percent) {
        char text[64];
        int n = snprintf(text, sizeof text, "R/85\\-1.00/85\\%.2f", percent * 0.02 - 1.0);
        sendto(s, text, n, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    });
    closesocket(s);
    bool ok = runAt(rig, 10, moves, restSeconds, rng) && runAt(rig, 100, moves, restSeconds, rng);
    clearQuorixSettings();
    return ok ? 0 : 1;
}
