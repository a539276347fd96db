#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "framework/NumberFormat.h"

namespace svu {
namespace {

// Compares the formatter with printf itself (the tests run in the C locale) and counts mismatches,
// keeping the first one for the message: a few million values must stay quick in a Debug build.
class Agreement {
public:
    explicit Agreement(int precision) : precision_(precision) {
        std::snprintf(format_, sizeof format_, "%%.%dG", precision);
    }
    void Check(double v) {
        char mine[kNumberTextSize];
        const std::size_t n = FormatGTo(mine, v, precision_);
        char theirs[64];
        std::snprintf(theirs, sizeof theirs, format_, v);
        ++checked_;
        if (mine[n] != '\0' || std::strcmp(mine, theirs) != 0) {
            if (mismatches_++ == 0) {
                char exact[64];
                std::snprintf(exact, sizeof exact, "%a", v);
                first_ = std::string(exact) + ": \"" + std::string(mine, n) + "\" but printf \"" + theirs + "\"";
            }
        }
    }
    void Expect() const {
        EXPECT_EQ(mismatches_, 0) << "%." << precision_ << "G over " << checked_ << " values; first: " << first_;
    }

private:
    int precision_;
    char format_[16];
    long checked_ = 0;
    long mismatches_ = 0;
    std::string first_;
};

double FromBits(uint64_t bits) {
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

TEST(NumberFormat, G5AgreesWithPrintfOverMillionsOfValues) {
    Agreement g5(5);
    std::mt19937_64 rng(20261207);
    // Every magnitude: random bit patterns, subnormals included (not-a-number and infinity are
    // left to FormatG5, as the callers never pass them).
    for (int i = 0; i < 1000000; ++i) {
        const double v = FromBits(rng());
        if (std::isfinite(v)) {
            g5.Check(v);
        }
    }
    // Channel-like values: a few decimals over the usual ranges.
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-12, 12);
    for (int i = 0; i < 600000; ++i) {
        g5.Check(mantissa(rng) * std::pow(10.0, exponent(rng)));
    }
    // Exact ties one place past the fifth digit, which printf rounds to even: 12345.5, 1234.75,
    // 1.03125, 123455000 and their neighbours one unit in the last place away.
    for (int m = 10000; m <= 99999; ++m) {
        for (const double v : {m + 0.5, (m * 10 + 5) * 1000.0, m / 8.0 + 1.0 / 16.0}) {
            g5.Check(v);
            g5.Check(-v);
            g5.Check(std::nextafter(v, 0.0));
            g5.Check(std::nextafter(v, 1e300));
        }
    }
    for (int j = 1; j <= 20; ++j) {
        for (int i = 0; i < 20000; ++i) {
            g5.Check(std::ldexp(static_cast<double>(rng() % 4000000), -j));
        }
    }
    // The awkward ones by name, and the limits.
    const double named[] = {0.0,
                            -0.0,
                            1e-5,
                            -1e-5,
                            0.0001,
                            0.000099995,
                            0.000099994999,
                            99999.5,
                            99999.4999,
                            999995.0,
                            9.99995,
                            0.5,
                            1.5,
                            2.5,
                            1e15,
                            1e100,
                            -1e-100,
                            std::numeric_limits<double>::max(),
                            std::numeric_limits<double>::min(),
                            std::numeric_limits<double>::denorm_min(),
                            std::numeric_limits<double>::lowest(),
                            std::numeric_limits<double>::epsilon()};
    for (const double v : named) {
        g5.Check(v);
    }
    g5.Expect();
}

TEST(NumberFormat, OtherPrecisionsAgreeWithPrintf) {
    std::mt19937_64 rng(7);
    for (int precision = 1; precision <= 17; ++precision) {
        Agreement g(precision);
        for (int i = 0; i < 20000; ++i) {
            const double v = FromBits(rng());
            if (std::isfinite(v)) {
                g.Check(v);
            }
            g.Check(static_cast<double>(rng() % 2000000) / 16.0);
        }
        for (const double v : {0.5, 1.5, 2.5, 0.05, 0.15, 0.25, 0.35, 9.5, 99.5, 0.1, 1.0 / 3.0}) {
            g.Check(v);
        }
        g.Expect();
    }
}

TEST(NumberFormat, StringFormSpellsNonFiniteValuesAsPrintfDoes) {
    EXPECT_EQ(FormatG5(-359.9), "-359.9");
    EXPECT_EQ(FormatG5(1e15), "1E+15");
    EXPECT_EQ(FormatG5(123456.7), "1.2346E+05");
    for (const double v : {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN()}) {
        char theirs[64];
        std::snprintf(theirs, sizeof theirs, "%.5G", v);
        EXPECT_EQ(FormatG5(v), theirs);
    }
}

}  // namespace
}  // namespace svu
