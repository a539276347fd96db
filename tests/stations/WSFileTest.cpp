#include <gtest/gtest.h>

#include "derived/ProcessedExtreme.h"
#include "stations/FileStationSupport.h"
#include "stations/WSFile.h"

namespace svu {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

const std::string kLog =
    "2\r\nTemp\r\nRain\r\n"
    "05/12/26, 14:05:00, 5, 0.2\r\n"
    "05/12/26, 14:06:00, 9, 0.4\r\n"
    "05/12/26, 14:07:00, 1, 0.6\r\n";

class FileStation : public ::testing::Test {
protected:
    FileStation() {
        station.inputFile = reports.dir.File("in.log");
        WriteFileBytes(station.inputFile, kLog);
    }

    // Logs every reading with its derived channels into the test folder.
    void LogEverything() {
        station.loggingEnabled = 1;
        station.logAllValues = 1;
        station.logFolder = reports.dir.File("logs");
        std::filesystem::create_directories(station.logFolder);
    }

    test::ReportScope reports;
    WSFile station{"Hill"};
    test::ScriptedHost host{FromLocal(2026, 12, 5, 14, 0, 0)};
};

TEST_F(FileStation, ChannelsComeFromTheHeaderAndValuesKeepTheirSpace) {
    ASSERT_TRUE(station.ReadConfiguration());
    EXPECT_EQ(station.channelNames, (std::vector<std::string>{"Date", "Time", "Temp", "Rain"}));
    EXPECT_EQ(station.rawChannelCount, 4);
    WriteFileBytes(station.inputFile, "2\r\nTemp\r\nRain\r\n05/12/26, 14:05:00, 12.5, 0.2\r\n");
    const WSFile::ReplayCounts counts = station.ReplayOnce(host);
    EXPECT_EQ(counts.records, 1);
    EXPECT_EQ(station.values, (std::vector<std::string>{"05/12/26", "14:05:00", " 12.5", " 0.2"}));
    EXPECT_EQ(station.readingTime, FromLocal(2026, 12, 5, 14, 5, 0));
    EXPECT_TRUE(station.InitComms(host));
    station.inputFile = reports.dir.File("missing.log");
    EXPECT_TRUE(station.InitComms(host));  // the start is retried until the file appears
    EXPECT_FALSE(station.ReadConfiguration());
    station.inputFile = reports.dir.Path().string();
    EXPECT_FALSE(station.InitComms(host));  // a folder never becomes a log
}

TEST_F(FileStation, DerivedChannelsFollowANewRawCount) {
    station.rawChannelCount = 3;
    station.channelCount = 5;
    station.channelNames = {"a", "b", "c", "Max", "Min"};
    station.channelTypes = {13, 13, 13, 13, 13};
    station.ResetValues();
    ASSERT_TRUE(station.ReadConfiguration());
    EXPECT_EQ(station.channelNames, (std::vector<std::string>{"Date", "Time", "Temp", "Rain", "Max", "Min"}));
    EXPECT_EQ(station.channelCount, 6);
    EXPECT_EQ(station.values.size(), 6u);
    EXPECT_EQ(station.channelTypes, std::vector<uint32_t>(6, 0));
}

TEST_F(FileStation, LoopRestartsTheFileAndTheDailyChannels) {
    ASSERT_TRUE(station.ReadConfiguration());
    auto& max =
        static_cast<ProcessedExtreme&>(*station.derived.emplace_back(std::make_unique<ProcessedExtreme>(&station)));
    max.sourceChannel = 2;
    station.channelNames.push_back("Max");
    ++station.channelCount;
    station.ResetValues();
    LogEverything();
    // Stop once the third pass has begun: 3 + 3 + 1 records.
    host.step = [&](int) { return host.rewinds == 3; };
    StationThreadEntry(station, host);
    const std::string log = ReadFileBytes(LogFileName(station.logFolder, "Hill", 2026, 12, 5));
    std::vector<std::string> maxima;
    for (std::size_t p = 0, end; (end = log.find("\r\n", p)) != std::string::npos; p = end + 2) {
        const std::string line = log.substr(p, end - p);
        if (line.size() > 8 && line[2] == '/') {
            maxima.push_back(line.substr(line.rfind(", ") + 2));
        }
    }
    EXPECT_EQ(maxima, (std::vector<std::string>{" 5", " 9", " 9", " 5", " 9", " 9", " 5"}));
    EXPECT_FALSE(station.threadRunning);
}

TEST_F(FileStation, DamagedLinesAreReportedAndPassedOver) {
    station.logErrors = 1;
    ASSERT_TRUE(station.ReadConfiguration());
    WriteFileBytes(station.inputFile,
                   "2\r\nTemp\r\nRain\r\n05/12/26, 14:05:00, 5, 0.2\r\n05/12/26, 14:0\r\n\r\ngarbage, x, y, z\r\n"
                   "05/12/26, 14:07, 1, 0.6, 7");
    const WSFile::ReplayCounts counts = station.ReplayOnce(host);
    EXPECT_EQ(counts.records, 2);
    EXPECT_EQ(counts.damaged, 3);
    EXPECT_EQ(station.values[3], " 0.6");  // extra fields are ignored, a missing second reads 0
    EXPECT_EQ(station.readingTime, FromLocal(2026, 12, 5, 14, 7, 0));
    FlushReportRepeats();  // the same report again within a minute is only counted
    const std::string errors = reports.ErrorText();
    EXPECT_NE(errors.find("Hill, Real time data is corrupt [" + station.inputFile + ":5]"), std::string::npos);
    EXPECT_NE(errors.find(":7] (repeated 2 times)"), std::string::npos) << errors;
}

TEST_F(FileStation, ShortRecordsLeaveTheMissingChannelsEmpty) {
    station.logErrors = 1;
    ASSERT_TRUE(station.ReadConfiguration());
    // The logging station had one channel when the day began and gained Rain later.
    WriteFileBytes(station.inputFile,
                   "2\r\nTemp\r\nRain\r\n05/12/26, 14:05:00, 5, 0.2\r\n05/12/26, 14:06:00, 9\r\n05/12/26\r\n");
    const WSFile::ReplayCounts counts = station.ReplayOnce(host);
    EXPECT_EQ(counts.records, 2);
    EXPECT_EQ(counts.damaged, 1);  // a line without its time stays damaged
    EXPECT_EQ(station.values, (std::vector<std::string>{"05/12/26", "14:06:00", " 9", ""}));
    const std::string errors = reports.ErrorText();
    EXPECT_EQ(errors.find(":5]"), std::string::npos) << errors;
    EXPECT_NE(errors.find(":6]"), std::string::npos) << errors;
}

TEST_F(FileStation, SpeedsPaceTheRecords) {
    ASSERT_TRUE(station.ReadConfiguration());
    station.loop = 0;
    TimeT now = FromLocal(2026, 12, 5, 14, 0, 0);
    // Runs the thread to its end on a fresh manual clock; the clock ticks of the readings, from 0.
    auto run = [&](int32_t speed, int polls) {
        test::ScriptedHost paced(now);
        paced.watched = &station;
        paced.step = [&](int poll) { return poll > polls; };
        station.speed = speed;
        const int64_t start = paced.clock.TickMs();
        station.ThreadFunction(paced);
        now = paced.clock.Now();
        std::vector<int64_t> ticks;
        for (int64_t t : paced.readingTicks) {
            ticks.push_back(t - start);
        }
        return ticks;
    };
    EXPECT_EQ(run(WSFile::kMaximum, 400), (std::vector<int64_t>{100, 200, 300}));

    // Logged times 14:05:00, :20, :10 (backwards), :40.
    WriteFileBytes(station.inputFile,
                   "2\r\nTemp\r\nRain\r\n05/12/26, 14:05:00, 5, 0\r\n05/12/26, 14:05:20, 5, 0\r\n"
                   "05/12/26, 14:05:10, 5, 0\r\n05/12/26, 14:05:40, 5, 0\r\n");
    EXPECT_EQ(run(WSFile::kActualSpeed, 600), (std::vector<int64_t>{0, 20000, 20000, 50000}));
    EXPECT_EQ(run(WSFile::kOnePerSecond, 100), (std::vector<int64_t>{0, 1000, 2000, 3000}));
}

TEST(LogTimeParser, AgreesWithParseDateTime) {
    LogTimeParser parser;
    const char* cases[][2] = {
        {"05/12/26", "14:05:00"}, {"05/12/26", "23:59:59"}, {"06/12/26", "00:00:00"},
        {"29/03/26", "00:59:59"}, {"29/03/26", "01:30:00"}, {"29/03/26", "02:00:00"},
        {"25/10/26", "00:30:00"}, {"25/10/26", "02:00:00"}, {"31/02/26", "10:00:00"},
        {"05/12/1999", "10:00"},  {"05/12/26", "25:61:61"}, {"xx/yy/zz", "aa:bb:cc"},
        {"05/12/69", "10:00:00"}, {"05/12/70", "10:00:00"}, {"", ""},
        {"05/12/26", " 7:05:00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parser.Parse(c[0], c[1]), ParseDateTime(c[0], c[1])) << c[0] << " " << c[1];
        EXPECT_EQ(parser.Parse(c[0], c[1]), ParseDateTime(c[0], c[1])) << c[0] << " " << c[1] << " (cached)";
    }
}

}  // namespace
}  // namespace svu
