// Prints the cost of one ProfileDev2Axis::apply call on its four paths.
// Usage: bench_apply [iterations-in-millions]   (default 20)

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "BenchClock.h"
#include "app/Quorix.h"
#include "profile/ProfileDev2Axis.h"

namespace {

enum { RAW_TABLE = 4096 };

double nowNs() { return nowUs() * 1000.0; }

// raws[i & mask] is fed in turn; the sum of results keeps the calls alive.
// Ten batches: the fastest shows the cost, the median how much the machine's
// other load disturbed it (QueryPerformanceCounter counts wall time).
void measure(const char* label, ProfileDev2Axis& axis, const int* raws, unsigned mask, long long n) {
    enum { BATCHES = 10 };
    double ns[BATCHES];
    double sum = 0.0;
    long long changed = 0;
    const long long per = n / BATCHES;
    long long i = 0;
    for (int b = 0; b < BATCHES; ++b) {
        double t0 = nowNs();
        for (long long end = i + per; i < end; ++i) {
            int c = 0;
            double v = 0.0;
            axis.apply(c, v, raws[static_cast<unsigned>(i) & mask]);
            sum += v;
            changed += c;
        }
        ns[b] = (nowNs() - t0) / static_cast<double>(per);
    }
    std::sort(ns, ns + BATCHES);
    printf("%-46s best %6.2f  median %6.2f ns/call  (%lld calls, %lld changed, sum %.1f)\n", label, ns[0],
           ns[BATCHES / 2], per * BATCHES, changed, sum);
}

}  // namespace

int main(int argc, char** argv) {
    long long millions = argc > 1 ? atoll(argv[1]) : 20;
    if (millions <= 0) millions = 20;
    const long long fast = millions * 1000000LL;
    const long long slow = fast / 2;

    Quorix app;
    static int walk[RAW_TABLE];
    static int flat[RAW_TABLE];
    unsigned seed = 12345;
    int pos = 30000;
    for (int i = 0; i < RAW_TABLE; ++i) {
        flat[i] = (i * 7919) & 0xFFFF;  // 7919 is odd: neighbours always differ
        // A random walk with frequent reversals, never standing still.
        seed = seed * 1103515245u + 12345u;
        int stepSize = 50 + static_cast<int>((seed >> 16) % 700);
        pos += (seed >> 30) & 1 ? stepSize : -stepSize;
        if (pos < 1000 || pos > 64000) pos = 32768;
        walk[i] = pos;
    }
    const int unchanged[1] = {32768};
    const int clamped[2] = {500, 600};

    ProfileDev2Axis a(app, IDIL_AILERONS, nullptr);
    measure("unchanged raw", a, unchanged, 0, fast);

    ProfileDev2Axis b(app, IDIL_AILERONS, nullptr);
    b.iMinCalibVal = 1000;
    b.iMaxCalibVal = 3000;
    measure("raw clamps to the previous value", b, clamped, 1, fast);

    ProfileDev2Axis c(app, IDIL_AILERONS, nullptr);
    measure("changing raw, flat curve", c, flat, RAW_TABLE - 1, slow);

    ProfileDev2Axis d(app, IDIL_AILERONS, nullptr);
    d.bIs50Axis = 1;
    d.dRvBugCor = 3.0;
    for (int j = 0; j < TRANSLATE_POINTS; ++j) d.setTranslate(j, 40 + 3 * (j < 10 ? 9 - j : j - 10));
    measure("changing raw, centred curve, G940 correction", d, walk, RAW_TABLE - 1, slow);
    return 0;
}
