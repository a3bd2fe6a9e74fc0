#pragma once
// Rounding helpers of the axis arithmetic.

int roundMy(double x);
double roundnMy(double x, int n);
inline double absf(double x) { return x < 0 ? -x : x; }
