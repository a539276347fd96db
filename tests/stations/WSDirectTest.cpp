// The Direct station against its instrument simulator on a pseudo-terminal: the real-time thread
// with its checksum and resynchronisation, device loss, stopping, and every instrument operation.

#include <gtest/gtest.h>

#include <bit>
#include <filesystem>
#include <functional>
#include <thread>

#include "derived/ProcessedSum.h"
#include "framework/Profile.h"
#include "framework/StringTable.h"
#include "framework/TextUtil.h"
#include "sim/DirectLine.h"
#include "sim/DirectSimulator.h"
#include "stations/StationTestSupport.h"
#include "stations/WSDirect.h"

namespace svu {
namespace {

using test::Count;
using test::ReadFileBytes;
using test::WaitFor;
using Host = test::ThreadHost;

// A clock running with the real one but showing another calendar time.
class ShiftedClock : public RealClock {
public:
    explicit ShiftedClock(TimeT shownAtStart) : shift_(shownAtStart - RealClock::Now()) {}
    TimeT Now() const override { return RealClock::Now() + shift_; }

private:
    TimeT shift_;
};

class WSDirectTest : public ::testing::Test {
protected:
    WSDirectTest() {
        station.port = 7;
        station.logErrors = 1;
        station.rawChannelCount = station.channelCount = 8;
        station.channelNames.assign(8, "x");
        station.ResetValues();
        station.host = &host;
    }
    ~WSDirectTest() override {
        StopThread();
        station.host = nullptr;
        station.ClosePort();
    }

    // The simulator's device becomes COM7 of the program folder's settings.
    void StartSimulator(sim::DirectSimOptions options, TimeT start = FromLocal(2026, 3, 1, 0, 10, 0)) {
        options.startTime = start;
        options.linkPath = reports.dir.File("ws1");
        simulator = std::make_unique<sim::DirectSimulator>(options);
        std::string error;
        ASSERT_TRUE(simulator->Start(&error)) << error;
        Profile(reports.dir.File("stratavue.ini")).WriteString("Ports", "COM7", options.linkPath);
    }
    void StartThread() {
        thread = std::thread([this] { StationThreadEntry(station, host); });
    }
    void StopThread() {
        host.stop = true;
        if (thread.joinable()) {
            thread.join();
        }
    }
    std::vector<std::string> Values() {
        std::lock_guard guard(station.lock);
        return station.values;
    }
    TimeT ReadingTime() {
        std::lock_guard guard(station.lock);
        return station.readingTime;
    }
    template <class T>
    T Instrument(T (*get)(sim::DirectInstrument&)) {
        return simulator->WithInstrument(get);
    }

