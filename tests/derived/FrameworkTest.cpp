#include <gtest/gtest.h>

#include "derived/ProcessedBeaufort.h"
#include "derived/ProcessedChannelRatio.h"
#include "derived/ProcessedCompareFixed.h"
#include "derived/ProcessedDew.h"
#include "derived/ProcessedQNH.h"
#include "derived/ProcessedScale.h"
#include "derived/ProcessedVapour.h"
#include "derived/ProcessedWetBulb.h"
#include "derived/TestStation.h"

namespace svu {
namespace {

using test::TestStation;

TEST(DerivedFramework, DefaultNameIsTheSmallestFreeDataNumber) {
    TestStation st(2);
    EXPECT_EQ(DefaultDerivedName(st), "Data1");
    st.channelNames[0] = "Data1";  // raw names do not count
    EXPECT_EQ(st.Add<ProcessedScale>().name, "Data1");
    st.Add<ProcessedScale>().name = "Data3";
    EXPECT_EQ(st.Add<ProcessedScale>().name, "Data2");
    EXPECT_EQ(st.Add<ProcessedScale>().name, "Data4");
    st.derived[0]->name = "data5";
    EXPECT_EQ(DefaultDerivedName(st), "Data1");
}

TEST(DerivedFramework, LaterSourcesLagOneReading) {
    TestStation st(1);
    auto& early = st.Add<ProcessedScale>();  // channel 1: reads channel 2, computed after it
    auto& late = st.Add<ProcessedScale>();   // channel 2: input x 2
    auto& after = st.Add<ProcessedScale>();  // channel 3: reads channel 2, computed before it
    early.sourceChannel = 2;
    late.sourceChannel = 0;
    late.gain = 2.0f;
    after.sourceChannel = 2;
    st.Reading(0, {"1"});
    EXPECT_EQ(st.Out(0), "0");  // channel 2 was still empty
    EXPECT_EQ(st.Out(2), "2");
    st.Reading(1, {"5"});
    EXPECT_EQ(st.Out(0), "2");
    EXPECT_EQ(st.Out(2), "10");
}

TEST(DerivedFramework, UnusableReferencesWriteNothing) {
    TestStation st(2);
    auto& scale = st.Add<ProcessedScale>();
    st.values[2] = "old";
    st.Reading(0, {"12.34567"});
    EXPECT_EQ(st.Out(), "old");
    scale.sourceChannel = 3;  // == N
    st.Reading(1, {"12.34567"});
    EXPECT_EQ(st.Out(), "old");
    scale.sourceChannel = 0;
    st.Reading(2, {"12.34567"});
    EXPECT_EQ(st.Out(), "12.346");
}

TEST(DerivedFramework, DeletionAndInsertionFollowThePhysicalChannel) {
    // Raw 0..3, derived A (4), B (5), C (6); B reads A and raw 2, C reads B.
    TestStation st(4);
    st.Add<ProcessedScale>();
    auto& b = st.Add<ProcessedVapour>();
    auto& c = st.Add<ProcessedDew>();
    b.temperatureChannel = 4;
    b.humidityChannel = 2;
    c.vapourChannel = 5;
    for (auto& d : st.derived) {
        d->OnChannelDeleted(4);  // A deleted
    }
    EXPECT_EQ(b.temperatureChannel, -1);
    EXPECT_EQ(b.humidityChannel, 2);
    EXPECT_EQ(c.vapourChannel, 4);

    for (auto& d : st.derived) {
        d->OnChannelInserted(2);  // a raw channel inserted at 2
    }
    EXPECT_EQ(b.temperatureChannel, -1);
    EXPECT_EQ(b.humidityChannel, 3);
    EXPECT_EQ(c.vapourChannel, 5);

    auto& wet = st.Add<ProcessedWetBulb>();
    wet.pressureChannel = 0;
    wet.humidityChannel = 1;
    wet.temperatureChannel = 7;
    wet.OnChannelInserted(1);
    EXPECT_EQ(wet.pressureChannel, 0);
    EXPECT_EQ(wet.humidityChannel, 2);
    EXPECT_EQ(wet.temperatureChannel, 8);
}

TEST(DerivedFramework, OutputsWrittenAsTextNotNumbers) {
    TestStation st(1);
    auto& cmp = st.Add<ProcessedCompareFixed>();
    cmp.sourceChannel = 0;
    cmp.operatorIndex = 3;
    auto& bf = st.Add<ProcessedBeaufort>();
    bf.sourceChannel = 0;
    auto& bfText = st.Add<ProcessedBeaufort>();
    bfText.sourceChannel = 0;
    bfText.textDescription = 1;
    auto& dew = st.Add<ProcessedDew>();
    dew.vapourChannel = 0;
    auto& qnh = st.Add<ProcessedQNH>();
    qnh.sourceChannel = 0;
    st.values[5] = "kept";
    st.Reading(0, {""});
    EXPECT_EQ(st.Out(0), "0");
    EXPECT_EQ(st.Out(1), "0");
    EXPECT_EQ(st.Out(2), "Calm");
    EXPECT_EQ(st.Out(3), "");      // dew point of 0 mb: nothing
    EXPECT_EQ(st.Out(4), "kept");  // QNH of 0 mb is not a number: nothing
    st.Reading(1, {"33"});
    EXPECT_EQ(st.Out(1), "12");
    EXPECT_EQ(st.Out(2), "Hurricane");
}

TEST(ChannelRatio, DividesByAChannelOfAnyStation) {
    TestStation own(2, "Own");
    TestStation other(2, "Other");
    auto& ratio = own.Add<ProcessedChannelRatio>();
    ratio.numeratorChannel = 0;
    ratio.remoteChannel = 1;
    own.Reading(0, {"6", "4"});
    EXPECT_EQ(own.Out(), "");  // no station chosen: nothing
    ratio.remoteStation = &own;
    own.Reading(1, {"6", "4"});
    EXPECT_EQ(own.Out(), "1.5");
    ratio.remoteStation = &other;
    other.values = {"1", "0.000"};
    own.Reading(2, {"6", "4"});
    EXPECT_EQ(own.Out(), "");
    own.values[2] = "x";
    other.values[1] = "abc";
    own.Reading(3, {"6", "4"});
    EXPECT_EQ(own.Out(), "");
    other.values[1] = "-3";
    own.Reading(4, {"6", "4"});
    EXPECT_EQ(own.Out(), "-2");
    ratio.remoteChannel = 2;  // beyond the other station's table
    own.Reading(5, {"1", "4"});
    EXPECT_EQ(own.Out(), "-2");

    // Only a reference into its own station follows its own station's channels.
    ratio.remoteChannel = 1;
    ratio.OnChannelInserted(0);
    EXPECT_EQ(ratio.numeratorChannel, 1);
    EXPECT_EQ(ratio.remoteChannel, 1);
    ratio.remoteStation = &own;
    ratio.OnChannelDeleted(0);
    EXPECT_EQ(ratio.numeratorChannel, 0);
    EXPECT_EQ(ratio.remoteChannel, 0);
    ratio.OnStationRemoved(own);
    EXPECT_EQ(ratio.remoteStation, nullptr);
    EXPECT_EQ(ratio.remoteChannel, -1);
}

}  // namespace
}  // namespace svu
