#include <gtest/gtest.h>

#include <tuple>

#include "framework/LocalTime.h"
#include "framework/TextUtil.h"
#include "historic/HistoricLog.h"
#include "historic/HistoricTraces.h"
#include "historic/LogFilesFixture.h"

namespace svu {
namespace {

HistoricSource Station(const test::LogFolder& logs) {
    HistoricSource source;
    source.logFolder = logs.Folder();
    source.stationName = "Hill";
    return source;
}

TEST(HistoricLog, ThreeDaysAcrossTwoMidnightsSkipTheMissingMiddleDay) {
    test::LogFolder logs;
    logs.WriteDay({2026, 5, 10}, {"Temp", "Wind"},
                  {"10/05/26, 22:50:00, 1, 2", "10/05/26, 23:00:00, 3, 4", "10/05/26,  23:50:00 , 5, 6"});
    logs.WriteDay({2026, 5, 12}, {"Temp", "Wind", "Extra"},
                  {"12/05/26, 00:50:00, 7, 8, 9", "12/05/26, 01:00:00, 10, 11, 12", "12/05/26, 01:10:00, 13, 14, 15"});
    HistoricLog log;
    const TimeT from = FromLocal(2026, 5, 10, 23, 0, 0);
    const TimeT to = FromLocal(2026, 5, 12, 1, 0, 0);
    ASSERT_EQ(LoadHistoricRange(Station(logs), from, to, log), HistoricLoadStatus::Ok);
    EXPECT_EQ(log.FilesRead(), 2);
    EXPECT_EQ(log.channelNames, (std::vector<std::string>{"Temp", "Wind"}));
    ASSERT_EQ(log.Count(), 4u);  // 23:00 and 23:50, then 00:50 and 01:00 read by their own header
    EXPECT_EQ(log.FirstTime(), from);
    EXPECT_EQ(log.LastTime(), to);
    EXPECT_EQ(ParseLogValue(log.Line(2), 1), 8.0);
    EXPECT_EQ(log.Time(1), FromLocal(2026, 5, 10, 23, 50, 0));

    EXPECT_EQ(LoadHistoricRange(Station(logs), FromLocal(2026, 5, 11, 0, 0, 0), FromLocal(2026, 5, 11, 23, 0, 0), log),
              HistoricLoadStatus::UnableToOpen);
    EXPECT_EQ(LoadHistoricRange(Station(logs), FromLocal(2026, 5, 12, 2, 0, 0), FromLocal(2026, 5, 12, 3, 0, 0), log),
              HistoricLoadStatus::NoData);
    EXPECT_FALSE(log.HaveData());
}

TEST(HistoricLog, ARangeAcrossADaylightSavingChangeReadsEveryDayOnce) {
    test::LogFolder logs;
    // Europe/London: summer time starts on 29 March 2026 (a day of 23 hours) and ends on
    // 25 October 2026 (25 hours); each range holds the change on its middle day.
    for (const auto& [month, first, hours] : {std::tuple{3, 28, 22}, std::tuple{10, 24, 24}}) {
        SCOPED_TRACE(month);
        for (int day = first; day < first + 3; ++day) {
            const std::string date = FormatC("%02d/%02d/26", day, month);
            logs.WriteDay({2026, month, day}, {"Temp"}, {date + ", 00:30:00, 1", date + ", 23:30:00, 2"});
        }
        HistoricLog log;
        ASSERT_EQ(LoadHistoricRange(Station(logs), FromLocal(2026, month, first, 0, 0, 0),
                                    FromLocal(2026, month, first + 2, 23, 59, 0), log),
                  HistoricLoadStatus::Ok);
        EXPECT_EQ(log.FilesRead(), 3);
        EXPECT_EQ(log.Count(), 6u);
        EXPECT_EQ(log.Time(3) - log.Time(2), hours * 3600);  // 00:30 to 23:30 on the day of the change
    }
}

TEST(HistoricLog, AChosenFileIsReadWholeAndPutInTimeOrder) {
    test::TempDir dir;
    test::WriteFileBytes(dir.File("card.log"),
                         "1\nSpeed\n01/02/26, 10:02:00, 3\n\n01/02/26, 10:00:00, 1\n01/02/26, 10:01:00, 2");
    HistoricSource source;
    source.downloaded = true;
    source.filePath = dir.File("card.log");
    HistoricLog log;
    ASSERT_EQ(LoadHistoricRange(source, 0, FromLocal(2030, 1, 1, 0, 0, 0), log), HistoricLoadStatus::Ok);
    ASSERT_EQ(log.Count(), 3u);
    EXPECT_EQ(ParseLogValue(log.Line(0), 0), 1.0);
    EXPECT_EQ(ParseLogValue(log.Line(2), 0), 3.0);
    EXPECT_TRUE(log.WholeMinutes());

    source.filePath = dir.File("missing.log");
    EXPECT_EQ(LoadHistoricRange(source, 0, 1, log), HistoricLoadStatus::UnableToOpen);

    TimeT first = 0;
    TimeT last = 0;
    ASSERT_TRUE(LogFileTimeSpan(dir.File("card.log"), first, last));
    EXPECT_EQ(first, FromLocal(2026, 2, 1, 10, 2, 0));
    EXPECT_EQ(last, FromLocal(2026, 2, 1, 10, 1, 0));
}

TEST(HistoricLog, TableViewCellsAreTrimmedFieldsOfEveryLine) {
    test::TempDir dir;
    test::WriteFileBytes(dir.File("day.log"), "2\r\nTemp  \r\nRain\r\n01/02/26,  10:00:05 , 1.5 ,x\r\n01/02/26, 10:01:00\r\n");
    LogFileView view;
    ASSERT_TRUE(view.Open(dir.File("day.log")));
    EXPECT_EQ(view.HeaderCount(), 2);
    ASSERT_EQ(view.Count(), 2u);
    EXPECT_EQ(LogDateText(view.Line(0)), "01/02/26");
    EXPECT_EQ(LogTimeText(view.Line(0)), "10:00:05");
    EXPECT_EQ(LogFieldText(view.Line(0), 0), "1.5");
    EXPECT_EQ(LogFieldText(view.Line(0), 1), "x");
    EXPECT_EQ(LogFieldText(view.Line(1), 0), "");
    EXPECT_FALSE(view.Open(dir.File("none.log")));
}

HistoricLog OneDay(const test::LogFolder& logs) {
    HistoricLog log;
    EXPECT_EQ(LoadHistoricRange(Station(logs), FromLocal(2026, 6, 1, 0, 0, 0), FromLocal(2026, 6, 1, 23, 59, 59), log),
              HistoricLoadStatus::Ok);
    return log;
}

TEST(HistoricTraces, TenMinuteReadingsCountInMinutesAndOneOddSecondSwitchesToSeconds) {
    test::LogFolder logs;
    logs.WriteDay({2026, 6, 1}, {"Temp"}, {"01/06/26, 10:00:00, 1", "01/06/26, 10:10:00, 2", "01/06/26, 10:20:00, 4"});
    HistoricLog log = OneDay(logs);
    ASSERT_EQ(HistoricTimeUnit(log), 60);
    EXPECT_EQ(HistoricLastIndex(log, 60), 20);
    HistoricTrace trace = HistoricTrace::Default(0);
    trace.channel = 0;
    const TraceSeries minutes = BuildTraceSeries(log, trace, 60);
    EXPECT_EQ(minutes.x, (std::vector<double>{0, 10, 20}));
    EXPECT_EQ(minutes.y, (std::vector<double>{1, 2, 4}));  // the chart draws straight lines between

    logs.WriteDay({2026, 6, 1}, {"Temp"}, {"01/06/26, 10:00:00, 1", "01/06/26, 10:10:30, 2", "01/06/26, 10:20:00, 4"});
    log = OneDay(logs);
    ASSERT_EQ(HistoricTimeUnit(log), 1);
    EXPECT_EQ(BuildTraceSeries(log, trace, 1).x, (std::vector<double>{0, 630, 1200}));
    EXPECT_TRUE(BuildTraceSeries(log, HistoricTrace::Default(1), 1).x.empty());  // no channel, no points
}

TEST(HistoricTraces, DirectionStaysContinuousAcrossNorthAndBreaksOnAHalfTurn) {
    test::LogFolder logs;
    logs.WriteDay({2026, 6, 1}, {"Dir"}, {"01/06/26, 10:00:00, 350", "01/06/26, 10:01:00, 10", "01/06/26, 10:02:00, 30"});
    HistoricTrace trace;
    trace.channel = 0;
    trace.windDirection = true;
    HistoricLog log = OneDay(logs);
    TraceSeries s = BuildTraceSeries(log, trace, 60);
    EXPECT_EQ(s.y, (std::vector<double>{350, 370, 390}));

    logs.WriteDay({2026, 6, 1}, {"Dir"}, {"01/06/26, 10:00:00, 90", "01/06/26, 10:10:00, 300"});
    log = OneDay(logs);
    s = BuildTraceSeries(log, trace, 60);
    EXPECT_EQ(s.x, (std::vector<double>{0, 1, 10}));
    EXPECT_EQ(s.y, (std::vector<double>{450, kTraceHole, 660}));  // the step of 210 leaves a hole

    trace.windDirection = false;
    EXPECT_EQ(BuildTraceSeries(log, trace, 60).y, (std::vector<double>{90, 300}));
}

}  // namespace
}  // namespace svu
