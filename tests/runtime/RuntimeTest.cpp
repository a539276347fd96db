#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "framework/StringTable.h"
#include "runtime/Runtime.h"
#include "runtime/RuntimeTestSupport.h"

namespace svu {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

using RuntimeTest = test::RuntimeFixture;
using test::FileStation;

TEST_F(RuntimeTest, FileStationRunsUntilStoppedAndItsLogIsClosed) {
    const std::string input = reports.dir.File("in.log");
    WriteFileBytes(input, "1\r\nTemp\r\n05/12/26, 14:05:00, 5\r\n05/12/26, 14:06:00, 6\r\n");
    StationList list;
    list.push_back(FileStation("Hill", input));
    list.back()->loggingEnabled = 1;
    list.back()->logAllValues = 1;
    list.back()->logFolder = reports.dir.Path().string();
    list.push_back(FileStation("Missing", reports.dir.File("missing.log")));
    ASSERT_TRUE(SaveStationFile(settings.StationFilePath(), list));

    Runtime runtime(settings, ui, clock);
    ASSERT_TRUE(runtime.LoadStations().Ok());
    ASSERT_EQ(runtime.Stations().size(), 2u);
    runtime.StartAcquisition();
    EXPECT_TRUE(runtime.AcquisitionRunning());
    EXPECT_EQ(runtime.StartedThreadCount(), 2u);  // the station without its file waits for it
    const std::string log = LogFileName(reports.dir.Path().string(), "Hill", 2026, 12, 5);
    for (int i = 0; i < 2000 && ReadFileBytes(log).find("14:06:00") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    int pumps = 0;
    runtime.StopAcquisition([&] { ++pumps; });
    EXPECT_FALSE(runtime.AcquisitionRunning());
    EXPECT_EQ(runtime.StartedThreadCount(), 0u);
    WeatherStation& hill = *runtime.Stations()[0];
    EXPECT_FALSE(hill.threadRunning);
    EXPECT_FALSE(hill.logFile.IsOpen());
    EXPECT_NE(ReadFileBytes(log).find("05/12/26, 14:06:00, 05/12/26, 14:06:00,  6\r\n"), std::string::npos);
    EXPECT_TRUE(runtime.FinishStop());
}

TEST_F(RuntimeTest, MissingOrDamagedStationFileLeavesTheListEmpty) {
    Runtime runtime(settings, ui, clock);
    EXPECT_EQ(runtime.LoadStations().failure, StationFileResult::Failure::Unreadable);
    WriteFileBytes(settings.StationFilePath(), "\x02\x00garbage");
    EXPECT_EQ(runtime.LoadStations().failure, StationFileResult::Failure::Damaged);
    EXPECT_TRUE(runtime.Stations().empty());
}

TEST_F(RuntimeTest, NoDataWarningWatchesEveryEnabledStation) {
    settings.WriteSettingInt(kSectionNoDataWarning, kKeyNoDataMinutes, 1);
    Runtime runtime(settings, ui, clock);
    runtime.Stations().push_back(FileStation("A", reports.dir.File("none.log")));
    runtime.Stations().push_back(FileStation("Off", reports.dir.File("none.log")));
    runtime.Stations().back()->active = 0;
    runtime.Stations().push_back(FileStation("B", reports.dir.File("none.log")));
    EXPECT_FALSE(runtime.Refresh().alertsChanged);  // not running: nothing happens
    runtime.StartAcquisition();
    EXPECT_FALSE(runtime.Refresh().alertsChanged);

    clock.Advance(std::chrono::seconds(61));
    const TimeT now = clock.Now();
    const std::string warning = FormatString(248, FormatUserTime(now), FormatUserDate(now));
    EXPECT_TRUE(runtime.Refresh().alertsChanged);
    EXPECT_EQ(runtime.AlertsText(), "A:\r\n" + warning + "B:\r\n" + warning);
    EXPECT_EQ(runtime.Stations()[1]->alarmText, "");
    EXPECT_FALSE(runtime.Refresh().alertsChanged);  // repeats once per period, not per tick

    runtime.ResetAlerts();
    EXPECT_EQ(runtime.AlertsText(), "");
    EXPECT_FALSE(runtime.Refresh().alertsChanged);
    EXPECT_EQ(runtime.Stations()[0]->alarmText, "");

    // Alarms disabled: messages gather but no alerts text is built.
    DisableAllAlarms() = 1;
    clock.Advance(std::chrono::seconds(61));
    EXPECT_FALSE(runtime.Refresh().alertsChanged);
    EXPECT_FALSE(runtime.Stations()[2]->alarmText.empty());
    runtime.StopAcquisition();
}

TEST_F(RuntimeTest, NoWarningWhenThePeriodIsUnderAMinute) {
    settings.WriteSettingInt(kSectionNoDataWarning, kKeyNoDataMinutes, 0);
    Runtime runtime(settings, ui, clock);
    EXPECT_EQ(runtime.NoDataPeriod(), 0);
    runtime.Stations().push_back(FileStation("A", reports.dir.File("none.log")));
    runtime.StartAcquisition();
    clock.Advance(std::chrono::hours(30));
    runtime.Refresh();
    EXPECT_EQ(runtime.Stations()[0]->alarmText, "");
}

TEST_F(RuntimeTest, WebPageShowsEnabledStationsOnTheFirstTick) {
    WriteFileBytes(reports.dir.File("t.htm"), "{STRATAVUE:A:Temp(4.1)} {STRATAVUE:Off:Temp}\n");
    settings.WriteSettingInt(kSectionWebOutput, kKeyWebActive, 1);
    settings.WriteSettingString(kSectionWebOutput, kKeyWebTemplate, reports.dir.File("t.htm"));
    settings.WriteSettingString(kSectionWebOutput, kKeyWebOutput, reports.dir.File("out.htm"));
    Runtime runtime(settings, ui, clock);
    runtime.Stations().push_back(FileStation("A", reports.dir.File("none.log")));
    runtime.Stations().push_back(FileStation("Off", reports.dir.File("none.log")));
    runtime.Stations()[0]->values[2] = "3.14159";
    runtime.Stations()[1]->active = 0;
    EXPECT_FALSE(runtime.Refresh().webPageProduced);
    runtime.StartAcquisition();
    EXPECT_TRUE(runtime.Refresh().webPageProduced);
    EXPECT_FALSE(runtime.Refresh().webPageProduced);
    EXPECT_EQ(ReadFileBytes(reports.dir.File("out.htm")), "03.1 {STRATAVUE:Off:Temp}\r\n");
    runtime.StopAcquisition();
}

}  // namespace
}  // namespace svu
