// The radio stations: the tuning command, the reading-line checks, their stored records, and
// whole turns against the simulated radio on pseudo-terminals.

#include <gtest/gtest.h>

#include <atomic>

#include "framework/ClassRegistry.h"
#include "framework/Profile.h"
#include "framework/StringTable.h"
#include "framework/TextUtil.h"
#include "loggers/ConvertLoggerData.h"
#include "loggers/WSCalyraHarburyRadio.h"
#include "loggers/WSCalyraWandDRadio.h"
#include "loggers/WSRadioModemVela.h"
#include "sim/PtyDeviceRunner.h"
#include "sim/RadioAir.h"
#include "sim/RadioModemPort.h"
#include "stations/StationFile.h"
#include "stations/StationTestSupport.h"

namespace svu {
namespace {

using test::Bytes;

TEST(RadioTuning, FrequencyExamplesGiveTheirCodesAndDigits) {
    struct Case {
        float mhz;
        int code;
        const char* digits;
    };
    // Held in single precision, 458.525 is 458.52499... and still channel 0.
    const Case cases[] = {
        {458.525f, 2, "ATX01"}, {458.550f, 4, "ATX02"}, {458.575f, 7, "ATX03"}, {458.600f, 9, "ATX04"}};
    for (const Case& c : cases) {
        EXPECT_EQ(VelaTuneCommand(c.mhz, 0), std::string("ATX") + static_cast<char>(c.code)) << c.mhz;
        EXPECT_EQ(VelaTuneCommand(c.mhz, 1), c.digits) << c.mhz;
    }
    // A frequency the modem cannot be sent to gives no command rather than a wrapped one.
    EXPECT_EQ(VelaTuneCommand(400.0f, 0), "");
    EXPECT_EQ(VelaTuneCommand(470.0f, 1), "");
}

TEST(RadioLines, VelaReplyIsAlignedOnItsDayAndCheckedWhole) {
    TimeT time = 0;
    std::vector<std::string> values;
    const std::string line = AlignVelaReply(
        "x\x7f"
        "12/03/2007,10:15:00,1.5,2.5\r\n");
    EXPECT_EQ(line, "12/03/2007,10:15:00,1.5,2.5");
    ASSERT_TRUE(ParseVelaRadioLine(line, 2, time, values));
    EXPECT_EQ(values, (std::vector<std::string>{"1.5", "2.5"}));
    EXPECT_EQ(time, FromLocal(2007, 3, 12, 10, 15, 0));
    ASSERT_TRUE(ParseVelaRadioLine("01/01/2038,23:59:59,-0.5", 1, time, values));
    EXPECT_EQ(values, (std::vector<std::string>{"-0.5"}));

    for (const char* bad : {"12/03/1999,10:15:00,1.5",    // year out of range
                            "12/03/2007,10:15:00,1.5,2",  // one comma too many
                            "12/13/2007,10:15:00,1.5",    // month
                            "12/03/2007,24:15:00,1.5",    // hour
                            "12/03/2007,10:15:00,1e5",    // a character no reading holds
                            "12/03/2007,10:15:00,1\x05",  // ENQ
                            "12/03/2007 10:15:00,1.5",    // separator
                            "12/03/2007,10:15:00"}) {     // too short
        EXPECT_FALSE(ParseVelaRadioLine(bad, 1, time, values)) << bad;
    }
}

std::string WithChecksum(const std::string& body) {
    unsigned sum = 0;
    for (const char c : body) {
        sum += static_cast<unsigned char>(c);
    }
    return body + FormatC(",%02x", sum & 0xFF);  // lower case is accepted too
}

TEST(RadioLines, WandDLineNeedsItsChecksumAndExactFieldCount) {
    TimeT time = 0;
    std::vector<std::string> values;
    ASSERT_TRUE(ParseWandDLine("#!" + WithChecksum("01/02/2026,12:00:00,3.5,7.2"), 2, time, values));
    EXPECT_EQ(values, (std::vector<std::string>{"3.5", "7.2"}));
    EXPECT_EQ(time, FromLocal(2026, 2, 1, 12, 0, 0));

    std::string wrong = WithChecksum("01/02/2026,12:00:00,3.5,7.2");
    wrong.back() = wrong.back() == '0' ? '1' : '0';
    EXPECT_FALSE(ParseWandDLine(wrong, 2, time, values));
    EXPECT_FALSE(ParseWandDLine(WithChecksum("01/02/2026,12:00:00,3.5,7.2,9"), 2, time, values));
    EXPECT_FALSE(ParseWandDLine(WithChecksum("1/02/2026,12:00:00,3.5,7.2"), 2, time, values));
    EXPECT_FALSE(ParseWandDLine(WithChecksum("01/02/2026,12-00:00,3.5,7.2"), 2, time, values));
    EXPECT_FALSE(ParseWandDLine("", 2, time, values));
}

TEST(RadioRecords, KindsStoreTheirFieldsAfterTheStationRecord) {
    test::ReportScope scope;
    ClassRegistry registry;
    registry.RegisterClass<WSRadioModemVela>(WSRadioModemVela::kClassName);
    registry.RegisterClass<WSCalyraWandDRadio>(WSCalyraWandDRadio::kClassName);
    WSCalyraWandDRadio wd("Hill");
    wd.port = 3;
    wd.radioChannel = 127;
    WSRadioModemVela vela("Dale");
    vela.port = 2;
    vela.address = 7;
    vela.frequency = 458.6f;
    vela.radioType = 1;
    for (const WeatherStation* station : std::initializer_list<const WeatherStation*>{&wd, &vela}) {
        const std::vector<uint8_t> bytes = StationListBytes({station});
        const std::string text = test::AsString(bytes);
        const std::string tail =
            station == &wd ? Bytes().I32(3).U8(127).b : Bytes().I32(9600).I32(2).I32(7).F32(458.6f).I32(0).I32(1).b;
        EXPECT_TRUE(text.ends_with(tail)) << station->name;
        StationFileResult loaded = ReadStationList(bytes, registry);
        ASSERT_TRUE(loaded.Ok()) << loaded.error;
        EXPECT_EQ(test::AsString(StationListBytes({loaded.stations[0].get()})), text);
        const std::unique_ptr<WeatherStation> copy = station->Duplicate();
        EXPECT_TRUE(test::AsString(StationListBytes({copy.get()})).ends_with(tail));
    }
}

// ---- Turns against the simulated radio ----

class ChainHost : public StationHost {
public:
    bool StopRequested() const override { return stop.load(); }
    UserInterface& Ui() override { return ui; }
    Clock& GetClock() override { return SystemClock(); }
    void StartNextRadioStation(WeatherStation&) override { ++handedOn; }
    std::atomic<bool> stop{false};
    std::atomic<int> handedOn{0};
    test::RecordingUserInterface ui;
};

class RadioTurn : public ::testing::Test {
protected:
    void StartRadio(std::vector<sim::RadioRemote> remotes, int model = 0) {
        sim::RadioSimOptions options;
        options.remotes = std::move(remotes);
        options.model = model;
        options.firstLineMs = 100;
        options.periodMs = 300;
        options.startTime = FromLocal(2026, 3, 1, 12, 0, 0);
        air = std::make_unique<sim::RadioAir>(options);
        port = std::make_unique<sim::RadioModemPort>(*air, 1, SystemClock().TickMs());
        runner = std::make_unique<sim::PtyDeviceRunner>(*port);
        std::string error;
        ASSERT_TRUE(runner->Start({}, &error)) << error;
        Profile(reports.dir.File("stratavue.ini")).WriteString("Ports", "COM1", runner->DevicePath());
    }
    void Prepare(SharedRadioStation& station, int raw) {
        station.SetPortSettingsPath(reports.dir.File("stratavue.ini"));
        station.logErrors = 1;
        station.rawChannelCount = station.channelCount = raw;
        station.channelNames.assign(static_cast<std::size_t>(raw), "V");
        station.ResetValues();
        station.InitComms(host);
    }
    void RunTurn(WeatherStation& station) { StationThreadEntry(station, host); }

