#include <gtest/gtest.h>

#include "derived/ProcessedExtreme.h"
#include "derived/ProcessedIntegrationDay.h"
#include "derived/ProcessedSectorSpeed.h"
#include "derived/ProcessedSum.h"
#include "derived/ProcessedSunshineHours.h"
#include "derived/TestStation.h"
#include "framework/LocalTime.h"
#include "framework/TextUtil.h"

namespace svu {
namespace {

using test::TestStation;

const TimeT kMorning = FromLocal(2024, 6, 10, 6, 0, 0);

TEST(Extreme, KeepsTheSourceTextOfTheFirstExtreme) {
    TestStation st;
    auto& mx = st.Add<ProcessedExtreme>();
    mx.sourceChannel = 0;
    st.Reading(kMorning, {"12.50"});
    EXPECT_EQ(st.Out(), "12.50");
    st.Reading(kMorning + 60, {"13.1"});
    st.Reading(kMorning + 120, {"13.10"});
    st.Reading(kMorning + 180, {"9"});
    EXPECT_EQ(st.Out(), "13.1");

    auto& mn = st.Add<ProcessedExtreme>();
    mn.sourceChannel = 0;
    mn.maximum = 0;
    st.Reading(kMorning + 240, {"4.0"});
    st.Reading(kMorning + 300, {"4"});  // equal, not lower
    st.Reading(kMorning + 360, {"5"});
    EXPECT_EQ(st.Out(1), "4.0");
}

TEST(Extreme, NewDayAndResetStartAgain) {
    TestStation st;
    auto& mx = st.Add<ProcessedExtreme>();
    mx.sourceChannel = 0;
    st.Reading(kMorning, {"20"});
    st.Reading(kMorning + 86400, {"3"});
    EXPECT_EQ(st.Out(), "3");
    st.Reading(kMorning + 86400 + 60, {"2"});
    mx.Reset();
    st.Reading(kMorning + 86400 + 120, {"1"});
    EXPECT_EQ(st.Out(), "1");
}

TEST(IntegrationDay, DegreeDaysAboveAndBelow) {
    TestStation st;
    auto& above = st.Add<ProcessedIntegrationDay>();
    above.sourceChannel = 0;
    above.referenceValue = 15.5f;
    auto& below = st.Add<ProcessedIntegrationDay>();
    below.sourceChannel = 0;
    below.above = 0;
    below.referenceValue = 25.5f;
    st.values[1] = "yesterday";
    st.Reading(kMorning, {"20.5"});
    EXPECT_EQ(st.Out(0), "");  // the first reading only starts the period
    for (int s = 1; s <= 12 * 3600; ++s) {
        st.Reading(kMorning + s, {"20.5"});
    }
    EXPECT_EQ(st.Out(0), "2.5");
    EXPECT_EQ(st.Out(1), "2.5");

    // Midnight: the first reading of the day writes nothing, the next starts from zero.
    const TimeT midnight = FromLocal(2024, 6, 11, 0, 0, 30);
    st.Reading(midnight, {"30"});
    EXPECT_EQ(st.Out(0), "2.5");
    st.Reading(midnight + 8640, {"30"});
    EXPECT_EQ(st.Out(0), "1.45");
    EXPECT_EQ(st.Out(1), "0");
}

TEST(SunshineHours, CountsIntervalsSunnyAtBothEnds) {
    TestStation st;
    auto& sun = st.Add<ProcessedSunshineHours>();
    sun.sourceChannel = 0;
    sun.threshold = 120.0f;
    st.Reading(kMorning, {"200"});
    EXPECT_EQ(st.Out(), "0");
    st.Reading(kMorning + 60, {"120"});
    EXPECT_NEAR(AtoF(st.Out()), 1.0 / 60.0, 1e-6);
    st.Reading(kMorning + 120, {"119"});
    st.Reading(kMorning + 180, {"500"});
    EXPECT_NEAR(AtoF(st.Out()), 1.0 / 60.0, 1e-6);
    for (int i = 1; i <= 3600; ++i) {
        st.Reading(kMorning + 180 + i, {"800"});
    }
    EXPECT_EQ(st.Out(), "1.0167");
    st.Reading(kMorning + 86400, {"800"});  // next day
    EXPECT_EQ(st.Out(), "0");
}

TEST(Sum, AddsUsableEntriesAndFollowsDeletion) {
    TestStation st;
    auto& sum = st.Add<ProcessedSum>();
    st.Reading(0, {"1", "2", "3", "4.5", "5", "6", "7"});
    EXPECT_EQ(st.Out(), "0");
    sum.channels = {3, 4, 6, 0xFFFFFFFFu, 1000};
    st.Reading(1, {"1", "2", "3", "4.5", "5", "6", "7"});
    EXPECT_EQ(st.Out(), "16.5");
    sum.OnChannelDeleted(4);
    EXPECT_EQ(sum.channels, (std::vector<uint32_t>{3, 5, 0xFFFFFFFFu, 999}));
    sum.OnChannelInserted(4);
    EXPECT_EQ(sum.channels, (std::vector<uint32_t>{3, 6, 0xFFFFFFFFu, 1000}));
}

TEST(SectorSpeed, NeedsBothSectorAndStrictlyHigherSpeed) {
    TestStation st;
    auto& ss = st.Add<ProcessedSectorSpeed>();
    ss.directionChannel = 0;
    ss.speedChannel = 1;
    ss.sectorFrom = 350.0f;
    ss.sectorTo = 10.0f;
    ss.speedThreshold = 5.0f;
    st.Reading(0, {"355", "5"});
    EXPECT_EQ(st.Out(), "0");
    st.Reading(1, {"355", "5.1"});
    EXPECT_EQ(st.Out(), "1");
    st.Reading(2, {"20", "9"});
    EXPECT_EQ(st.Out(), "0");
}

}  // namespace
}  // namespace svu
