#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "framework/LocalTime.h"
#include "historic/HistoricWindrose.h"
#include "historic/LogFilesFixture.h"

namespace svu {
namespace {

// Readings every `step` seconds from 10:00:00 on 1 June 2026, all with one direction and speed.
HistoricLog SteadyWind(test::LogFolder& logs, int count, int step, const char* direction, const char* speed) {
    std::vector<std::string> records;
    const TimeT start = FromLocal(2026, 6, 1, 10, 0, 0);
    for (int i = 0; i < count; ++i) {
        records.push_back(FormatLogStamp(start + i * step) + ", " + direction + ", " + speed);
    }
    logs.WriteDay({2026, 6, 1}, {"Dir", "Speed"}, records);
    HistoricSource source;
    source.logFolder = logs.Folder();
    source.stationName = "Hill";
    HistoricLog log;
    LoadHistoricRange(source, FromLocal(2026, 6, 1, 0, 0, 0), FromLocal(2026, 6, 1, 23, 59, 59), log);
    return log;
}

TEST(HistoricWindrose, AnHourFromTheEastAtFiveMetresASecondRunsEighteenKilometres) {
    test::LogFolder logs;
    const HistoricLog log = SteadyWind(logs, 61, 60, "90", "5");
    RoseSettings settings;
    settings.directionChannel = 0;
    settings.speedChannel = 1;
    const RoseResult rose = ComputeRose(log, settings);
    EXPECT_EQ(RoseTableRowText(rose, 4).sector, "E");
    EXPECT_EQ(RoseTableRowText(rose, 4).run, "18.0");
    EXPECT_EQ(RoseTableRowText(rose, 4).percent, "100.0");
    EXPECT_EQ(RoseTableRowText(rose, 0).run, "0.0");
    EXPECT_EQ(RoseTableRowText(rose, 16).sector, "Total");
    EXPECT_EQ(RoseTableRowText(rose, 16).run, "18.0");

    settings.speedChannel = -1;
    EXPECT_EQ(ComputeRose(log, settings).total, 0.0f);
}

TEST(HistoricWindrose, TenKnotsForAnHourIsTenNauticalMiles) {
    test::LogFolder logs;
    const HistoricLog log = SteadyWind(logs, 2, 3600, "200", "10");
    RoseSettings settings{0, 1, RoseSpeedUnit::Knots, RoseRunUnit::NauticalMiles};
    const RoseResult rose = ComputeRose(log, settings);
    EXPECT_EQ(RoseTableRowText(rose, RoseSector(200)).run, "10.0");
    EXPECT_EQ(RoseSector(200), 9);  // SSW
}

TEST(HistoricWindrose, SectorBoundariesBelongToTheSectorBefore) {
    EXPECT_EQ(RoseSector(11.25), 0);
    EXPECT_EQ(RoseSector(11.26), 1);
    EXPECT_EQ(RoseSector(348.76), 0);
    EXPECT_EQ(RoseSector(360), 0);
    EXPECT_EQ(RoseSector(-360), 0);
    EXPECT_EQ(RoseSector(191.25), 8);
    EXPECT_EQ(RoseSector(-90), 12);
    EXPECT_EQ(RoseSector(1e30), RoseSector(std::fmod(1e30, 360.0)));
    EXPECT_EQ(RoseSectorName(15), "NNW");
    EXPECT_EQ(RoseSectorName(3, 8), "SE");
    EXPECT_EQ(RoseSector(22.5, 8), 0);
    EXPECT_EQ(RoseSector(22.6, 8), 1);
}

}  // namespace
}  // namespace svu
