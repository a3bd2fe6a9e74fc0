#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/MyString.h"

namespace {
std::string text(double v, int decimals) {
    MyString s(nullptr);
    EXPECT_EQ(0, ValueToString(s, v, decimals));
    return s.text();
}

// The locales a test sets in turn: one whose decimal point is "," when one is installed, then "C" (where it ends).
std::vector<std::string> locales() {
    for (const char* name : {"German_Germany.1252", "de-DE", "de_DE", "French_France.1252"})
        if (setlocale(LC_ALL, name) && strcmp(localeconv()->decimal_point, ",") == 0) return {name, "C"};
    return {"C"};
}
}  // namespace

TEST(ValueToString, IntegersAppendToExistingText) {
    for (int v : {0, -7, INT_MAX, INT_MIN}) {
        MyString s("x=");
        EXPECT_EQ(0, ValueToString(s, v));
        EXPECT_EQ("x=" + std::to_string(v), s.text());
    }
}

TEST(ValueToString, FixedDecimals) {
    const struct { double v; int decimals; const char* text; } cases[] = {
        {12.3456, 2, "12.35"},     {99.999, 2, "100.00"},    {0.125, 2, "0.13"},       {-0.125, 2, "-0.13"},
        {1.005, 2, "1.00"},        {-0.001, 2, "-0.00"},     {-0.0, 2, "-0.00"},       {4.9e-324, 2, "0.00"},
        {1234.5, 1, "1234.5"},     {-2.9, 0, "-2"},          {2.9, 0, "2"},            {-0.5, 0, "0"},
        // Past the range where the product with 10^decimals is exact in a double.
        {35184372088832.125, 2, "35184372088832.13"},     {-70368744177664.375, 2, "-70368744177664.38"},
        {70368744177664.125, 2, "70368744177664.13"},
        {1267650600228229401496703205376.0, 1, "1267650600228229401496703205376.0"},  // 2^100
        // More decimals than a double carries: the exact binary value.
        {0.1, 20, "0.10000000000000000555"},               {0.0009765625, 12, "0.000976562500"},
        {0.0009765625, 9, "0.000976563"},                  {-1.5, 8, "-1.50000000"},
    };
    for (const std::string& where : locales()) {  // the point stays a dot
        setlocale(LC_ALL, where.c_str());
        for (const auto& c : cases) EXPECT_EQ(c.text, text(c.v, c.decimals)) << where;
    }
}

TEST(ValueToString, EveryAxisCommandValue) {
    for (int n = 0; n <= 100; ++n) {  // n * 0.02 - 1 is inexact in binary; its text must be exact
        int h = 2 * n - 100, m = h < 0 ? -h : h;
        char want[8];
        snprintf(want, sizeof want, "%s%d.%02d", h < 0 ? "-" : "", m / 100, m % 100);
        EXPECT_EQ(want, text(n * 0.02 - 1, 2)) << "n=" << n;
    }
}

TEST(StringToDouble, ParsesLikeAtofInTheCLocale) {
    const struct { const char* text; double v; } cases[] = {
        {"1.50", 1.5},     {"  -2.5e1x", -25.0}, {"abc", 0.0},   {"1e", 1.0},         {".5", 0.5},
        {"-.5e-1", -0.05}, {"", 0.0},            {".", 0.0},     {"-", 0.0},          {"+3", 3.0},
        {"1e+", 1.0},      {"\t\n 7", 7.0},      {"1,5", 1.0},   {"1.5.3", 1.5},      {"0x10", 0.0},
        {"2E3", 2000.0},   {"0.1", 0.1},         {"12345678901234567890", 12345678901234567890.0},
    };
    const std::vector<std::string> all = locales();
    for (const std::string& where : all) {
        setlocale(LC_ALL, where.c_str());
        for (const auto& c : cases) {
            SCOPED_TRACE(where + ": '" + c.text + "'");
            double out = 99.0;
            EXPECT_EQ(0, StringToDouble(out, c.text));
            EXPECT_EQ(c.v, out);
        }
    }
    double out = 99.0;
    EXPECT_EQ(0, StringToDouble(out, static_cast<const char*>(nullptr)) + out);
    if (all.size() == 1) GTEST_SKIP() << "checked in \"C\" only: no locale with a decimal comma is installed";
}
