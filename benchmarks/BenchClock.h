#pragma once
// Wall-clock time for the benchmarks, from the performance counter, and the median of runs.

#include <windows.h>

#include <algorithm>
#include <vector>

inline double nowUs() {
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1e6 / static_cast<double>(freq.QuadPart);
}

inline double median(std::vector<double> runs) {
    std::sort(runs.begin(), runs.end());
    return runs.empty() ? -1.0 : runs[runs.size() / 2];
}
