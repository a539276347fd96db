#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "derived/Formulas.h"
#include "derived/ValueParse.h"
#include "framework/TextUtil.h"

namespace svu {
namespace {

std::string G5(double v) {
    char buf[kNumberTextSize];
    const std::size_t n = FormatG5To(buf, v);
    return std::string(buf, n);
}

TEST(Formulas, FormatMatchesPrintfG5) {
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
        ASSERT_EQ(G5(v), FormatG5(v)) << v;
    }
    for (const double v : {0.5, 1.5, 2.5, 99999.5, 999995.0, 0.000099995, 1e15, -0.0}) {
        EXPECT_EQ(G5(v), FormatG5(v)) << v;
    }
}

TEST(Formulas, ParseValueIsAtoF) {
    for (const char* text : {"", " 12.5x", "+3", "-0", "1e400", "-1e-400", "4.9e-324", ".", "-.5e1", "0x1A", "inf",
                             "nan", "1.e5", "\t7", "1e", "+-1", "99999999999999999999"}) {
        EXPECT_EQ(std::bit_cast<uint64_t>(ParseValue(text)), std::bit_cast<uint64_t>(AtoF(text))) << text;
    }
    std::mt19937 rng(5);
    const std::string alphabet = " +-.0123456789eEx";
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 14);
    for (int i = 0; i < 50000; ++i) {
        std::string text;
        for (int n = length(rng); n > 0; --n) {
            text += alphabet[pick(rng)];
        }
        ASSERT_EQ(std::bit_cast<uint64_t>(ParseValue(text)), std::bit_cast<uint64_t>(AtoF(text))) << text;
    }
}

TEST(Formulas, ScaleAbsoluteAndWindTo) {
    EXPECT_EQ(G5(ScaleValue(AtoF("12.34567"), 1.0f, 0.0f)), "12.346");
    EXPECT_DOUBLE_EQ(ScaleValue(2.0, 1.5f, -1.0f), 2.0);
    EXPECT_EQ(G5(WindToDirection(180.0)), "0");
    EXPECT_EQ(G5(WindToDirection(179.9)), "359.9");
    EXPECT_EQ(G5(WindToDirection(200.0)), "20");
    EXPECT_EQ(G5(WindToDirection(-30.0)), "150");
    EXPECT_EQ(G5(WindToDirection(600.0)), "420");
}

TEST(Formulas, VapourDewAndWetBulb) {
    // 10^0.78571 is 6.1053 (the saturation pressure at 0 degrees of this formula).
    EXPECT_EQ(G5(VapourPressure(0.0f, 100.0)), "6.1053");
    const auto dew = DewPoint(6.1078);
    ASSERT_TRUE(dew.has_value());
    EXPECT_NEAR(*dew, 0.0, 0.01);
    EXPECT_NEAR(*DewPoint(VapourPressure(0.0f, 100.0)), 0.0, 1e-5);
    EXPECT_NEAR(*DewPoint(VapourPressure(20.0f, 50.0)), 9.26, 0.05);
    EXPECT_FALSE(DewPoint(0.0).has_value());
    EXPECT_FALSE(DewPoint(-1.0).has_value());
    EXPECT_FALSE(DewPoint(std::pow(10.0, 8.2857)).has_value());

    // Saturated air: the wet bulb is the air temperature.
    EXPECT_NEAR(*WetBulbTemperature(20.0f, 100.0, 1013.0), 20.0, 0.01);
    const auto dry = WetBulbTemperature(20.0f, 50.0, 1013.0);
    ASSERT_TRUE(dry.has_value());
    EXPECT_GT(*dry, 9.0);
    EXPECT_LT(*dry, 20.0);
    EXPECT_FALSE(WetBulbTemperature(20.0f, 0.0, 1013.0).has_value());
}

TEST(Formulas, PressureReductions) {
    EXPECT_DOUBLE_EQ(QfePressure(1000.0, 15.0, 0.0f), 1000.0);
    EXPECT_GT(QfePressure(1000.0, 15.0, 10.0f), 1000.0);
    EXPECT_DOUBLE_EQ(QnhPressure(1000.0, 0.0f), 1000.0);
    EXPECT_GT(QnhPressure(1000.0, 100.0f), 1011.0);
    EXPECT_FALSE(std::isfinite(QnhPressure(0.0, 0.0f)));  // written as nothing by the channel
}

TEST(Formulas, WindComponents) {
    EXPECT_EQ(G5(CrossWindComponent(270.0f, 12.0, 270.0f)), "0");
    EXPECT_EQ(G5(HeadWindComponent(270.0f, 12.0, 270.0f)), "12");
    EXPECT_NEAR(CrossWindComponent(90.0f, 10.0, 0.0f), 10.0, 1e-9);
    EXPECT_NEAR(CrossWindComponent(270.0f, 10.0, 0.0f), -10.0, 1e-8);
    EXPECT_NEAR(HeadWindComponent(180.0f, 10.0, 0.0f), -10.0, 1e-9);
}

TEST(Formulas, BeaufortScale) {
    EXPECT_EQ(BeaufortForce(0.5), 0);
    EXPECT_EQ(BeaufortForce(0.52), 1);
    EXPECT_EQ(BeaufortForce(33.0), 12);
    EXPECT_STREQ(BeaufortText(BeaufortForce(33.0)), "Hurricane");
    EXPECT_STREQ(BeaufortText(0), "Calm");
    EXPECT_EQ(BeaufortForce(10.0), 5);  // 19.4 knots
    EXPECT_EQ(BeaufortForce(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(Formulas, ComparisonAndSector) {
    EXPECT_FALSE(CompareWithFixed(static_cast<float>(AtoF("")), 3, 0.0f));  // "<>" 0 with no text
    EXPECT_TRUE(CompareWithFixed(1.0f, 0, 2.0f));
    EXPECT_TRUE(CompareWithFixed(2.0f, 1, 2.0f));
    EXPECT_TRUE(CompareWithFixed(2.0f, 2, 2.0f));
    EXPECT_TRUE(CompareWithFixed(2.0f, 4, 2.0f));
    EXPECT_FALSE(CompareWithFixed(2.0f, 5, 2.0f));
    EXPECT_FALSE(CompareWithFixed(3.0f, 6, 2.0f));

    for (const double d : {355.0, 0.0, 10.0}) {
        EXPECT_TRUE(InSector(d, 350.0f, 10.0f)) << d;
    }
    EXPECT_FALSE(InSector(20.0, 350.0f, 10.0f));
    EXPECT_TRUE(InSector(90.0, 90.0f, 180.0f));
    EXPECT_TRUE(InSector(180.0, 90.0f, 180.0f));
    EXPECT_FALSE(InSector(80.0, 90.0f, 180.0f));
}

TEST(Formulas, AngleOfSums) {
    EXPECT_EQ(AngleOfSums(0.0, 0.0), 90.0);
    EXPECT_EQ(AngleOfSums(-1.0, 0.0), 270.0);
    EXPECT_NEAR(AngleOfSums(-1.0, 1.0), 315.0, 1e-6);
    EXPECT_NEAR(AngleOfSums(0.0, -1.0), 180.0, 1e-6);
}

}  // namespace
}  // namespace svu
