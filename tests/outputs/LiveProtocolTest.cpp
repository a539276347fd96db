#include <gtest/gtest.h>

#include "outputs/LiveDirectory.h"
#include "outputs/LiveProtocol.h"

namespace svu {
namespace {

TEST(LiveProtocol, FieldsWithTabsLineEndsAndBackslashesSurviveTheLine) {
    const std::string line = FormatLiveLine({"DATA", "Hill\tTop", "Name1", "a\\b\r\nc"});
    EXPECT_EQ(line, "DATA\tHill\\tTop\tName1\ta\\\\b\\r\\nc\n");
    std::vector<std::string> fields;
    ASSERT_TRUE(SplitLiveLine(std::string_view(line).substr(0, line.size() - 1), fields));
    EXPECT_EQ(fields, (std::vector<std::string>{"DATA", "Hill\tTop", "Name1", "a\\b\r\nc"}));
    // A CR before the LF is a Windows line end, not part of the last field.
    ASSERT_TRUE(SplitLiveLine("PING\r", fields));
    EXPECT_EQ(fields, std::vector<std::string>{"PING"});
    EXPECT_FALSE(SplitLiveLine("bad\\x", fields));
    EXPECT_FALSE(SplitLiveLine("ends in \\", fields));
}

TEST(LiveProtocol, CommandsAreReadWithoutRegardToCaseAndNeedTheirFields) {
    LiveCommand c;
    std::string error;
    ASSERT_TRUE(ParseLiveCommand("request\tHill\tChannel1", c, error));
    EXPECT_EQ(c.verb, LiveVerb::Request);
    EXPECT_EQ(c.topic, "Hill");
    EXPECT_EQ(c.item, "Channel1");
    ASSERT_TRUE(ParseLiveCommand("Advise\tInformation\tRealtime\r", c, error));
    EXPECT_EQ(c.verb, LiveVerb::Advise);
    EXPECT_EQ(c.item, "Realtime");
    ASSERT_TRUE(ParseLiveCommand("UNADVISE\tx\ty", c, error));
    EXPECT_EQ(c.verb, LiveVerb::Unadvise);
    ASSERT_TRUE(ParseLiveCommand("ping", c, error));
    EXPECT_EQ(c.verb, LiveVerb::Ping);

    for (const char* bad : {"", "REQUEST\tHill", "REQUEST\tHill\tChannel1\textra", "PING\tx", "EXECUTE\tx\ty",
                            "REQUEST Hill Channel1", "REQUEST\tHi\\ll\tx"}) {
        error.clear();
        EXPECT_FALSE(ParseLiveCommand(bad, c, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

TEST(LiveProtocol, ItemNumbersArePlainDigitsFromOne) {
    EXPECT_EQ(ParseLiveItem(false, "Channel12"), (LiveItem{LiveItemKind::ChannelValue, 12}));
    EXPECT_EQ(ParseLiveItem(false, "CHANNEL007"), (LiveItem{LiveItemKind::ChannelValue, 7}));
    EXPECT_EQ(ParseLiveItem(false, "channels"), (LiveItem{LiveItemKind::ChannelCount, 0}));
    EXPECT_EQ(ParseLiveItem(false, "name3"), (LiveItem{LiveItemKind::ChannelName, 3}));
    EXPECT_EQ(ParseLiveItem(true, "weatherstations"), (LiveItem{LiveItemKind::StationCount, 0}));
    EXPECT_EQ(ParseLiveItem(true, "WeatherStation2"), (LiveItem{LiveItemKind::StationName, 2}));
    EXPECT_EQ(ParseLiveItem(true, "REALTIME"), (LiveItem{LiveItemKind::Realtime, 0}));
    for (const char* bad : {"Channel0", "Channel-1", "Channel+1", "Channel", "Channelx", "Channel1x", "Channel 1",
                            "Channel99999999999", "Realtime", "WeatherStation1", "Nam1"}) {
        EXPECT_FALSE(ParseLiveItem(false, bad)) << bad;
    }
    for (const char* bad : {"WeatherStation0", "WeatherStation-2", "WeatherStationabc", "Channel1", "Channels"}) {
        EXPECT_FALSE(ParseLiveItem(true, bad)) << bad;
    }
    EXPECT_EQ(LiveItemName({LiveItemKind::ChannelValue, 7}), "Channel7");
    EXPECT_EQ(LiveItemName({LiveItemKind::StationName, 2}), "WeatherStation2");
    EXPECT_EQ(LiveItemName({LiveItemKind::ChannelName, 1}), "Name1");
}

class LiveDirectoryTest : public ::testing::Test {
protected:
    LiveDirectoryTest() {
        directory.stations.push_back({nullptr, "Hill", {"Date", "Time", "Temp   "}, {"05/12/26", "14:05:00", "  5.5 "}, 3});
        directory.stations.push_back(
            {nullptr, "A station with a name longer than thirty-one characters", {"Wind"}, {"12"}, 1});
    }
    std::optional<std::string> Ask(std::string_view topic, std::string_view item) const {
        return directory.Answer(topic, item);
    }

    LiveDirectory directory;
};

TEST_F(LiveDirectoryTest, InformationTopicGivesStateCountAndNames) {
    EXPECT_EQ(Ask("Information", "Realtime"), "No");
    directory.realtime = true;
    EXPECT_EQ(Ask("information", "realtime"), "Yes");
    EXPECT_EQ(Ask("Information", "WeatherStations"), "2");
    EXPECT_EQ(Ask("INFORMATION", "WeatherStation1"), "Hill");
    EXPECT_EQ(Ask("Information", "WeatherStation2"), "A station with a name longer than thirty-one characters");
    for (const char* item : {"WeatherStation0", "WeatherStation3", "WeatherStation-1", "WeatherStationx", "Channels"}) {
        EXPECT_FALSE(Ask("Information", item)) << item;
    }
}

TEST_F(LiveDirectoryTest, StationTopicGivesCountTrimmedValuesAndNames) {
    EXPECT_EQ(Ask("hill", "Channels"), "3");
    EXPECT_EQ(Ask("HILL", "Channel3"), "5.5");
    EXPECT_EQ(Ask("Hill", "channel1"), "05/12/26");
    EXPECT_EQ(Ask("Hill", "Name3"), "Temp");
    // Whole names take part, however long.
    EXPECT_EQ(Ask("a station with a name longer than thirty-one characters", "Channel1"), "12");
    EXPECT_FALSE(Ask("A station with a name longer than thirty-one", "Channel1"));
    for (const char* item : {"Channel0", "Channel4", "Channel-1", "ChannelTwo", "Name0", "Name4", "Realtime"}) {
        EXPECT_FALSE(Ask("Hill", item)) << item;
    }
    EXPECT_FALSE(Ask("Valley", "Channels"));
}

TEST_F(LiveDirectoryTest, AChannelAddedSinceTheLastReadingHasAnEmptyValue) {
    directory.stations[0].channelCount = 4;
    directory.stations[0].channelNames.push_back("Dew");
    EXPECT_EQ(Ask("Hill", "Channel4"), "");
    EXPECT_EQ(Ask("Hill", "Name4"), "Dew");
}

}  // namespace
}  // namespace svu
