#include <gtest/gtest.h>

#include <cmath>

#include "derived/ProcessedAngleAverage.h"
#include "derived/ProcessedRollingAverage.h"
#include "derived/ProcessedRollingMaximum.h"
#include "derived/ProcessedTimeInSector.h"
#include "derived/TestStation.h"
#include "framework/TextUtil.h"

namespace svu {
namespace {

using test::TestStation;

TEST(RollingAverage, FirstSampleCarriesNoWeight) {
    TestStation st;
    auto& avg = st.Add<ProcessedRollingAverage>();
    avg.sourceChannel = 0;
    avg.windowSeconds = 10;
    st.Reading(0, {"1"});
    EXPECT_EQ(st.Out(), "1");
    st.Reading(5, {"2"});
    st.Reading(10, {"4"});
    EXPECT_EQ(avg.Samples().Size(), 3u);
    EXPECT_EQ(st.Out(), "3");  // (2 x 5 + 4 x 5) / 10
    st.Reading(16, {"6"});     // 16 - 5 > 10: the samples of 0 and 5 leave
    ASSERT_EQ(avg.Samples().Size(), 2u);
    EXPECT_EQ(avg.Samples().Oldest().time, 10);
    EXPECT_EQ(st.Out(), "6");

    avg.Reset();
    EXPECT_EQ(avg.Samples().Size(), 0u);
    st.Reading(17, {"8.5"});
    EXPECT_EQ(st.Out(), "8.5");
}

TEST(RollingAverage, SameReadingTimeWritesNewestAndNothingWithoutSource) {
    TestStation st;
    auto& avg = st.Add<ProcessedRollingAverage>();
    avg.sourceChannel = 0;
    st.Reading(100, {"1"});
    st.Reading(100, {"5"});
    EXPECT_EQ(st.Out(), "5");
    avg.sourceChannel = -1;
    st.Reading(101, {"9"});
    EXPECT_EQ(st.Out(), "5");
    EXPECT_EQ(avg.Samples().Size(), 2u);
}

// A long window driven far past its length still gives the exact mean of what it holds.
TEST(RollingAverage, LongRunsKeepEveryDigit) {
    TestStation st;
    auto& avg = st.Add<ProcessedRollingAverage>();
    avg.sourceChannel = 0;
    avg.windowSeconds = 100;
    for (int t = 0; t < 20000; ++t) {
        st.Reading(t, {t < 10000 ? "123456.7" : "0.001"});
    }
    EXPECT_EQ(st.Out(), "0.001");
}

TEST(AngleAverage, AveragesAcrossNorth) {
    TestStation st;
    auto& avg = st.Add<ProcessedAngleAverage>();
    avg.sourceChannel = 0;
    avg.windowSeconds = 60;
    st.Reading(0, {"370"});
    EXPECT_EQ(st.Out(), "370");
    avg.Reset();
    st.Reading(0, {"0"});
    st.Reading(10, {"350"});
    st.Reading(20, {"10"});
    const double d = AtoF(st.Out());
    EXPECT_TRUE(std::fabs(d) < 0.001 || std::fabs(d - 360.0) < 0.001) << st.Out();

    avg.Reset();
    st.Reading(30, {"200"});
    st.Reading(30, {"250"});  // no interval has any length: C is 0 and S is 0
    EXPECT_EQ(st.Out(), "90");
}

TEST(RollingMaximum, LargestOfTheWindowOldestIncluded) {
    TestStation st;
    auto& mx = st.Add<ProcessedRollingMaximum>();
    mx.sourceChannel = 0;
    mx.windowSeconds = 10;
    st.Reading(0, {"-5"});
    st.Reading(1, {"-3"});
    EXPECT_EQ(st.Out(), "-3");
    st.Reading(5, {"7"});
    st.Reading(12, {"2"});
    EXPECT_EQ(st.Out(), "7");
    st.Reading(16, {"1"});  // 7 at t=5 leaves
    EXPECT_EQ(st.Out(), "2");
}

TEST(TimeInSector, FractionOfTheWindowInsideTheSector) {
    TestStation st;
    auto& tis = st.Add<ProcessedTimeInSector>();
    tis.directionChannel = 0;
    tis.sectorFrom = 350.0f;
    tis.sectorTo = 10.0f;
    st.Reading(0, {"0"});
    EXPECT_EQ(st.Out(), "1");
    st.Reading(10, {"355"});
    st.Reading(20, {"5"});
    EXPECT_EQ(st.Out(), "1");
    tis.Reset();
    st.Reading(0, {"0"});
    st.Reading(10, {"355"});
    st.Reading(20, {"20"});
    EXPECT_EQ(st.Out(), "0.5");

    // Editing the sector recounts the samples already held.
    tis.sectorFrom = 15.0f;
    tis.sectorTo = 30.0f;
    st.Reading(30, {"20"});
    EXPECT_EQ(st.Out(), "0.66667");  // 20 s of 30 (the samples at 20 and 30)
    st.Reading(30, {"0"});
    EXPECT_EQ(st.Out(), "0.66667");
}

TEST(WindowKinds, CloneCarriesTheSamples) {
    TestStation st;
    auto& avg = st.Add<ProcessedRollingAverage>();
    avg.sourceChannel = 0;
    st.Reading(0, {"1"});
    st.Reading(5, {"3"});
    auto copy = avg.Clone();
    auto* copied = dynamic_cast<ProcessedRollingAverage*>(copy.get());
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->Samples().Size(), 2u);
    EXPECT_EQ(copied->name, avg.name);
    EXPECT_EQ(copied->station, &st);
    st.derived[0] = std::move(copy);
    st.Reading(10, {"5"});
    EXPECT_EQ(st.Out(), "4");
}

}  // namespace
}  // namespace svu
