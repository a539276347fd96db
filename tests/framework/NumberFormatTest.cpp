#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

#include "framework/NumberFormat.h"

namespace svu {
namespace {

std::string G5(double v) {
    char buf[kNumberTextSize];
    const std::size_t n = FormatG5To(buf, v);
    EXPECT_EQ(buf[n], '\0');
    return std::string(buf, n);
}

// printf itself, in the C locale the tests run in.
std::string Printf(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.5G", v);
    return buf;
}

TEST(NumberFormat, MatchesPrintfG5InTheCLocale) {
    EXPECT_EQ(G5(12.34567), "12.346");
    EXPECT_EQ(G5(0.0), "0");
    EXPECT_EQ(G5(123456.7), "1.2346E+05");
    EXPECT_EQ(G5(0.00001234), "1.234E-05");
    EXPECT_EQ(G5(-359.9), "-359.9");
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-40, 40);
    for (int i = 0; i < 20000; ++i) {
        const double v = mantissa(rng) * std::pow(10.0, exponent(rng));
        ASSERT_EQ(G5(v), Printf(v)) << v;
    }
    for (const double v : {0.5, 1.5, 2.5, 99999.5, 999995.0, 0.000099995, 1e15, -0.0}) {
        EXPECT_EQ(G5(v), Printf(v)) << v;
    }
}

TEST(NumberFormat, StringFormAgreesAndSpellsNonFiniteValues) {
    EXPECT_EQ(FormatG5(-359.9), "-359.9");
    EXPECT_EQ(FormatG5(1e15), "1E+15");
    EXPECT_EQ(FormatG5(std::numeric_limits<double>::infinity()), "INF");
    EXPECT_EQ(FormatG5(-std::numeric_limits<double>::infinity()), "-INF");
}

}  // namespace
}  // namespace svu
