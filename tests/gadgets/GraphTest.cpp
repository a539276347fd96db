#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <bit>
#include <cmath>
#include <cstring>
#include <fstream>

#include "framework/Clock.h"
#include "framework/TempDir.h"
#include "gadgets/GraphGadget.h"
#include "gadgets/ItemTestSupport.h"
#include "stations/WeatherStation.h"

namespace svu {
namespace {

// A graph whose chart is `width` pixels wide (the client area inside the 3-pixel frame).
void Size(GraphGadget& g, int width, int height = 200) {
    g.rect = {0, 0, width + 6, height + 6};
}

class GraphTest : public ::testing::Test {
protected:
    void SetUp() override {
        station().logFolder = logs.Path().string();
        Size(graph, 400);
        graph.SetSource(0, &station(), 1);
        graph.SetSource(1, &station(), 2);
    }
    WeatherStation& station() { return *stations[0]; }
    bool Take(TimeT time, const std::string& first, const std::string& second = "") {
        {
            std::lock_guard guard(station().lock);
            station().readingTime = time;
            station().values[0] = first;
            station().values[1] = second;
        }
        return graph.UpdateFromChannels();
    }
    double Point(int trace, int fromEnd) const {
        return graph.traces[static_cast<size_t>(trace)].points[static_cast<size_t>(graph.PointCount() - 1 - fromEnd)];
    }

