#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <thread>
#include <tuple>

#include "StationTestSupport.h"
#include "framework/TextUtil.h"
#include "stations/LocalTimeCache.h"
#include "stations/WSDirect.h"

namespace svu {
namespace {

TimeT At(int day, int hour, int minute, int second) {
    return FromLocal(2026, 12, day, hour, minute, second);
}

struct LoggingFixture : ::testing::Test {
    LoggingFixture() : host(At(5, 10, 0, 0)), scope(&host.clock) {
        station.channelNames = {"Temp", "Rain"};
        station.rawChannelCount = station.channelCount = 2;
        station.ResetValues();
        station.loggingEnabled = 1;
        station.logErrors = 1;
        station.logFolder = scope.dir.Path().string();
        station.host = &host;
    }

    void Reading(TimeT t, const std::string& temp = "12.5", const std::string& rain = "0.2") {
        host.clock.Set(t);
        station.StoreReading(t, [&](std::vector<std::string>& v) {
            v[0] = temp;
            v[1] = rain;
        });
    }

    std::string Log(int day) const {
        return test::ReadFileBytes(LogFileName(scope.dir.Path().string(), "Hilltop", 2026, 12, day));
    }

    test::FakeHost host;
    test::ReportScope scope;
    WSDirect station{"Hilltop"};
};

TEST_F(LoggingFixture, IntervalRecordsFollowTheGridFromTheOrigin) {
    for (TimeT t = At(5, 10, 0, 5); t < At(5, 10, 3, 0); t += 20) {
        Reading(t);
    }
    EXPECT_EQ(Log(5),
              "2\r\nTemp\r\nRain\r\n"
              "05/12/26, 10:00:05, 12.5, 0.2\r\n"
              "05/12/26, 10:01:05, 12.5, 0.2\r\n"
              "05/12/26, 10:02:05, 12.5, 0.2\r\n");
    EXPECT_EQ(station.nextLogTime, At(5, 10, 3, 0));
    EXPECT_TRUE(scope.ErrorText().empty());
}

TEST_F(LoggingFixture, ClosingTheLoggingPageAlignsTheNextDueTime) {
    EXPECT_EQ(AlignedLogStart(At(5, 10, 7, 30), 15, 60), At(5, 10, 0, 0));
    EXPECT_EQ(AlignedLogStart(At(5, 10, 7, 37), 10, 1), At(5, 10, 7, 30));
    EXPECT_EQ(AlignedLogStart(At(5, 10, 7, 37), 6, 3600), At(5, 6, 0, 0));
    station.logInterval = 15 * 60;
    station.nextLogTime = AlignedLogStart(At(5, 10, 7, 30), 15, 60);
    for (TimeT t = At(5, 10, 7, 40); t < At(5, 10, 31, 0); t += 60) {
        Reading(t);
    }
    EXPECT_EQ(Log(5),
              "2\r\nTemp\r\nRain\r\n"
              "05/12/26, 10:07:40, 12.5, 0.2\r\n"
              "05/12/26, 10:15:40, 12.5, 0.2\r\n"
              "05/12/26, 10:30:40, 12.5, 0.2\r\n");
}

TEST_F(LoggingFixture, MidnightStartsANewFileAndAnExistingFileIsContinued) {
    station.logAllValues = 1;
    Reading(At(5, 23, 59, 50), "1");
    Reading(At(6, 0, 0, 10), "2");
    EXPECT_EQ(Log(5), "2\r\nTemp\r\nRain\r\n05/12/26, 23:59:50, 1, 0.2\r\n");
    EXPECT_EQ(Log(6), "2\r\nTemp\r\nRain\r\n06/12/26, 00:00:10, 2, 0.2\r\n");
    EXPECT_EQ(station.logDay, 6);

    // The program restarted: a new station object appends to the day's file without a header.
    WSDirect again("Hilltop");
    again.channelNames = {"Temp", "Rain", "Dew"};
    again.rawChannelCount = again.channelCount = 3;
    again.ResetValues();
    again.loggingEnabled = again.logAllValues = 1;
    again.logFolder = station.logFolder;
    again.StoreReading(At(6, 0, 0, 30), [](std::vector<std::string>& v) { v = {"3", "0", "1"}; });
    EXPECT_EQ(Log(6), "2\r\nTemp\r\nRain\r\n06/12/26, 00:00:10, 2, 0.2\r\n06/12/26, 00:00:30, 3, 0, 1\r\n");

    // Switching logging off closes the file; the same day a month later is a different file.
    station.loggingEnabled = 0;
    Reading(At(6, 0, 1, 0));
    EXPECT_FALSE(station.logFile.IsOpen());
    station.loggingEnabled = 1;
    Reading(At(6, 0, 2, 0));
    host.clock.Set(FromLocal(2027, 1, 6, 0, 0, 0));
    station.StoreReading(host.clock.Now(), [](std::vector<std::string>&) {});
    EXPECT_EQ(test::ReadFileBytes(scope.dir.File("Hilltop-20270106.log")).substr(0, 3), "2\r\n");
}

TEST_F(LoggingFixture, AStationWithoutChannelsLogsTheStampOnly) {
    station.channelNames.clear();
    station.rawChannelCount = station.channelCount = 0;
    station.ResetValues();
    host.clock.Set(At(5, 14, 5, 0));
    station.StoreReading(At(5, 14, 5, 0), [](std::vector<std::string>&) {});
    EXPECT_EQ(Log(5), "0\r\n05/12/26, 14:05:00\r\n");
    EXPECT_EQ(LogFileName("", "Hilltop", 2026, 12, 5), "/Hilltop-20261205.log");
}

TEST_F(LoggingFixture, NetworkFileHoldsTheLatestReadingWhole) {
    station.networkOutput = 1;
    station.networkFile = scope.dir.File("out.nws");
    Reading(At(5, 14, 5, 0));
    Reading(At(5, 14, 6, 0), "13.0", "");
    EXPECT_EQ(test::ReadFileBytes(station.networkFile), "2\r\n05/12/26\r\n14:06:00\r\nTemp\r\n13.0\r\nRain\r\n\r\n");
    EXPECT_FALSE(std::filesystem::exists(station.networkFile + ".tmp"));
}

TEST_F(LoggingFixture, FileFailuresAreReportedAndAcquisitionGoesOn) {
    test::WriteFileBytes(scope.dir.File("plain"), "x");
    station.logFolder = scope.dir.File("plain");  // a file, not a folder: nothing can be created in it
    station.networkOutput = 1;
    station.networkFile = scope.dir.File("plain/out.nws");
    station.logAllValues = 1;
    Reading(At(5, 14, 5, 0));
    Reading(At(5, 14, 5, 1));
    // The repeat a second later is counted, not written again.
    const std::string dir = scope.dir.Path().string();
    EXPECT_EQ(scope.ErrorText(),
              "05/12/2026,  14:05:00, Hilltop, Unable to open network output file [cannot create a temporary file "
              "beside " + dir + "/plain/out.nws: Not a directory]\r\n"
              "05/12/2026,  14:05:00, Hilltop, Unable to open log file [" + dir + "/plain/Hilltop-20261205.log]\r\n");
    EXPECT_TRUE(station.newData);

    station.logFolder = scope.dir.Path().string();  // the next reading tries again, and succeeds
    Reading(At(5, 14, 5, 2));
    FlushReportRepeats();
    EXPECT_EQ(Log(5), "2\r\nTemp\r\nRain\r\n05/12/26, 14:05:02, 12.5, 0.2\r\n");

    // A station that does not log errors leaves error.txt alone; a report without a station is kept.
    station.logErrors = 0;
    const std::string before = scope.ErrorText();
    Reading(At(5, 14, 5, 3));
    EXPECT_EQ(scope.ErrorText(), before);
    ReportError(nullptr, "Mail could not be sent");
    EXPECT_EQ(scope.ErrorText(), before + "05/12/2026,  14:05:03, Mail could not be sent\r\n");
}

TEST_F(LoggingFixture, AFullDiskLosesWholeRecordsOnlyAndLoggingResumes) {
    station.logAllValues = 1;
    const std::string logPath = scope.dir.File("Hilltop-20261205.log");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit limit{400, old.rlim_max};  // not a multiple of the record length: one is cut short
        setrlimit(RLIMIT_FSIZE, &limit);
        for (int i = 0; i < 40; ++i) {
            Reading(At(5, 14, 0, i));
        }
        setrlimit(RLIMIT_FSIZE, &old);  // space again
        for (int i = 40; i < 50; ++i) {
            Reading(At(5, 14, 0, i));
        }
        const std::vector<std::string> notices = TakeNotices();
        _exit(station.logFile.IsOpen() && notices.size() == 2 ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "one notice when the outage starts, one when it ends";
    // Whole records, those before the outage in order, then every one after it.
    const std::string log = test::ReadFileBytes(logPath);
    ASSERT_EQ(log.rfind("2\r\nTemp\r\nRain\r\n", 0), 0u);
    std::vector<std::string> records;
    for (std::size_t start = 15, end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2) {
        records.push_back(log.substr(start, end - start));
    }
    ASSERT_TRUE(log.ends_with("\r\n"));
    ASSERT_GE(records.size(), 11u);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const int second = i + 10 < records.size() ? static_cast<int>(i) : static_cast<int>(i + 50 - records.size());
        EXPECT_EQ(records[i], FormatC("05/12/26, 14:00:%02d, 12.5, 0.2", second));
    }
    EXPECT_NE(scope.ErrorText().find("Hilltop, Unable to write to log file [" + logPath + "]\r\n"), std::string::npos);
    EXPECT_NE(scope.ErrorText().find("Hilltop, Logging resumed [" + logPath + "]\r\n"), std::string::npos);
}

TEST_F(LoggingFixture, HeldRecordsReachTheFileInOrderWhenReleasedOrAtMidnight) {
    station.logAllValues = 1;
    Reading(At(5, 23, 59, 58), "1");
    EXPECT_EQ(Log(5), "2\r\nTemp\r\nRain\r\n05/12/26, 23:59:58, 1, 0.2\r\n") << "written at once when not held";
    station.HoldLogWrites(true);
    Reading(At(5, 23, 59, 59), "2");
    EXPECT_EQ(Log(5), "2\r\nTemp\r\nRain\r\n05/12/26, 23:59:58, 1, 0.2\r\n") << "held back";
    Reading(At(6, 0, 0, 0), "3");  // the day's file is closed, so what waited for it is written
    EXPECT_EQ(Log(5), "2\r\nTemp\r\nRain\r\n05/12/26, 23:59:58, 1, 0.2\r\n05/12/26, 23:59:59, 2, 0.2\r\n");
    Reading(At(6, 0, 0, 1), "");
    EXPECT_EQ(Log(6), "2\r\nTemp\r\nRain\r\n");
    station.HoldLogWrites(false);
    EXPECT_EQ(Log(6), "2\r\nTemp\r\nRain\r\n06/12/26, 00:00:00, 3, 0.2\r\n06/12/26, 00:00:01, , 0.2\r\n");
    // Many held records go out in large writes well before the hold ends, and none is lost at close.
    station.HoldLogWrites(true);
    for (int i = 0; i < 20000; ++i) {
        Reading(At(6, 1, 0, 0) + i);
    }
    EXPECT_GT(Log(6).size(), 100000u);
    station.CloseLogFile();
    const std::string log = Log(6);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 3 + 2 + 20000);
    EXPECT_TRUE(log.ends_with(FormatC("06/12/26, %02d:%02d:%02d, 12.5, 0.2\r\n", 1 + 19999 / 3600, 19999 / 60 % 60,
                                      19999 % 60)));
    station.HoldLogWrites(false);
    EXPECT_TRUE(scope.ErrorText().empty());
}

TEST(ReportError, ReportsFromManyThreadsNeverMix) {
    test::ReportScope scope;
    constexpr int kThreads = 8;
    constexpr int kReports = 250;
    const std::string payload(300, 'x');
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kReports; ++i) {
                ReportError(nullptr, "T" + std::to_string(t) + "-" + std::to_string(i) + " " + payload);
            }
        });
    }
    for (auto& th : threads) {
        th.join();
    }
    const std::string text = scope.ErrorText();
    std::set<std::string> seen;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        const std::string line = text.substr(start, end - start);
        ASSERT_EQ(line.substr(10, 3), ",  ") << line;
        ASSERT_EQ(line.substr(21, 2), ", ") << line;
        const std::string message = line.substr(23);
        const size_t space = message.find(' ');
        ASSERT_NE(space, std::string::npos) << line;
        ASSERT_EQ(message.substr(space + 1), payload) << line;
        ASSERT_TRUE(seen.insert(message.substr(0, space)).second) << line;
        start = end + 2;
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(kThreads * kReports));
}

}  // namespace
}  // namespace svu

namespace svu {
namespace {

TEST(LocalTimeCache, AgreesWithTheCLibraryAcrossDaylightSavingChanges) {
    LocalTimeCache cache;
    const TimeT start = FromLocal(2026, 3, 28, 0, 0, 0);
    for (TimeT t = start; t < start + 240 * 86400; t += 397) {
        const LocalTm expected = ToLocal(t);
        const LocalTm& got = cache.Get(t);
        ASSERT_EQ(
            std::tie(got.year, got.month, got.day, got.hour, got.minute, got.second),
            std::tie(expected.year, expected.month, expected.day, expected.hour, expected.minute, expected.second))
            << t;
    }
    EXPECT_EQ(cache.Get(FromLocal(1969, 12, 31, 23, 59, 59)).year, 1969);
}

}  // namespace
}  // namespace svu
