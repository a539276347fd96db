#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "derived/Formulas.h"
#include "derived/ProcessedBeaufort.h"
#include "derived/ProcessedQFE.h"
#include "derived/ProcessedWetBulb.h"
#include "derived/TestStation.h"
#include "derived/ValueParse.h"
#include "framework/NumberFormat.h"
#include "framework/TextUtil.h"

namespace svu {
namespace {

using test::TestStation;

std::string G5(double v) {
    char buf[kNumberTextSize];
    const std::size_t n = FormatG5To(buf, v);
    return std::string(buf, n);
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
    EXPECT_NEAR(*WetBulbTemperature(20.0f, 100.0, 1013.0), 20.0, 1e-12);
    EXPECT_FALSE(WetBulbTemperature(20.0f, 0.0, 1013.0).has_value());
}

// Values worked by hand through the documented steps (single precision where they say "as float").
TEST(Formulas, WetBulbPinnedToWorkedValues) {
    EXPECT_NEAR(*WetBulbTemperature(20.0f, 50.0, 1013.0), 14.198497240572657, 1e-9);
    EXPECT_NEAR(*WetBulbTemperature(25.3f, 62.0, 1008.4), 20.191658224653718, 1e-9);
    EXPECT_NEAR(*WetBulbTemperature(-5.0f, 80.0, 990.0), -5.831573958984283, 1e-9);

    TestStation st(3);
    auto& wet = st.Add<ProcessedWetBulb>();
    wet.pressureChannel = 0;
    wet.humidityChannel = 1;
    wet.temperatureChannel = 2;
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"1013", "50", "20"}, "14.198"},
        {{"1008.4", "62", "25.3"}, "20.192"},
        {{"990", "80", "-5"}, "-5.8316"},
        {{"1013", "100", "30"}, "30"},
    };
    for (const auto& [inputs, text] : cases) {
        st.Reading(0, inputs);
        EXPECT_EQ(st.Out(), text) << inputs[2];
    }
}

TEST(Formulas, PressureReductions) {
    EXPECT_EQ(QfePressure(1013.2, 20.0, 0.0f), 1013.2);  // height 0: the pressure itself
    EXPECT_NEAR(QfePressure(1000.0, 15.0, 10.0f), 1001.1276187663159, 1e-9);
    EXPECT_NEAR(QfePressure(1013.2, 20.0, 25.5f), 1016.0685496498626, 1e-9);
    EXPECT_NEAR(QfePressure(995.0, -3.0, -12.0f), 993.570467911605, 1e-9);  // sensor below the runway
    EXPECT_EQ(QnhPressure(980.0, 0.0f), 980.0);                             // height 0: the QFE itself
    EXPECT_NEAR(QnhPressure(1000.0, 100.0f), 1011.9439442151894, 1e-9);
    EXPECT_NEAR(QnhPressure(1001.2, 84.0f), 1011.2349210572387, 1e-9);

    TestStation st(2);
    auto& qfe = st.Add<ProcessedQFE>();
    qfe.pressureChannel = 0;
    qfe.temperatureChannel = 1;
    qfe.sensorHeight = 10.0f;
    st.Reading(0, {"1000", "15"});
    EXPECT_EQ(st.Out(), "1001.1");
    qfe.sensorHeight = -12.0f;
    st.Reading(1, {"995", "-3"});
    EXPECT_EQ(st.Out(), "993.57");
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
    EXPECT_EQ(BeaufortForce(0.5), 0);   // 0.97 knots
    EXPECT_EQ(BeaufortForce(0.52), 1);  // 1.01 knots
    EXPECT_EQ(BeaufortForce(33.0), 12);
    EXPECT_STREQ(BeaufortText(BeaufortForce(33.0)), "Hurricane");
    EXPECT_EQ(BeaufortForce(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(BeaufortForce(-3.0), 0);
}

// Each force ends where the speed in knots (m/s x 1.942603, in single precision) reaches its
// limit: a speed whose knots fall one float short of the limit keeps the force, one whose knots
// reach it exactly is the next force.
TEST(Formulas, BeaufortLimitsBothSides) {
    const float kLimits[12] = {1.0f, 3.5f, 6.5f, 10.5f, 16.5f, 21.5f, 27.5f, 33.5f, 40.5f, 47.5f, 55.5f, 63.5f};
    const double perKnot = 1.0 / static_cast<double>(1.942603f);
    for (int force = 0; force < 12; ++force) {
        const float limit = kLimits[force];
        EXPECT_EQ(BeaufortForce(std::nextafter(limit, 0.0f) * perKnot), force) << limit;
        EXPECT_EQ(BeaufortForce(limit * perKnot), force + 1) << limit;
    }

    // The same limits as the channel reads them, in m/s texts to four places.
    const char* kBelowAndAbove[12][2] = {
        {"0.5147", "0.5148"},   {"1.8017", "1.8018"},   {"3.3460", "3.3461"},   {"5.4051", "5.4052"},
        {"8.4937", "8.4938"},   {"11.0676", "11.0677"}, {"14.1562", "14.1563"}, {"17.2449", "17.2450"},
        {"20.8483", "20.8484"}, {"24.4517", "24.4518"}, {"28.5699", "28.5700"}, {"32.6880", "32.6881"},
    };
    const char* kTexts[13] = {"Calm",         "Light air",     "Light breeze", "Gentle breeze", "Moderate breeze",
                              "Fresh breeze", "Strong breeze", "Near gale",    "Gale",          "Strong gale",
                              "Storm",        "Violent storm", "Hurricane"};
    TestStation st(1);
    auto& number = st.Add<ProcessedBeaufort>();
    number.sourceChannel = 0;
    auto& text = st.Add<ProcessedBeaufort>();
    text.sourceChannel = 0;
    text.textDescription = 1;
    for (int force = 0; force < 12; ++force) {
        for (int side = 0; side < 2; ++side) {
            st.Reading(0, {kBelowAndAbove[force][side]});
            EXPECT_EQ(st.Out(0), std::to_string(force + side)) << kBelowAndAbove[force][side];
            EXPECT_EQ(st.Out(1), kTexts[force + side]) << kBelowAndAbove[force][side];
        }
    }
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
