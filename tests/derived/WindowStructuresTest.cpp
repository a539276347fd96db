#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <random>

#include "derived/ExactSum.h"
#include "derived/RunningMaximum.h"
#include "derived/SampleWindow.h"

namespace svu {
namespace {

TEST(ExactSum, CancelsExactlyWhateverTheMagnitudes) {
    ExactSum sum;
    sum.Add(1e30);
    sum.Add(0.1);
    sum.Add(-3.25);
    sum.Add(1e-30);
    sum.Subtract(1e30);
    EXPECT_EQ(sum.Value(), 0.1 - 3.25 + 1e-30);
    sum.Subtract(0.1);
    sum.Subtract(-3.25);
    sum.Subtract(1e-30);
    EXPECT_EQ(sum.Value(), 0.0);

    // A double running sum would lose the small term to the large one for good.
    sum.Add(1.0);
    sum.Add(1e-20);
    sum.Subtract(1.0);
    EXPECT_EQ(sum.Value(), 1e-20);
    sum.Clear();
    EXPECT_EQ(sum.Value(), 0.0);
}

TEST(ExactSum, AgreesWithLongDoubleOnRandomRuns) {
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> value(-1000.0, 1000.0);
    std::deque<double> window;
    ExactSum sum;
    for (int i = 0; i < 20000; ++i) {
        const double v = value(rng) * (i % 7 == 0 ? 1e-9 : 1.0);
        window.push_back(v);
        sum.Add(v);
        if (window.size() > 50) {
            sum.Subtract(window.front());
            window.pop_front();
        }
        long double reference = 0;
        for (const double w : window) {
            reference += w;
        }
        ASSERT_NEAR(sum.Value(), static_cast<double>(reference), 1e-9) << i;
    }
}

TEST(ExactSum, NonFiniteTermsLeaveNoTrace) {
    ExactSum sum;
    sum.Add(2.0);
    sum.Add(std::numeric_limits<double>::infinity());
    EXPECT_EQ(sum.Value(), std::numeric_limits<double>::infinity());
    sum.Add(-std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(sum.Value()));
    sum.Subtract(std::numeric_limits<double>::infinity());
    sum.Subtract(-std::numeric_limits<double>::infinity());
    sum.Add(std::numeric_limits<double>::quiet_NaN());
    sum.Subtract(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(sum.Value(), 2.0);
}

// The window keeps what a walk over the whole list would, and the running maximum agrees with a
// scan, including readings whose times go backwards.
TEST(SampleWindow, TrimsAndTracksMaximumLikeAFullScan) {
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> step(-2, 6);
    std::uniform_real_distribution<float> value(-50.0f, 50.0f);
    SampleWindow window;
    RunningMaximum maximum;
    std::deque<Sample> reference;
    TimeT t = 1000;
    int64_t weighted = 0;
    for (int i = 0; i < 5000; ++i) {
        t += step(rng);
        const Sample s{t, std::round(value(rng))};
        window.Push(
            s, 30,
            [&](const Sample& p, const Sample& c) { weighted += Interval(p, c) * static_cast<int64_t>(c.value); },
            [&](const Sample& o, const Sample& n) { weighted -= Interval(o, n) * static_cast<int64_t>(n.value); });
        maximum.Push(window.OldestNumber() + window.Size() - 1, s.value);
        maximum.DropBefore(window.OldestNumber());

        reference.push_back(s);
        while (reference.size() >= 2 && reference.back().time - reference.front().time > 30) {
            reference.pop_front();
        }
        ASSERT_EQ(window.Size(), reference.size());
        ASSERT_EQ(window.Oldest().time, reference.front().time);
        float largest = reference.front().value;
        int64_t expected = 0;
        for (size_t k = 0; k < reference.size(); ++k) {
            largest = std::max(largest, reference[k].value);
            if (k > 0) {
                expected += (reference[k].time - reference[k - 1].time) * static_cast<int64_t>(reference[k].value);
            }
        }
        ASSERT_EQ(maximum.Value(), largest);
        ASSERT_EQ(weighted, expected);
    }
}

TEST(SampleWindow, NegativeWindowKeepsTheNewest) {
    SampleWindow window;
    const auto none = [](const Sample&, const Sample&) {};
    window.Push({0, 1.0f}, -5, none, none);
    window.Push({1, 2.0f}, -5, none, none);
    ASSERT_EQ(window.Size(), 1u);
    EXPECT_EQ(window.Newest().value, 2.0f);
}

}  // namespace
}  // namespace svu
