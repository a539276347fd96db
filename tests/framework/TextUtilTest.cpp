#include <gtest/gtest.h>
#include <locale.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "framework/TempDir.h"
#include "framework/TextFormat.h"
#include "framework/TextUtil.h"

namespace svu {
namespace {

// Channel texts of every shape that instruments and the program write, converted bit for bit as
// the C library converts them (the tests run in the C locale), signed zeros included.
TEST(TextUtil, AtoFAgreesWithTheCLibraryBitForBit) {
    std::mt19937_64 rng(23);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-30, 30);
    const char* formats[] = {"%.0f", "%.1f", "%.2f", "%.3f", "%.6f", "%.5G", "%.9g", "%.15g", "%.17g", "%.3e", "%.12E"};
    long mismatches = 0;
    std::string first;
    char text[128];
    for (int i = 0; i < 300000; ++i) {
        const double v = mantissa(rng) * std::pow(10.0, exponent(rng));
        std::snprintf(text, sizeof text, formats[i % std::size(formats)], v);
        std::string t = text;
        if (i % 7 == 0) {
            t = "  " + t + "x";  // leading space, trailing junk
        }
        const double mine = AtoF(t);
        const double theirs = std::strtod(t.c_str(), nullptr);
        if (std::memcmp(&mine, &theirs, sizeof mine) != 0 && mismatches++ == 0) {
            first = t;
        }
    }
    for (const char* t : {"-0", "-0.0", "0e5", "1e", "1e+", "1.e3", "-.5", "000123.4500", "1234567890123456789",
                          "0.1234567890123456789", "9007199254740993", "1e22", "1e23", "1e-22", "1e-23", "123456789012345e-5",
                          "4.9e-324", "1.7976931348623157e308", "2e308"}) {
        const double mine = AtoF(t);
        const double theirs = std::strtod(t, nullptr);
        if (std::memcmp(&mine, &theirs, sizeof mine) != 0 && mismatches++ == 0) {
            first = t;
        }
    }
    EXPECT_EQ(mismatches, 0) << "first: " << first;
}

TEST(TextUtil, AtoFReadsTheLongestDecimalPrefix) {
    EXPECT_DOUBLE_EQ(AtoF("12.5"), 12.5);
    EXPECT_DOUBLE_EQ(AtoF("  -3.25e2xyz"), -325.0);
    EXPECT_DOUBLE_EQ(AtoF(" 0.2"), 0.2);
    EXPECT_DOUBLE_EQ(AtoF(".5"), 0.5);
    EXPECT_DOUBLE_EQ(AtoF("7."), 7.0);
    EXPECT_DOUBLE_EQ(AtoF("1e"), 1.0);
    EXPECT_DOUBLE_EQ(AtoF("12,5"), 12.0);
    // Not numbers: give 0, including the forms strtod would otherwise accept.
    for (const char* text : {"", "abc", "-", ".", "e5", "nan", "inf", "0x1A"}) {
        EXPECT_EQ(AtoF(text), 0.0) << text;
    }
    // The text need not be terminated where the view ends.
    EXPECT_DOUBLE_EQ(AtoF(std::string_view("12345", 2)), 12.0);
}

TEST(TextUtil, AtoIAndAtoLFollowAtoiAndSaturate) {
    EXPECT_EQ(AtoI(" +42abc"), 42);
    EXPECT_EQ(AtoI("-17"), -17);
    EXPECT_EQ(AtoI("x1"), 0);
    EXPECT_EQ(AtoI("2147483647"), INT_MAX);
    EXPECT_EQ(AtoI("-2147483648"), INT_MIN);
    EXPECT_EQ(AtoI("99999999999"), INT_MAX);
    EXPECT_EQ(AtoI("-99999999999"), INT_MIN);
    EXPECT_EQ(AtoL("-9223372036854775808"), LONG_MIN);
    EXPECT_EQ(AtoL("123456789012"), 123456789012L);
}

TEST(TextUtil, ControlCharsZerosAndBytes) {
    std::string line =
        "\x03"
        "12.5\r\n,3\x03";
    StripControlChars(line);
    EXPECT_EQ(line, "12.5,3");

    for (auto [in, out] : {std::pair{"12.50000", "12.5"},
                           {"3.000", "3.0"},
                           {"3.", "3."},
                           {"100", "100"},
                           {"0.0", "0.0"},
                           {"1.50E+10", "1.5E+10"},
                           {"", ""}}) {
        std::string text = in;
        TrimTrailingZeros(text);
        EXPECT_EQ(text, out) << in;
    }

    EXPECT_EQ(SwapBytes(0x1234), 0x3412);
    EXPECT_EQ(LowNibble(0xA7), 0x07);
    EXPECT_EQ(HighNibble(0xA7), 0x0A);
}

TEST(TextFormat, PrintfConversionsAreTypeSafe) {
    EXPECT_EQ(Format("Page %i", 3), "Page 3");
    EXPECT_EQ(Format("Starting %s: %.2f %s", "05/12/26", 6.0, "mm"), "Starting 05/12/26: 6.00 mm");
    EXPECT_EQ(Format("Time remaining %i:%02i (approx.)", 4, 7), "Time remaining 4:07 (approx.)");
    EXPECT_EQ(Format("%.5G|%g|%5.1f|%-4d|%+d|%x|%X|%c|%%", 12.34567, 0.5, 2.25, 7, 5, 255, 255, 'A'),
              "12.346|0.5|  2.2|7   |+5|ff|FF|A|%");
    EXPECT_EQ(Format("%u", -1), "4294967295");
    EXPECT_EQ(Format("%*d|%-*s|%.*s", 4, 1, 3, "a", 2, "abcdef"), "   1|a  |ab");
    EXPECT_EQ(Format("%5s|%.1s", std::string("ab"), std::string_view("xyz")), "   ab|x");
    // Mismatched or missing arguments convert instead of misbehaving.
    EXPECT_EQ(Format("%d %s %f", 2.9, 17, "1.5"), "2 17 1.500000");
    EXPECT_EQ(Format("%s and %d", "one"), "one and 0");
    EXPECT_EQ(Format("%ld %lld %hu", 1L, 2LL, 3), "1 2 3");
    EXPECT_EQ(Format("50%"), "50%");
    EXPECT_EQ(Format("%q %n|", 1, 2), "%q |");
}

TEST(TextFormat, PositionalMarkers) {
    EXPECT_EQ(FormatMessage("%1% of %2 Completed", {"50", "data.htm"}), "50% of data.htm Completed");
    EXPECT_EQ(FormatMessage("%1 min %2 sec", {"3"}), "3 min ? sec");
    EXPECT_EQ(FormatMessage("%2 to %1 100%", {"a", "b"}), "b to a 100%");
}

bool gBuiltLocale = false;

// A locale whose decimal point is a comma, from the system or, failing that, built for the test;
// empty when neither is possible.
std::string CommaLocale() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "nl_NL.UTF-8"}) {
        if (setlocale(LC_NUMERIC, name)) {
            setlocale(LC_NUMERIC, "C");
            return name;
        }
    }
    static test::TempDir dir;
    const std::string command = "localedef -i de_DE -f UTF-8 '" + dir.File("de_DE.UTF-8") + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) == 0) {
        setenv("LOCPATH", dir.Path().c_str(), 1);
        gBuiltLocale = true;
        if (setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
            setlocale(LC_NUMERIC, "C");
            return "de_DE.UTF-8";
        }
    }
    return {};
}

TEST(TextUtil, NumbersUseCLocaleRulesUnderACommaLocale) {
    const std::string name = CommaLocale();
    if (name.empty()) {
        GTEST_SKIP() << "no locale with a decimal comma on this machine";
    }
    ASSERT_TRUE(setlocale(LC_NUMERIC, name.c_str()));
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    const bool commaActive = std::string(probe) == "1,5";

    EXPECT_DOUBLE_EQ(AtoF("12.5"), 12.5);
    EXPECT_DOUBLE_EQ(AtoF("12,5"), 12.0);
    EXPECT_EQ(FormatG5(12.34567), "12.346");
    EXPECT_EQ(FormatC("%.2f;%g", 1.25, 0.5), "1.25;0.5");
    EXPECT_EQ(Format("%.1f %s", 2.5, 0.25), "2.5 0.25");
    setlocale(LC_NUMERIC, "C");
    if (gBuiltLocale) {
        unsetenv("LOCPATH");
    }
    EXPECT_TRUE(commaActive) << "the comma locale did not take effect, so the checks above proved nothing";
}

}  // namespace
}  // namespace svu