    test::ReportScope reports;
    ChainHost host;
    std::unique_ptr<sim::RadioAir> air;
    std::unique_ptr<sim::RadioModemPort> port;
    std::unique_ptr<sim::PtyDeviceRunner> runner;
};

sim::RadioRemote Vela(int address, double mhz, std::string values) {
    sim::RadioRemote r;
    r.address = address;
    r.frequency = mhz;
    r.values = std::move(values);
    return r;
}

TEST_F(RadioTurn, VelaStationTunesAddressesAndSkipsGarbledReplies) {
    sim::RadioRemote wanted = Vela(4, 458.575, "11.5,0.2");
    wanted.failure = sim::RadioRemote::Failure::Garbled;
    wanted.garbledLines = 2;
    StartRadio({Vela(4, 458.525, "1,1"), wanted, Vela(5, 458.575, "2,2")}, 1);
    WSRadioModemVela station("Dale");
    station.address = 4;
    station.frequency = 458.575f;
    station.radioType = 1;
    Prepare(station, 2);
    RunTurn(station);
    EXPECT_EQ(station.values, (std::vector<std::string>{"11.5", "0.2"}));
    EXPECT_EQ(ToLocal(station.readingTime).year, 2026);
    EXPECT_EQ(host.handedOn.load(), 1);
    EXPECT_EQ(station.portOpen, 0);
    const std::vector<sim::RadioTurn> turns = air->Turns();
    ASSERT_EQ(turns.size(), 1u);
    EXPECT_EQ(turns[0].remote, "vela 4@458.575");
    EXPECT_GE(turns[0].lines, 3);
    EXPECT_EQ(reports.ErrorText().find(Str(551)), std::string::npos) << reports.ErrorText();
}

TEST_F(RadioTurn, WandDStationGivesUpAfterFiveBadLinesAndHandsOn) {
    sim::RadioRemote logger;
    logger.kind = sim::RadioRemote::Kind::WandD;
    logger.channel = 42;
    logger.values = "3.5,7.2";
    logger.failure = sim::RadioRemote::Failure::Garbled;
    StartRadio({logger});
    WSCalyraWandDRadio station("Hill");
    station.radioChannel = 42;
    Prepare(station, 2);
    RunTurn(station);
    EXPECT_EQ(station.values, (std::vector<std::string>{"", ""}));
    EXPECT_NE(reports.ErrorText().find(Str(551)), std::string::npos) << reports.ErrorText();
    EXPECT_EQ(host.handedOn.load(), 1);
    ASSERT_EQ(air->Turns().size(), 1u);
    EXPECT_EQ(air->Turns()[0].remote, "wd 42");

    // The same logger sound: one turn, one reading, the channel selected again.
    sim::RadioRemote sound = logger;
    sound.failure = sim::RadioRemote::Failure::None;
    runner->Stop();
    StartRadio({sound});
    RunTurn(station);
    EXPECT_EQ(station.values, (std::vector<std::string>{"3.5", "7.2"}));
    EXPECT_EQ(air->Turns().size(), 1u);
}

TEST_F(RadioTurn, HarburyLoggerDownloadsClearsAndTakesItsTurnOverTheRadio) {
    sim::RadioRemote decoy = Vela(3, 458.525, "3,10");  // same address, another frequency
    decoy.kind = sim::RadioRemote::Kind::Ndr;
    decoy.loggerChannels = 3;
    decoy.loggerRecords = 10;
    sim::RadioRemote wanted = Vela(3, 458.55, "2,40");
    wanted.kind = sim::RadioRemote::Kind::Ndr;
    wanted.loggerChannels = 2;
    wanted.loggerRecords = 40;
    StartRadio({decoy, wanted});
    const sim::RadioRemote& logger = air->Options().remotes[1];
    test::WriteFileBytes(reports.dir.File("memory.bin"), air->LoggerMemory(logger));

    WSCalyraHarburyRadio station("Ridge");
    station.address = 3;
    station.txAddress = 9;
    station.frequency = 458.55f;
    Prepare(station, 2);
    station.channelNames = {"Temp", "Wind"};
    station.host = &host;
    station.Download(reports.dir.File("download.log"));
    EXPECT_TRUE(station.LastOperationSucceeded()) << reports.ErrorText();
    EXPECT_EQ(station.DownloadedRecords(), 40);
    EXPECT_EQ(station.portOpen, 0);  // the radio is released after the operation
    ASSERT_EQ(ConvertLoggerRecords({"Temp", "Wind"}, reports.dir.File("memory.bin"), reports.dir.File("expected.log")).error,
              LoggerConversionError::None);
    EXPECT_EQ(test::ReadFileBytes(reports.dir.File("download.log")), test::ReadFileBytes(reports.dir.File("expected.log")));

    EXPECT_TRUE(station.ClearMemory());
    EXPECT_TRUE(air->LoggerMemory(logger).empty());
    EXPECT_EQ(air->LoggerMemory(air->Options().remotes[0]).size(), 10u * (7 + 4 * 3));

    RunTurn(station);
    ASSERT_EQ(station.values.size(), 2u);
    EXPECT_NEAR(std::stod(station.values[1]), std::stod(station.values[0]) + 5.0, 1e-9);
    EXPECT_EQ(host.handedOn.load(), 1);
    EXPECT_EQ(station.portOpen, 0);
    for (const sim::RadioTurn& turn : air->Turns()) {
        EXPECT_EQ(turn.remote, "ndr 3@458.550");
    }
}

TEST_F(RadioTurn, HarburyLoggerThatIsSilentOrGarbledStoresNothingAndHandsOn) {
    sim::RadioRemote silent = Vela(1, 458.525, "2");
    silent.kind = sim::RadioRemote::Kind::Ndr;
    silent.loggerChannels = 2;
    silent.failure = sim::RadioRemote::Failure::Silent;
    sim::RadioRemote garbled = Vela(2, 458.525, "2");
    garbled.kind = sim::RadioRemote::Kind::Ndr;
    garbled.loggerChannels = 2;
    garbled.failure = sim::RadioRemote::Failure::Garbled;
    StartRadio({silent, garbled});

    WSCalyraHarburyRadio quiet("Quiet");
    quiet.address = 1;
    Prepare(quiet, 2);
    RunTurn(quiet);
    EXPECT_EQ(quiet.values, (std::vector<std::string>{"", ""}));
    EXPECT_NE(reports.ErrorText().find("Quiet"), std::string::npos);
    EXPECT_NE(reports.ErrorText().find(Str(557)), std::string::npos) << reports.ErrorText();
    EXPECT_EQ(host.handedOn.load(), 1);
    EXPECT_EQ(quiet.portOpen, 0);

    WSCalyraHarburyRadio noisy("Noisy");
    noisy.address = 2;
    Prepare(noisy, 2);
    RunTurn(noisy);
    EXPECT_EQ(noisy.values, (std::vector<std::string>{"", ""}));
    EXPECT_NE(reports.ErrorText().find(Str(551)), std::string::npos) << reports.ErrorText() << [&] {
        std::string t;
        for (const sim::RadioTurn& turn : air->Turns()) {
            t += turn.remote + " lines=" + std::to_string(turn.lines) + "\n";
        }
        return t;
    }();
    EXPECT_EQ(host.handedOn.load(), 2);
    EXPECT_EQ(noisy.portOpen, 0);
    EXPECT_EQ(air->Overlaps(), 0);
}

}  // namespace
}  // namespace svu