    test::ReportScope reports;
    Host host;
    WSDirect station{"Hill"};
    std::unique_ptr<sim::DirectSimulator> simulator;
    std::thread thread;
};

TEST_F(WSDirectTest, StoresWhatTheInstrumentSentDropsCorruptLinesAndResynchronises) {
    sim::DirectSimOptions options;
    options.periodMs = 30;
    options.corruptEvery = 3;
    options.strayBytes = 2;
    options.strayEvery = 2;
    StartSimulator(options);
    station.loggingEnabled = station.logAllValues = 1;
    station.logFolder = reports.dir.Path().string();
    StartThread();
    const std::string logPath = reports.dir.File("Hill-20260301.log");
    ASSERT_TRUE(WaitFor([&] { return Count(ReadFileBytes(logPath), "01/03/26, 00:") >= 6; }));
    StopThread();
    station.CloseLogFile();
    FlushReportRepeats();

    // Every line taken is the simulator's reading at its time stamp, cut into 7-character fields.
    const std::vector<sim::SimChannel> channels = sim::DefaultChannels();
    const std::vector<std::string> values = Values();
    const TimeT time = ReadingTime();
    for (std::size_t c = 0; c < channels.size(); ++c) {
        EXPECT_EQ(values[c], sim::DirectLineField(sim::PatternValue(channels[c], static_cast<int>(c), time, 1),
                                                  channels[c].decimals))
            << c;
    }
    // The lines were taken in order: exactly every third was dropped as corrupt, and the lines
    // with stray characters in front were accepted.
    const std::string log = ReadFileBytes(reports.dir.File("Hill-20260301.log"));
    const std::size_t records = Count(log, "01/03/26, 00:");
    // Repeats within a minute are counted on one line: "... (repeated N times)".
    std::size_t corrupt = Count(reports.ErrorText(), Str(551));
    const std::string text = reports.ErrorText();
    for (std::size_t at = text.find("(repeated "); at != std::string::npos; at = text.find("(repeated ", at + 1)) {
        corrupt += std::stoul(text.substr(at + 10)) - 1;  // the repeat line itself was counted above
    }
    ASSERT_GE(corrupt, 2u);
    EXPECT_EQ(corrupt, (records + corrupt) / 3) << log;
    EXPECT_EQ(Count(reports.ErrorText(), Str(557)), 0u);
    // Stopping brought the instrument back to its menu.
    EXPECT_EQ(Instrument(+[](sim::DirectInstrument& i) { return i.GetMode(); }), sim::DirectInstrument::Mode::Menu);
    EXPECT_FALSE(station.threadRunning);
}

TEST_F(WSDirectTest, AnInstrumentRestartedOnANewDeviceIsReportedAndReadAgain) {
    sim::DirectSimOptions options;
    options.periodMs = 30;
    StartSimulator(options);
    StartThread();
    ASSERT_TRUE(WaitFor([&] { return !Values()[0].empty(); }));

    simulator.reset();  // killed: its pseudo-terminal goes away
    ASSERT_TRUE(WaitFor([&] { return reports.ErrorText().find("no longer available") != std::string::npos; }));
    const TimeT later = FromLocal(2026, 3, 2, 9, 0, 0);
    StartSimulator(options, later);  // a new instrument, in its menu, on a new pseudo-terminal
    ASSERT_TRUE(WaitFor([&] { return ReadingTime() >= later; }));
    EXPECT_NE(reports.ErrorText().find("available again"), std::string::npos);
    StopThread();
    EXPECT_FALSE(station.threadRunning);
}

TEST_F(WSDirectTest, APassiveStationListensWithoutChangingTheInstrumentsMode) {
    sim::DirectSimOptions options;
    options.periodMs = 30;
    options.startInMonitor = true;
    StartSimulator(options);
    station.passive = 1;
    StartThread();
    ASSERT_TRUE(WaitFor([&] { return !Values()[0].empty(); }));
    StopThread();
    EXPECT_EQ(Instrument(+[](sim::DirectInstrument& i) { return i.GetMode(); }), sim::DirectInstrument::Mode::Monitor);
}

TEST_F(WSDirectTest, StopEndsTheThreadAlsoWhileTheInstrumentIsSilent) {
    sim::DirectSimOptions options;
    options.silent = true;
    StartSimulator(options);
    StartThread();
    host.stop = true;
    thread.join();
    EXPECT_FALSE(station.threadRunning);
    EXPECT_EQ(station.portOpen, 0);

    // Without a device the user is told once, and the start is tried again until the stop.
    host.stop = false;
    station.port = 8;
    Profile(reports.dir.File("stratavue.ini")).WriteString("Ports", "COM8", reports.dir.File("missing"));
    StartThread();
    ASSERT_TRUE(WaitFor([&] { return reports.ErrorText().find("could not start") != std::string::npos; }));
    host.stop = true;
    thread.join();
    ASSERT_EQ(host.ui.Messages().size(), 1u);
    EXPECT_EQ(host.ui.Messages()[0].text, Str(239));
    EXPECT_NE(reports.ErrorText().find(Str(556)), std::string::npos);
}

TEST_F(WSDirectTest, ReadsAndWritesTheConfigurationAndSettings) {
    sim::DirectSimOptions options;
    options.records = 20;
    for (int c = 0; c < 6; ++c) {
        options.channels.push_back({FormatC("Ch%d", c + 1), c == 5 ? 13u : 0u, {}, 1, 0.5 * c, 10.0 + c});
    }
    options.counters = 2;
    StartSimulator(options);
    // Two derived channels after eight raw ones: a sum of the first derived channel and a sum
    // of two raw channels, one of which the instrument no longer has.
    station.channelCount = 10;
    station.channelNames = {"a", "b", "c", "d", "e", "f", "g", "h", "Sum1", "Sum2"};
    station.derived.push_back(std::make_unique<ProcessedSum>(&station));
    station.derived.push_back(std::make_unique<ProcessedSum>(&station));
    static_cast<ProcessedSum&>(*station.derived[0]).channels = {8};
    static_cast<ProcessedSum&>(*station.derived[1]).channels = {0, 7};

    ASSERT_TRUE(station.ReadConfiguration());
    EXPECT_EQ(station.rawChannelCount, 6);
    EXPECT_EQ(station.channelCount, 8);
    EXPECT_EQ(station.counterCount, 2);
    EXPECT_EQ(station.channelNames,
              (std::vector<std::string>{"Ch1", "Ch2", "Ch3", "Ch4", "Ch5", "Ch6", "Sum1", "Sum2"}));
    EXPECT_EQ(station.channelTypes[5], 13u);
    EXPECT_EQ(std::bit_cast<float>(station.channelOffsets[3]), 1.5f);
    EXPECT_EQ(std::bit_cast<float>(station.channelMultipliers[3]), 13.0f);
    EXPECT_EQ(static_cast<ProcessedSum&>(*station.derived[0]).channels, std::vector<uint32_t>{6});
    EXPECT_EQ(static_cast<ProcessedSum&>(*station.derived[1]).channels, std::vector<uint32_t>{0});
    EXPECT_EQ(station.values.size(), 8u);
    EXPECT_EQ(station.portOpen, 0);

    int minutes = 0;
    int seconds = 0;
    station.SetLoggerInterval(15);
    station.SetGustPeriod(4);
    station.GetLoggerInterval(minutes);
    station.GetGustPeriod(seconds);
    EXPECT_EQ(minutes, 15);
    EXPECT_EQ(seconds, 4);
    EXPECT_EQ(Instrument(+[](sim::DirectInstrument& i) { return i.LoggerInterval(); }), 15);

    // Sending: names, types and calibration go to the instrument; the memory is cleared only
    // when the user says so.
    station.channelNames[1] = "Wind";
    station.channelMultipliers[1] = std::bit_cast<uint32_t>(2.5f);
    host.ui.Answer(MsgResult::No);
    ASSERT_TRUE(station.WriteConfiguration());
    EXPECT_EQ(Instrument(+[](sim::DirectInstrument& i) { return i.Channels()[1].name; }), "Wind");
    EXPECT_EQ(Instrument(+[](sim::DirectInstrument& i) { return i.Multiplier(1); }), 2.5);
    EXPECT_EQ(Instrument(+[](sim::DirectInstrument& i) { return i.Memory().RecordCount(); }), 20u);
    host.ui.Answer(MsgResult::Yes);
    ASSERT_TRUE(station.WriteConfiguration());
    EXPECT_EQ(Instrument(+[](sim::DirectInstrument& i) { return i.Memory().RecordCount(); }), 0u);
    ASSERT_EQ(host.ui.Messages().size(), 2u);
    EXPECT_EQ(host.ui.Messages()[1].text, Str(231));
    EXPECT_EQ(reports.ErrorText(), "");
}

TEST_F(WSDirectTest, ReadsAnUnchangedChannelCountIntoShortTables) {
    StartSimulator({});
    ASSERT_TRUE(station.ReadConfiguration());
    EXPECT_EQ(station.channelNames[0], "Temperature");
    ASSERT_EQ(station.channelTypes.size(), 8u);
    EXPECT_EQ(station.channelTypes[5], 13u);
    EXPECT_EQ(station.channelMultipliers.size(), 8u);
}

TEST_F(WSDirectTest, SetsTheClockOnAWholeMinute) {
    StartSimulator({});
    ShiftedClock clock(FromLocal(2026, 7, 14, 9, 29, 59));
    host.clock = &clock;
    station.SetClock();
    EXPECT_TRUE(station.LastOperationSucceeded());
    // Set when the computer's clock showed a whole minute, to that minute.
    const TimeT instrument = Instrument(+[](sim::DirectInstrument& i) { return i.InstrumentTime(RealClock().Now()); });
    EXPECT_LE(std::llabs(instrument - clock.Now()), 2);
    EXPECT_EQ(ToLocal(instrument).year, 2026);
}

TEST_F(WSDirectTest, ASilentInstrumentFailsEachOperationWithAnInvalidResponse) {
    sim::DirectSimOptions options;
    options.silent = true;
    StartSimulator(options);
    ManualClock clock(FromLocal(2026, 3, 1, 0, 0, 0));  // the time-outs pass at once
    host.clock = &clock;
    EXPECT_FALSE(station.ReadConfiguration());
    EXPECT_FALSE(station.ClearMemory());
    station.Download(reports.dir.File("out.log"));
    EXPECT_FALSE(station.LastOperationSucceeded());
    EXPECT_FALSE(std::filesystem::exists(reports.dir.File("out.log")));
    ASSERT_EQ(host.ui.Messages().size(), 1u);
    EXPECT_EQ(host.ui.Messages()[0].text, Str(238));
    FlushReportRepeats();  // the same report within a minute is counted, not written again
    EXPECT_EQ(Count(reports.ErrorText(), Str(557)), 2u);
    EXPECT_NE(reports.ErrorText().find(Str(557) + " (repeated 2 times)"), std::string::npos);
    EXPECT_EQ(station.rawChannelCount, 8);
}

// 10000 records of one rainfall channel (0.2 each), every seventh erased, lying across the end
// of the circular memory and over 13 midnights.
TEST_F(WSDirectTest, DownloadDecodesEveryRecordOfALargeMemory) {
    sim::DirectSimOptions options;
    options.channels = {{"Rain", 13, {sim::ValuePattern::Kind::Constant, 0.2, 0, 0}, 1, {}, 1.0}};
    options.memorySize = 65535;
    options.records = 10000;
    options.erasedEvery = 7;
    const TimeT start = FromLocal(2026, 3, 10, 12, 0, 30);
    StartSimulator(options, start);
    ShiftedClock clock(start);
    host.clock = &clock;
    station.Download(reports.dir.File("out.log"));
    ASSERT_TRUE(station.LastOperationSucceeded()) << reports.ErrorText();

    std::string expected = "1\r\nRain\r\n";
    int day = -1;
    int total = 0;  // in fifths
    for (int i = 0; i < 10000; ++i) {
        if ((i + 1) % 7 == 0) {
            continue;
        }
        const LocalTm tm = ToLocal(FromLocal(2026, 3, 10, 12, 0, 0) - static_cast<TimeT>(9999 - i) * 120);
        total = tm.day == day ? total + 1 : 1;
        day = tm.day;
        expected += FormatC("%02d/%02d/%02d,%02d:%02d:00,%.1f\r\n", tm.day, tm.month, tm.year % 100, tm.hour, tm.minute,
                            total * 0.2);
    }
    const std::string log = ReadFileBytes(reports.dir.File("out.log"));
    EXPECT_EQ(Count(log, "\r\n"), 2u + 8572u);
    EXPECT_TRUE(log == expected) << log.substr(0, 300);
}

}  // namespace
}  // namespace svu
