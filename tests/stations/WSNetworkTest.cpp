#include <gtest/gtest.h>

#include <filesystem>

#include "stations/FileStationSupport.h"
#include "stations/WSNetwork.h"

namespace svu {
namespace {

// A network file as another copy writes it, with a modification time of its own each time.
void Publish(const std::string& path, const std::string& time, int channels, int mtimeSecond) {
    std::string text = std::to_string(channels) + "\r\n05/12/26\r\n" + time + "\r\n";
    for (int i = 0; i < channels; ++i) {
        text += "Ch" + std::to_string(i) + "\r\n" + std::to_string(i * 10 + mtimeSecond) + "\r\n";
    }
    test::WriteFileBytes(path, text);
    std::filesystem::last_write_time(
        path, std::filesystem::file_time_type(std::chrono::seconds(1'800'000'000 + mtimeSecond)));
}

class NetworkStation : public ::testing::Test {
protected:
    NetworkStation() {
        station.inputFile = reports.dir.File("in.nws");
        station.logErrors = 1;
    }

    test::ReportScope reports;
    WSNetwork station{"Remote"};
    test::ScriptedHost host{FromLocal(2026, 12, 5, 14, 0, 0)};
};

TEST_F(NetworkStation, EachNewTimeIsStoredOnceAndOtherChannelCountsAreIgnored) {
    Publish(station.inputFile, "14:05:00", 4, 0);
    host.watched = &station;
    std::vector<std::string> stored;
    host.step = [&](int poll) {
        if (!host.readingTicks.empty()) {
            stored.push_back(station.values[0]);
            host.readingTicks.clear();
        }
        switch (poll) {
            case 2:
                Publish(station.inputFile, "14:05:00", 4, 1);  // what the start read, as a new file
                break;
            case 4:
                Publish(station.inputFile, "14:05:00", 4, 2);  // the same reading again
                break;
            case 6:
                Publish(station.inputFile, "14:06:00", 4, 3);
                break;
            case 8:
                Publish(station.inputFile, "14:07:00", 5, 4);  // written for 5 channels
                break;
        }
        return poll > 10;
    };
    station.ThreadFunction(host);
    EXPECT_EQ(station.channelNames, (std::vector<std::string>{"Ch0", "Ch1", "Ch2", "Ch3"}));
    EXPECT_EQ(stored, (std::vector<std::string>{"1", "3"}));
    EXPECT_EQ(station.readingTime, FromLocal(2026, 12, 5, 14, 6, 0));
    EXPECT_EQ(station.values[3], "33");
    EXPECT_EQ(reports.ErrorText(), "");
}

TEST_F(NetworkStation, ShortFilesAreReportedAsCorrupt) {
    EXPECT_TRUE(station.InitComms(host));  // waited for until the other copy writes it
    test::WriteFileBytes(station.inputFile, "3\r\n05/12/26\r\n14:05:00\r\nCh0\r\n1\r\n");
    EXPECT_TRUE(station.InitComms(host));
    std::vector<std::string> lines;
    EXPECT_FALSE(station.ReadNetworkFile(lines));
    EXPECT_NE(reports.ErrorText().find("Remote, Network input file corrupt"), std::string::npos);
    // Unchanged since: not read again, not reported again.
    EXPECT_FALSE(station.ReadNetworkFile(lines));
    EXPECT_EQ(reports.ErrorText().find("corrupt"), reports.ErrorText().rfind("corrupt"));
}

TEST_F(NetworkStation, ConfigurationKeepsTheDerivedChannelsAfterTheRawOnes) {
    station.rawChannelCount = 2;
    station.channelCount = 3;
    station.channelNames = {"a", "b", "Dew"};
    station.ResetValues();
    Publish(station.inputFile, "14:05:00", 4, 0);
    ASSERT_TRUE(station.ReadConfiguration());
    EXPECT_EQ(station.channelNames, (std::vector<std::string>{"Ch0", "Ch1", "Ch2", "Ch3", "Dew"}));
    EXPECT_EQ(station.rawChannelCount, 4);
    EXPECT_EQ(station.values.size(), 5u);
}

}  // namespace
}  // namespace svu
