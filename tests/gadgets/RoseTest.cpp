#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <fstream>
#include <random>

#include "framework/TempDir.h"
#include "gadgets/ItemTestSupport.h"
#include "gadgets/RTDustRoseGadget.h"
#include "gadgets/RTWindRoseGadget.h"
#include "gadgets/WindRoseGadget.h"
#include "stations/WeatherStation.h"

namespace svu {
namespace {

constexpr uint32_t kRed = 0x0000FF;    // COLORREF
constexpr uint32_t kGreen = 0x00FF00;  // COLORREF
constexpr uint32_t kWhite = 0xFFFFFF;

// One reading of the test station: its time and the texts of channels 1 and 2.
void Reading(WeatherStation& station, TimeT time, const std::string& first, const std::string& second = "0") {
    std::lock_guard guard(station.lock);
    station.readingTime = time;
    station.values[0] = first;
    station.values[1] = second;
}

// A daily log of `station` for the day of `day` with `channels` channels and these records.
void WriteLog(const WeatherStation& station, TimeT day, int channels,
              const std::vector<std::pair<TimeT, std::string>>& records) {
    const LocalTm tm = ToLocal(day);
    std::ofstream out(LogFileName(station.logFolder, station.name, tm.year, tm.month, tm.day), std::ios::binary);
    out << channels << "\r\n";
    for (int i = 0; i < channels; ++i) {
        out << "Raw" << i << "\r\n";
    }
    for (const auto& [time, values] : records) {
        out << FormatLogStamp(time) << ", " << values << "\r\n";
    }
}

bool Near(QRgb pixel, uint32_t colourRef) {
    const QColor want = ColourFromRef(colourRef);
    return std::abs(qRed(pixel) - want.red()) < 40 && std::abs(qGreen(pixel) - want.green()) < 40 &&
           std::abs(qBlue(pixel) - want.blue()) < 40;
}

// Pixels of `colourRef` within `radius` of `at`.
int CountNear(const QImage& image, QPoint at, int radius, uint32_t colourRef) {
    int count = 0;
    for (int y = at.y() - radius; y <= at.y() + radius; ++y) {
        for (int x = at.x() - radius; x <= at.x() + radius; ++x) {
            if (image.rect().contains(x, y) && Near(image.pixel(x, y), colourRef)) {
                ++count;
            }
        }
    }
    return count;
}

// How far from `origin` the fill colour reaches along a compass bearing.
double PetalLength(const QImage& image, QPoint origin, double bearing, uint32_t fill) {
    const double radians = bearing * M_PI / 180.0;
    double reach = 0;
    for (double d = 1; d < 400; d += 0.5) {
        const int x = origin.x() + static_cast<int>(std::lround(d * std::sin(radians)));
        const int y = origin.y() - static_cast<int>(std::lround(d * std::cos(radians)));
        if (!image.rect().contains(x, y) || !Near(image.pixel(x, y), fill)) {
            break;
        }
        reach = d;
    }
    return reach;
}

TEST(RoseSectors, BoundariesBelongToTheLowerSectorAndDirectionsWrap) {
    EXPECT_EQ(WindSector(11.25), 0);
    EXPECT_EQ(WindSector(348.76f), 0);
    EXPECT_EQ(WindSector(11.26), 1);
    EXPECT_EQ(WindSector(360), 0);
    EXPECT_EQ(WindSector(-22.5), 15);
    EXPECT_EQ(WindSector(90), 4);
    EXPECT_EQ(WindSector(720 + 180), 8);
    EXPECT_EQ(WindSector(std::nan("")), 0);
}

TEST(WindDial, PointerAtTheBearingOfItsValueAndRepaintOnlyOnChange) {
    test::Stations stations = test::OneStation();
    WeatherStation& station = *stations[0];
    WindRoseGadget g;
    g.SetSource(0, &station, 1);
    g.pointerColour = kRed;
    g.roseColour = 0;
    g.backgroundColour = kWhite;
    for (const double bearing : {90.0, 225.0, 10.0}) {
        Reading(station, 1000 + static_cast<TimeT>(bearing), std::to_string(bearing));
        ASSERT_TRUE(g.UpdateFromChannels());
        const QImage image = test::Render(g, QSize(150, 150));
        // r = 75 - 12; the pointer's tip lies on the circle and its base 12 pixels inside.
        const double radians = bearing * M_PI / 180.0;
        auto at = [&](double d) {
            return QPoint(75 + static_cast<int>(std::lround(d * std::sin(radians))),
                          75 - static_cast<int>(std::lround(d * std::cos(radians))));
        };
        EXPECT_GT(CountNear(image, at(57), 3, kRed), 10) << bearing;
        EXPECT_EQ(CountNear(image, at(-57), 8, kRed), 0) << bearing;
    }
    // A new reading with the same direction, or a changed value without a new reading time,
    // leaves the dial as it is.
    Reading(station, 5000, "10");
    EXPECT_FALSE(g.UpdateFromChannels());
    Reading(station, 5000, "20");
    EXPECT_FALSE(g.UpdateFromChannels());
    g.ForgetReadingTime();
    EXPECT_TRUE(g.UpdateFromChannels());
    EXPECT_FLOAT_EQ(g.direction, 20);
}

class RealtimeRoseTest : public ::testing::Test {
protected:
    void SetUp() override {
        station().logFolder = logs.Path().string();
        rose.SetSource(0, &station(), 1);
        rose.SetSource(1, &station(), 2);
    }
    WeatherStation& station() { return *stations[0]; }
    // Every reading goes through the refresh, as the view's timer takes them.
    bool Take(TimeT time, double speed, double direction) {
        Reading(station(), time, std::to_string(speed), std::to_string(direction));
        return rose.UpdateFromChannels();
    }

