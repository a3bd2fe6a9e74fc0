#include "base/MyMiscFuncs.h"

#include <climits>
#include <cmath>

// Half away from zero, decided on x itself: x + 0.5 in double arithmetic would
// turn 0.49999999999999994 into 1. The fraction x - trunc(x) is always exact.
int roundMy(double x) {
    if (!(x == x)) return 0;
    double t = std::trunc(x);
    if (x >= 0) {
        if (x - t >= 0.5) t += 1.0;
    } else {
        if (t - x >= 0.5) t -= 1.0;
    }
    if (t >= 2147483647.0) return INT_MAX;
    if (t <= -2147483648.0) return INT_MIN;
    return static_cast<int>(t);
}

double roundnMy(double x, int n) {
    double p = 1.0;
    for (int i = 0; i < n; ++i) p *= 10.0;
    if (n < 0) {
        // Places left of the point: divide by the exact power of ten rather than
        // multiply by its inexact reciprocal.
        for (int i = 0; i > n; --i) p *= 10.0;
        return roundMy(x / p) * p;
    }
    double y = x * p;
    return roundMy(y) / p;
}
