#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "derived/ProcessedExtreme.h"
#include "derived/ProcessedScale.h"
#include "derived/ProcessedSum.h"
#include "derived/TestStation.h"
#include "framework/TextUtil.h"
#include "stations/Alarm.h"
#include "stations/ChannelNumbers.h"

namespace svu {
namespace {

using test::TestStation;

TEST(ChannelNumbers, AgreeWithTheTextsWhateverTheyHold) {
    // Whatever a process locale would make of a decimal comma, channel texts convert by C rules.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous != nullptr ? previous : "C";
    for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "C"}) {
        std::setlocale(LC_NUMERIC, name);
        ChannelNumbers numbers;
        const ChannelNumbers::Scope reading(numbers, 2);
        const std::string texts[] = {"12.5", "", "abc", "1e5", " 12", "-0.25x", "3,5", ".5", "-", "1E-3", "+7"};
        const double expected[] = {12.5, 0.0, 0.0, 1e5, 12.0, -0.25, 3.0, 0.5, 0.0, 1e-3, 7.0};
        for (std::size_t i = 0; i < std::size(texts); ++i) {
            EXPECT_EQ(numbers.Get(i, texts[i]), expected[i]) << "'" << texts[i] << "' under " << name;
            EXPECT_EQ(numbers.Get(i, texts[i]), AtoF(texts[i]));
        }
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(ChannelNumbers, ANumberIsTrustedOnlyWithinTheReadingThatTookIt) {
    ChannelNumbers numbers;
    EXPECT_EQ(numbers.Get(0, "4"), 4.0);
    EXPECT_EQ(numbers.Get(0, "5"), 5.0) << "outside a reading every request converts";
    {
        const ChannelNumbers::Scope reading(numbers, 1);
        EXPECT_EQ(numbers.Get(0, "6"), 6.0);
        EXPECT_EQ(numbers.Get(0, "7"), 6.0) << "converted once per reading";
        numbers.Written(0);
        EXPECT_EQ(numbers.Get(0, "8.5"), 8.5) << "a written text is converted afresh";
        EXPECT_EQ(numbers.Get(0, "ignored"), 8.5);
        numbers.Written(5);  // past the size given: the table grows when the number is taken
        EXPECT_EQ(numbers.Get(5, "2"), 2.0);
        {
            const ChannelNumbers::Scope nested(numbers, 1);
            EXPECT_EQ(numbers.Get(0, "9"), 8.5) << "a nested scope is the same reading";
        }
        EXPECT_EQ(numbers.Get(0, "9"), 8.5);
    }
    const ChannelNumbers::Scope next(numbers, 1);
    EXPECT_EQ(numbers.Get(0, "9"), 9.0) << "a new reading forgets the last one";
}

TEST(ChannelNumbers, DerivedChannelsAndAlarmsSeeEveryTextAsItStandsNow) {
    TestStation st(2);
    auto& late = st.Add<ProcessedScale>();   // channel 2 reads channel 3: last reading's text
    auto& early = st.Add<ProcessedScale>();  // channel 3 = raw 0 x 2
    auto& sum = st.Add<ProcessedSum>();      // channel 4 = 3 + 0 + 1 (3 computed this reading)
    auto& high = st.Add<ProcessedExtreme>(); // channel 5: the day's highest text of channel 1
    late.sourceChannel = 3;
    early.sourceChannel = 0;
    early.gain = 2.0f;
    sum.channels = {3, 0, 1};
    high.sourceChannel = 1;
    high.maximum = 1;
    auto alarm = std::make_unique<Alarm>();
    alarm->enabled = 1;
    alarm->channel = 4;
    alarm->condition = Alarm::kGreater;
    alarm->threshold = 10.0f;
    st.alarms.push_back(std::move(alarm));

    st.readingTime = 1000;
    st.values[0] = "1.000004";
    st.values[1] = "x";
    st.ProcessReading();
    EXPECT_EQ(st.Out(0), "0");
    EXPECT_EQ(st.Out(1), "2");
    EXPECT_EQ(st.Out(2), "3") << "2 (as written) + 1.000004 + 0";
    EXPECT_EQ(st.Out(3), "x");
    EXPECT_FALSE(st.alarms[0]->triggered);

    // Texts changed between readings by something other than a reading (a page, a station) count.
    st.values[3] = "100";
    st.values[1] = " 12";
    st.readingTime = 1001;
    st.ProcessReading();
    EXPECT_EQ(st.Out(0), "100") << "the text left by the page, not the number of the last reading";
    EXPECT_EQ(st.Out(2), "15");
    EXPECT_EQ(st.Out(3), " 12") << "the extreme keeps the text itself";
    EXPECT_TRUE(st.alarms[0]->triggered) << "the alarm reads the sum written in this reading";

    // A kind called outside any reading converts its source afresh each time.
    st.values[0] = "3";
    early.Calculate(3);
    EXPECT_EQ(st.Out(1), "6");
    st.values[0] = "4";
    early.Calculate(3);
    EXPECT_EQ(st.Out(1), "8");
}

}  // namespace
}  // namespace svu