    test::Stations stations = test::OneStation();
    test::TempDir logs;
    RTWindRoseGadget rose;
    const TimeT t0 = FromLocal(2024, 3, 10, 12, 0, 0);
};

TEST_F(RealtimeRoseTest, WindRunOfEachIntervalGoesToTheSectorOfItsReading) {
    rose.speedUnit = static_cast<int32_t>(SpeedUnit::Kph);
    Take(t0, 10, 270);
    EXPECT_EQ(rose.History().Total(), 0);  // the first reading has no interval before it
    EXPECT_TRUE(Take(t0 + 60, 10, 90));
    EXPECT_NEAR(rose.History().Sums()[4], 166.667, 0.01);
    EXPECT_EQ(rose.History().Sums()[12], 0);
    EXPECT_EQ(rose.topLeftText, "Prevailing direction 090 Deg, Wind run 166.7 Metres");
    rose.distanceUnit = static_cast<int32_t>(DistanceUnit::Km);
    rose.Recompute();
    EXPECT_EQ(rose.topLeftText, "Prevailing direction 090 Deg, Wind run 0.17 km");
    // The same reading time again is not a new reading.
    EXPECT_FALSE(Take(t0 + 60, 50, 180));
    EXPECT_NEAR(rose.History().Total(), 166.667, 0.01);
    // A clock set back adds no (negative) run.
    EXPECT_FALSE(Take(t0 + 30, 10, 180));
    EXPECT_NEAR(rose.History().Total(), 166.667, 0.01);
}

TEST_F(RealtimeRoseTest, WindowKeepsItsLengthAndDropsOlderReadings) {
    Take(t0, 1, 0);
    Take(t0 + 1800, 1, 90);
    Take(t0 + 3600, 1, 180);
    EXPECT_EQ(rose.History().Size(), 3u);  // exactly the window's length old: kept
    Take(t0 + 3601, 1, 270);
    EXPECT_EQ(rose.History().Size(), 3u);
    EXPECT_EQ(rose.History().Oldest().time, t0 + 1800);
    EXPECT_NEAR(rose.History().Sums()[4], 1800, 1e-9);
    EXPECT_NEAR(rose.History().Sums()[12], 1, 1e-9);
    // After a silence longer than the window only the window's length of run counts.
    Take(t0 + 20000, 2, 0);
    EXPECT_EQ(rose.History().Size(), 1u);
    EXPECT_NEAR(rose.History().Total(), 7200, 1e-9);

    rose.ResetHistory();
    EXPECT_TRUE(rose.History().Empty());
    EXPECT_EQ(rose.needsBackFill, 1);
}

TEST(RoseWindowTotals, RunningTotalsMatchAFreshSumOverALongRun) {
    RoseWindow window;
    std::mt19937 random(7);
    std::uniform_real_distribution<float> amount(0, 50);
    std::uniform_real_distribution<float> direction(0, 360);
    for (TimeT t = 0; t < 50000; t += 1 + static_cast<TimeT>(random() % 3)) {
        RoseSample s{amount(random), direction(random), t, 0};
        s.sector = static_cast<uint32_t>(WindSector(s.direction));
        window.DropOlderThan(t, 600);
        window.Append(s);
        ASSERT_LE(window.Size(), 601u);
    }
    RoseWindow fresh = window;
    fresh.Recompute();
    for (int k = 0; k < kRoseSectors; ++k) {
        EXPECT_NEAR(window.Sums()[k], fresh.Sums()[k], 1e-6 * fresh.Total());
    }
    EXPECT_NEAR(window.PrevailingDirection(), fresh.PrevailingDirection(), 1e-6);
}

TEST_F(RealtimeRoseTest, PetalsInProportionToTheSectorTotals) {
    rose.fillColour = kGreen;
    rose.roseColour = 0;
    rose.backgroundColour = kWhite;
    Take(t0, 1, 0);
    Take(t0 + 100, 1, 0);    // north 100
    Take(t0 + 150, 1, 90);   // east 50
    Take(t0 + 175, 1, 180);  // south 25
    const QImage image = test::Render(rose, QSize(350, 350));
    const QPoint origin(175, 175);
    EXPECT_NEAR(PetalLength(image, origin, 0, kGreen), 150, 2);
    EXPECT_NEAR(PetalLength(image, origin, 90, kGreen), 75, 2);
    EXPECT_NEAR(PetalLength(image, origin, 180, kGreen), 37.5, 2);
    EXPECT_EQ(PetalLength(image, origin, 270, kGreen), 0);
    // Without any run there are no petals at all.
    rose.ResetHistory();
    EXPECT_EQ(CountNear(test::Render(rose, QSize(350, 350)), origin, 170, kGreen), 0);
}

TEST_F(RealtimeRoseTest, StartFillsTheWindowFromYesterdaysAndTodaysLogs) {
    const TimeT start = FromLocal(2024, 3, 10, 0, 30, 0);
    WriteLog(station(), start - 86400, 3,
             {{start - 7200, "5, 90, x"}, {start - 2400, "1, 90, x"}, {start - 2340, "1, 180, x"}});
    WriteLog(station(), start, 3, {{start - 60, "2, 270, x"}, {start, "2, 0, x"}, {start + 60, "9, 9, x"}});
    WriteLog(station(), start - 2 * 86400, 3, {{start - 86400 - 60, "9, 45, x"}});
    rose.window = 3600;
    EXPECT_TRUE(Take(start, 2, 0));
    // Kept: 23:50 (east: of the 80 minutes since 22:30 only the window's hour counts), 23:51
    // (60 s at 1 m/s, south), 00:29 (2280 s at 2 m/s, west), 00:30 twice (60 s at 2 m/s north
    // from the log; 0 for the reading itself); later records and older logs are not read.
    EXPECT_EQ(rose.History().Size(), 5u);
    EXPECT_NEAR(rose.History().Sums()[4], 3600, 1e-6);
    EXPECT_NEAR(rose.History().Sums()[8], 60, 1e-6);
    EXPECT_NEAR(rose.History().Sums()[12], 4560, 1e-6);
    EXPECT_NEAR(rose.History().Sums()[0], 120, 1e-6);
    EXPECT_EQ(rose.needsBackFill, 0);

    // A log with fewer channels than a source is passed over.
    RTDustRoseGadget dust;
    dust.SetSource(0, &station(), 3);
    dust.SetSource(1, &station(), 4);
    WriteLog(station(), start, 3, {{start - 60, "2, 270, 1, 1"}});
    Reading(station(), start, "1", "2");
    dust.UpdateFromChannels();
    EXPECT_EQ(dust.History().Size(), 1u);
}

TEST(RoseRecords, EveryKindRoundTripsAndTheOldLayoutIsFlagged) {
    test::Stations stations = test::OneStation();
    RTWindRoseGadget wind;
    wind.SetSource(0, stations[0].get(), 2);
    wind.SetSource(1, stations[0].get(), 3);
    wind.bitmapFile = "site.bmp";
    wind.roseColour = 1;
    wind.fillColour = 2;
    wind.speedUnit = 3;
    wind.distanceUnit = 2;
    wind.originX = -5;
    wind.originY = 6;
    wind.radius = 99;
    wind.step = 7;
    wind.window = 600;
    test::RecordBytes want;
    want.ClassTag("RTWindRoseGadget", 6).Base(6).Str("site.bmp").I32(1).I32(2).I32(3).I32(2);
    want.I32(-5).I32(6).I32(99).I32(7).I32(600).Str("Raw1").Str("Hill").Str("Raw2").Str("Hill");
    wind.rect = {0, 0, 200, 100};
    EXPECT_EQ(test::StoreItem(wind), want.b);
    auto windBack = test::ReadItem<RTWindRoseGadget>(want.b);
    ASSERT_NE(windBack, nullptr);
    windBack->ResolveSources(stations);
    EXPECT_EQ(windBack->source2.channel, 3);
    EXPECT_EQ(windBack->needsBackFill, 1);
    EXPECT_FALSE(windBack->ReadInOldFormat());
    EXPECT_EQ(test::StoreItem(*windBack), want.b);

    RTDustRoseGadget dust;
    dust.window = 120;
    dust.originX = 11;
    auto dustBack = test::ReadItem<RTDustRoseGadget>(test::StoreItem(dust));
    ASSERT_NE(dustBack, nullptr);
    EXPECT_EQ(dustBack->window, 120);
    EXPECT_EQ(dustBack->originX, 11);

    WindRoseGadget dial;
    dial.pointerColour = 0x123456;
    dial.roseColour = 0x654321;
    auto dialBack = test::ReadItem<WindRoseGadget>(test::StoreItem(dial));
    ASSERT_NE(dialBack, nullptr);
    EXPECT_EQ(dialBack->pointerColour, 0x123456u);
    EXPECT_EQ(dialBack->roseColour, 0x654321u);

    // Schema 1 keeps channel numbers: the document is told the file is in the old layout.
    test::RecordBytes old;
    old.ClassTag("WindRoseGadget", 1).Base(1).I32(7).I32(8).I32(4).Str("Hill");
    auto oldDial = test::ReadItem<WindRoseGadget>(old.b);
    ASSERT_NE(oldDial, nullptr);
    EXPECT_TRUE(oldDial->ReadInOldFormat());
    oldDial->ResolveSources(stations);
    EXPECT_EQ(oldDial->source1.channel, 4);
    test::RecordBytes oldDust;
    oldDust.ClassTag("RTDustRoseGadget", 1).Base(1).Str("").I32(1).I32(2).I32(3).I32(4).I32(50).I32(5).I32(60);
    oldDust.I32(2).Str("Hill").I32(3).Str("Hill");
    auto oldDustBack = test::ReadItem<RTDustRoseGadget>(oldDust.b);
    ASSERT_NE(oldDustBack, nullptr);
    EXPECT_TRUE(oldDustBack->ReadInOldFormat());
    EXPECT_EQ(oldDustBack->window, 60);
}

TEST_F(RealtimeRoseTest, CopyCarriesHistoryAndDustRosePaints) {
    Take(t0, 1, 0);
    Take(t0 + 100, 1, 45);
    std::unique_ptr<Gadget> copy = rose.Clone();
    auto& wind = dynamic_cast<RTWindRoseGadget&>(*copy);
    EXPECT_EQ(wind.History().Size(), 2u);
    EXPECT_EQ(wind.source1.station, &station());

    RTDustRoseGadget dust;
    dust.SetSource(0, &station(), 1);
    dust.SetSource(1, &station(), 2);
    dust.fillColour = 0x0080FF;
    dust.roseColour = 0x800000;
    dust.topLeftText = "PM10";
    for (int i = 0; i < 16; ++i) {
        Reading(station(), t0 + 60 * i, std::to_string(10 + 3 * i), std::to_string(22.5 * i));
        dust.UpdateFromChannels();
    }
    EXPECT_NEAR(dust.History().Sums()[5], 60.0 * 25, 1e-6);
    EXPECT_FALSE(test::Render(dust, QSize(350, 350)).isNull());  // paints with every sector filled
}

}  // namespace
}  // namespace svu