    test::Stations stations = test::OneStation();
    test::TempDir logs;
    GraphGadget graph;
    const TimeT t0 = FromLocal(2024, 3, 10, 12, 0, 0);
};

TEST(GraphDirection, ReadingsNearNorthStayContinuous) {
    bool gap = true;
    EXPECT_EQ(UnwrapDirection(10, std::nullopt, gap), 370);
    EXPECT_FALSE(gap);
    EXPECT_EQ(UnwrapDirection(350, std::nullopt, gap), 350);
    EXPECT_EQ(UnwrapDirection(10, 350, gap), 370);
    EXPECT_FALSE(gap);
    EXPECT_EQ(UnwrapDirection(10, 200, gap), 10);
    EXPECT_TRUE(gap);
    EXPECT_EQ(UnwrapDirection(170, 400, gap), 530);
    EXPECT_EQ(UnwrapDirection(100, 460, gap), 460);
    EXPECT_FALSE(gap);
}

TEST_F(GraphTest, IntervalIsTheTimeBaseOverTheWidthRoundedUp) {
    graph.Configure();
    EXPECT_EQ(graph.PointCount(), 400);
    EXPECT_EQ(graph.Interval(), 9);
    Size(graph, 401);
    graph.Configure();
    EXPECT_EQ(graph.Interval(), 9);
    Size(graph, 1);
    graph.timeBase = 0;  // "Display the last" 0:00:00 must not divide by zero
    graph.Configure();
    EXPECT_EQ(graph.PointCount(), 2);
    EXPECT_EQ(graph.Interval(), 1);
}

TEST_F(GraphTest, ReadingsInOneIntervalReplaceOrHoldThePeak) {
    graph.traces[1].peakHold = 1;
    EXPECT_TRUE(Take(t0, "5", "5"));
    EXPECT_TRUE(Take(t0 + 3, "2", "2"));
    EXPECT_EQ(Point(0, 0), 2);
    EXPECT_EQ(Point(1, 0), 5);
    EXPECT_FALSE(Take(t0 + 3, "7", "7"));  // not a new reading
    EXPECT_TRUE(Take(t0 + 6, "7", "7"));
    EXPECT_EQ(Point(0, 0), 7);
    EXPECT_EQ(Point(1, 0), 7);
}

TEST_F(GraphTest, AdvancingLeavesHolesOnTheSilentTraceAndBridgesThisOne) {
    Take(t0, "10", "1");
    graph.SetSource(1, nullptr, -1);  // the second trace falls silent
    Take(t0 + 5 * 9, "20");
    EXPECT_EQ(graph.AxisEnd(), t0 + 45);
    EXPECT_EQ(Point(0, 5), 10);
    for (int i = 1; i <= 4; ++i) {
        EXPECT_DOUBLE_EQ(Point(0, 5 - i), 10 + 2 * i);
        EXPECT_TRUE(IsChartHole(Point(1, 5 - i)));
    }
    EXPECT_EQ(Point(1, 5), 1);
    // A reading between two intervals keeps the axis on whole intervals, so every point stays at
    // the time it was read.
    Take(t0 + 5 * 9 + 13, "30");
    EXPECT_EQ(graph.AxisEnd(), t0 + 54);
    EXPECT_EQ(Point(0, 0), 30);
    EXPECT_EQ(graph.PointTime(graph.PointCount() - 1 - 6), t0);
    EXPECT_EQ(Point(0, 6), 10);
}

TEST_F(GraphTest, WindDirectionCrossesNorthWithoutAJump) {
    graph.traces[0].windDirection = 1;
    Take(t0, "350");
    Take(t0 + 18, "10");
    EXPECT_EQ(Point(0, 2), 350);
    EXPECT_EQ(Point(0, 1), 360);
    EXPECT_EQ(Point(0, 0), 370);
    graph.ResetHistory();
    Take(t0 + 100, "200");
    Take(t0 + 118, "10");
    EXPECT_EQ(Point(0, 0), 10);
    EXPECT_TRUE(IsChartHole(Point(0, 1)));  // more than half a turn: not bridged
}

TEST_F(GraphTest, PointsAreDrawnInTheColumnsTheirTimesFallIn) {
    graph.SetSource(1, nullptr, -1);
    graph.traces[0].colour = 0x0000FF;  // red
    graph.backgroundColour = 0xFFFFFF;
    graph.traces[0].autoRange = 0;
    graph.traces[0].minimum = -5;
    graph.traces[0].maximum = 15;
    // Flat at 0 with one spike of 10 read 30 minutes before the newest reading.
    for (TimeT t = t0; t <= t0 + 3600; t += 10) {  // one reading every 10 s, 9 s per point
        Take(t, t == t0 + 1800 ? "10" : "0");
    }
    // The point the spike's reading lies in; the chart draws a point in the pixel column and row its
    // time and value fall in. The axis labels' font moves the plot: several fonts, whatever the
    // machine has installed, must all put the spike where the layout says.
    const TimeT spikeTime = graph.PointTime(static_cast<int>(graph.IndexOf(t0 + 1800)));
    const QRect client(0, 0, 400, 200);
    for (const char* face : {"DejaVu Sans", "DejaVu Serif", "Times New Roman", "Lato"}) {
        for (const int height : {-11, -16, -23}) {
            SCOPED_TRACE(std::string(face) + " " + std::to_string(height));
            graph.mainFont.faceName = face;
            graph.mainFont.height = height;
            QImage image(client.size(), QImage::Format_RGB32);
            {
                QPainter painter(&image);
                graph.Paint(painter, client);
            }
            const ChartLayout layout = ComputeChartLayout(graph.MakeChartState(), client);
            const auto spike = static_cast<int>(std::floor(layout.XToPixel(static_cast<double>(spikeTime - graph.AxisEnd()))));
            const auto top = static_cast<int>(std::floor(layout.YToPixel(0, 10)));
            auto red = [&](int x, int y) {
                const QRgb p = image.pixel(x, y);
                return qRed(p) > 200 && qGreen(p) < 80 && qBlue(p) < 80;
            };
            int highest = -1;  // the first plot column whose red line reaches 10 (the axis numbers are red too)
            for (int x = static_cast<int>(layout.plot.left()) + 1; x < client.width() && highest < 0; ++x) {
                if (red(x, top)) {
                    highest = x;
                }
            }
            EXPECT_NEAR(highest, spike, 1);
            EXPECT_TRUE(red(static_cast<int>(layout.plot.left()) + 2,
                            static_cast<int>(std::floor(layout.YToPixel(0, 0)))));
        }
    }
}

TEST_F(GraphTest, AnEmptyGraphShowsTheWindowEndingNow) {
    ManualClock clock(t0 + 7200);
    SetGadgetClock(&clock);
    graph.Configure();
    const ChartState empty = graph.MakeChartState();
    const ChartLayout layout = ComputeChartLayout(empty, QRect(0, 0, 400, 200));
    SetGadgetClock(nullptr);
    EXPECT_EQ(empty.timeBase, t0 + 7200);
    EXPECT_EQ(layout.xMaximum, 0.0);
    EXPECT_NEAR(layout.xMinimum, -3600.0, 10.0);
    // Once readings arrive the axis follows them, not the clock.
    Take(t0, "1");
    EXPECT_EQ(graph.MakeChartState().timeBase, graph.AxisEnd());
    EXPECT_LE(graph.AxisEnd(), t0);
}

TEST_F(GraphTest, StartingTraceIsFilledFromTheLogsAndGapsBridged) {
    graph.timeBase = 7200;  // 18 s per point
    const TimeT start = FromLocal(2024, 3, 10, 0, 30, 0);
    auto write = [&](TimeT day, int channels, const std::vector<std::pair<TimeT, std::string>>& records) {
        const LocalTm tm = ToLocal(day);
        std::ofstream out(LogFileName(station().logFolder, station().name, tm.year, tm.month, tm.day));
        out << channels << "\r\n";
        for (int i = 0; i < channels; ++i) {
            out << "C" << i << "\r\n";
        }
        for (const auto& [time, values] : records) {
            out << FormatLogStamp(time) << ", " << values << "\r\n";
        }
    };
    write(start - 86400, 2, {{start - 9000, "99, 99"}, {start - 3600, "4, 40"}, {start - 3600 + 36, "6, 60"}});
    write(start, 2, {{start - 36, "8, 80"}});
    write(start - 2 * 86400, 2, {{start - 7000, "99, 99"}});
    graph.SetSource(1, &station(), 3);  // more channels than the logs hold: nothing read
    Take(start, "10", "1");
    const int n = graph.PointCount();
    EXPECT_EQ(Point(0, 0), 10);
    EXPECT_EQ(Point(0, 2), 8);
    EXPECT_EQ(Point(0, 200), 4);
    EXPECT_EQ(Point(0, 198), 6);
    EXPECT_DOUBLE_EQ(Point(0, 199), 5);  // bridged between the logged readings
    EXPECT_DOUBLE_EQ(Point(0, 100), 6 + 2 * 98.0 / 196);
    EXPECT_TRUE(IsChartHole(Point(0, 201)));  // nothing before the first reading
    EXPECT_TRUE(IsChartHole(graph.traces[0].points[0]));
    EXPECT_EQ(graph.traces[0].starting, 0);
    for (int i = 0; i < n - 1; ++i) {
        EXPECT_TRUE(IsChartHole(graph.traces[1].points[static_cast<size_t>(i)])) << i;
    }
}

TEST_F(GraphTest, ResetAndCopyStartAgain) {
    Take(t0, "1", "2");
    graph.ResetHistory();
    EXPECT_EQ(graph.traces[0].starting, 1);
    EXPECT_EQ(graph.traces[1].starting, 1);
    EXPECT_TRUE(IsChartHole(Point(0, 0)));
    std::unique_ptr<Gadget> copy = graph.Clone();
    auto& other = dynamic_cast<GraphGadget&>(*copy);
    EXPECT_EQ(other.source2.channel, 2);
    EXPECT_EQ(other.traces[0].lastReadingTime, t0);
    EXPECT_EQ(other.PointCount(), 0);
}

TEST(GraphRecord, RoundTripsAndOlderLayoutsReadWhatTheyHold) {
    test::Stations stations = test::OneStation();
    GraphGadget g;
    EXPECT_EQ(g.mainFont.height, -16);  // a new graph's fonts are both 16 pixels high
    g.mainFont.height = -48;            // as the spelt-out base record has it
    g.rect = {0, 0, 200, 100};
    g.SetSource(0, stations[0].get(), 3);
    g.traces[0].autoRange = 0;
    g.traces[0].maximum = 2.5;
    g.traces[1].minimum = -1;
    g.timeBase = 600;
    g.traces[0].title = "Temp";
    g.traces[1].windDirection = 1;
    g.traces[0].peakHold = 1;
    g.traces[1].grid = 1;
    g.timeGrid = 1;
    g.traces[1].peakHold = 1;
    test::RecordBytes want;
    auto f64 = [&](double v) {
        const auto bits = std::bit_cast<uint64_t>(v);
        want.I32(static_cast<int64_t>(bits & 0xFFFFFFFF)).I32(static_cast<int64_t>(bits >> 32));
    };
    want.ClassTag("GraphGadget", 6).Base(6);
    want.I32(0).I32(1);
    f64(2.5);
    f64(1.0);
    f64(0.0);
    f64(-1.0);
    want.I32(600).I32(0xFF0000).I32(0x0000FF).Str("Temp").Str("").I32(0).I32(1);
    want.Str("Raw2").Str("Hill").I32(1).I32(0).I32(1).I32(1).Str("").Str("").I32(1);
    EXPECT_EQ(test::StoreItem(g), want.b);
    auto back = test::ReadItem<GraphGadget>(want.b);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(test::StoreItem(*back), want.b);
    EXPECT_FALSE(back->ReadInOldFormat());

    // Schema 1: channel numbers, no peak hold, no grids; the file is flagged as an old layout.
    test::RecordBytes old;
    old.ClassTag("GraphGadget", 1).Base(1).I32(1).I32(1);
    for (int i = 0; i < 8; ++i) {
        old.I32(0);
    }
    old.I32(300).I32(1).I32(2).Str("A").Str("B").I32(0).I32(0).I32(5).Str("Hill").I32(6).Str("Hill");
    auto oldBack = test::ReadItem<GraphGadget>(old.b);
    ASSERT_NE(oldBack, nullptr);
    EXPECT_TRUE(oldBack->ReadInOldFormat());
    oldBack->ResolveSources(stations);
    EXPECT_EQ(oldBack->source1.channel, 5);
    EXPECT_EQ(oldBack->source2.channel, 6);
    EXPECT_EQ(oldBack->timeBase, 300);
    EXPECT_EQ(oldBack->traces[1].title, "B");

    // Schema 5: peak hold but no grids.
    test::RecordBytes five;
    five.ClassTag("GraphGadget", 5).Base(5).I32(1).I32(1);
    for (int i = 0; i < 8; ++i) {
        five.I32(0);
    }
    five.I32(300).I32(1).I32(2).Str("").Str("").I32(0).I32(0).Str("").Str("").I32(1).Str("").Str("").I32(1);
    auto fiveBack = test::ReadItem<GraphGadget>(five.b);
    ASSERT_NE(fiveBack, nullptr);
    EXPECT_FALSE(fiveBack->ReadInOldFormat());
    EXPECT_EQ(fiveBack->traces[0].peakHold, 1);
    EXPECT_EQ(fiveBack->traces[1].peakHold, 1);
    EXPECT_EQ(fiveBack->timeGrid, 0);
}

}  // namespace
}  // namespace svu
