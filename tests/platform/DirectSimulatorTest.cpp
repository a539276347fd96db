// The Direct station's instrument simulator, run in-process on a pty, driven through the serial
// control with the exchanges the station uses (echoed characters, ETX-terminated replies).

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <thread>

#include "framework/LocalTime.h"
#include "platform/SerialControl.h"
#include "sim/DirectSimulator.h"
#include "stations/DirectProtocol.h"

namespace svu {
namespace {

using namespace direct;
using SteadyClock = std::chrono::steady_clock;

// Waits are bounded so a broken exchange fails the test instead of hanging it.
constexpr int kReplyTimeoutMs = 3000;

class Terminal {
public:
    explicit Terminal(SerialControl& control) : control_(control) {}

    bool SendCharEcho(char c) {
        control_.Output(std::string(1, c));
        const auto end = SteadyClock::now() + std::chrono::milliseconds(kReplyTimeoutMs);
        while (SteadyClock::now() < end) {
            const int b = control_.InputByte();
            if (b == static_cast<unsigned char>(c)) {
                return true;
            }
            if (b < 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        }
        return false;
    }
    bool SendText(const std::string& text) {
        for (const char c : text) {
            if (!SendCharEcho(c)) {
                return false;
            }
        }
        return true;
    }
    bool ReadReply(std::string& reply) {
        const auto end = SteadyClock::now() + std::chrono::milliseconds(replyTimeoutMs);
        while (SteadyClock::now() < end) {
            pending_ += control_.Input();
            if (TakeReply(pending_, reply)) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }
    std::string Reply() {
        std::string reply;
        EXPECT_TRUE(ReadReply(reply));
        return reply;
    }
    bool EnterMenu() {
        control_.Output(std::string(1, kCan));
        for (int attempt = 0; attempt < 3; ++attempt) {
            control_.Output("\r");
            std::string reply;
            if (ReadReply(reply) && IsMenuPrompt(reply)) {
                return true;
            }
        }
        return false;
    }
    std::string Take() {
        std::string rest = pending_ + control_.Input();
        pending_.clear();
        return rest;
    }

    int replyTimeoutMs = kReplyTimeoutMs;

private:
    SerialControl& control_;
    std::string pending_;
};

class DirectSimulatorTest : public ::testing::Test {
protected:
    void Start(sim::DirectSimOptions options) {
        options.startTime = FromLocal(2026, 3, 1, 0, 10, 0);
        simulator = std::make_unique<sim::DirectSimulator>(options);
        std::string error;
        ASSERT_TRUE(simulator->Start(&error)) << error;
        ASSERT_TRUE(control.OpenDevice(simulator->DevicePath(), "9600,n,8,1")) << control.LastErrorText();
    }
    void TearDown() override {
        control.Close();
        if (simulator) {
            simulator->Stop();
        }
    }

    std::unique_ptr<sim::DirectSimulator> simulator;
    SerialControl control;
    Terminal terminal{control};
};

TEST_F(DirectSimulatorTest, StreamsCheckedLinesWithTheFaultsAskedFor) {
    sim::DirectSimOptions options;
    options.periodMs = 20;
    options.corruptEvery = 3;
    options.strayBytes = 2;
    options.strayEvery = 2;
    Start(options);
    ASSERT_TRUE(terminal.EnterMenu());
    ASSERT_TRUE(terminal.SendText("10\r"));
    EXPECT_NE(terminal.Reply().find(kSensorMonitor), std::string::npos);

    RealtimeLineAssembler assembler;
    int good = 0;
    int corrupt = 0;
    const auto end = SteadyClock::now() + std::chrono::seconds(10);
    while ((good < 4 || corrupt < 2) && SteadyClock::now() < end) {
        assembler.Append(terminal.Take());
        std::string line;
        while (assembler.NextLine(line)) {
            RealtimeReading reading;
            const LineStatus status = ParseRealtimeLine(line, 8, reading);
            if (status == LineStatus::Ok) {
                ++good;
                EXPECT_EQ(reading.date, "01/03/26");
                EXPECT_EQ(reading.values[7], "   12.6");
            } else {
                EXPECT_EQ(status, LineStatus::Corrupt) << line;
                ++corrupt;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_GE(good, 4);
    EXPECT_GE(corrupt, 2);

    // Leaving the stream: a carriage return brings the menu back.
    bool prompt = false;
    for (int attempt = 0; attempt < 3 && !prompt; ++attempt) {
        std::string reply;
        prompt = terminal.SendCharEcho('\r') && terminal.ReadReply(reply) && reply.find(kPrompt) != std::string::npos;
    }
    EXPECT_TRUE(prompt);
}

TEST_F(DirectSimulatorTest, AnswersTheConfigurationDialoguesAsTheStationReadsThem) {
    Start({});
    // Channel set-up, read the way the station reads it.
    ASSERT_TRUE(terminal.EnterMenu());
    ASSERT_TRUE(terminal.SendText("14\r"));
    int channels = 0;
    int counters = -1;
    ASSERT_TRUE(ParseCountBefore(terminal.Reply(), "Channels", channels));
    ASSERT_TRUE(terminal.SendCharEcho('\r'));
    ASSERT_TRUE(ParseCountBefore(terminal.Reply(), "Counters", counters));
    ASSERT_TRUE(terminal.SendCharEcho('\r'));
    EXPECT_EQ(channels, 8);
    EXPECT_EQ(counters, 0);
    std::vector<std::string> names;
    std::vector<int> types;
    for (int i = 1; i <= channels; ++i) {
        terminal.Reply();
        ASSERT_TRUE(terminal.SendText(NumberCommand(i)));
        names.push_back(ParseChannelName(terminal.Reply()));
        ASSERT_TRUE(terminal.SendCharEcho('\r'));
        int type = -1;
        ASSERT_TRUE(ParseTypeCode(terminal.Reply(), type));
        types.push_back(type);
        ASSERT_TRUE(terminal.SendCharEcho('\r'));
    }
    EXPECT_EQ(names.front(), "Temperature");
    EXPECT_EQ(names.back(), "Battery");
    EXPECT_EQ(types[5], 13);

    // Calibration: change channel 2's multiplier, keep the rest, as the "Send" button does.
    ASSERT_TRUE(terminal.EnterMenu());
    ASSERT_TRUE(terminal.SendText("4\r"));
    for (int i = 1; i <= channels; ++i) {
        terminal.Reply();
        ASSERT_TRUE(terminal.SendText(NumberCommand(i)));
        double offset = -1;
        ASSERT_TRUE(ParseNumberAfterLineFeed(terminal.Reply(), offset));
        EXPECT_EQ(offset, 0.0);
        ASSERT_TRUE(terminal.SendText(CalibrationCommand(offset)));
        EXPECT_GT(ParseLeadingNumber(terminal.Reply()), 0.0);
        ASSERT_TRUE(terminal.SendText(CalibrationCommand(i == 2 ? 2.5 : 1.0)));
    }
    ASSERT_TRUE(terminal.SendCharEcho('\r'));
    EXPECT_TRUE(IsMenuPrompt(terminal.Reply())) << "one reply per exchange: nothing left over";
    EXPECT_EQ(simulator->WithInstrument([](sim::DirectInstrument& i) { return i.Multiplier(1); }), 2.5);

    // Gust period and logging interval.
    ASSERT_TRUE(terminal.EnterMenu());
    ASSERT_TRUE(terminal.SendText("6\r"));
    double interval = 0;
    ASSERT_TRUE(ParseNumberAfterLineFeed(terminal.Reply(), interval));
    EXPECT_EQ(interval, 2);
    ASSERT_TRUE(terminal.SendCharEcho('\r'));
    ASSERT_TRUE(terminal.EnterMenu());
    ASSERT_TRUE(terminal.SendText("2\r"));
    terminal.Reply();
    ASSERT_TRUE(terminal.SendText("5\r"));
    ASSERT_TRUE(terminal.EnterMenu());
    EXPECT_EQ(simulator->WithInstrument([](sim::DirectInstrument& i) { return i.GustPeriod(); }), 5);

    // Clock.
    ASSERT_TRUE(terminal.SendText("3\r"));
    terminal.Reply();
    for (const int field : {24, 12, 26, 18, 30}) {
        ASSERT_TRUE(terminal.SendText(NumberCommand(field)));
        terminal.Reply();
    }
    const TimeT clock =
        simulator->WithInstrument([](sim::DirectInstrument& i) { return i.InstrumentTime(std::time(nullptr)); });
    EXPECT_LE(std::llabs(clock - FromLocal(2026, 12, 24, 18, 30, 0)), 120);
}

TEST_F(DirectSimulatorTest, DumpsItsMemoryByXmodemAndClearsIt) {
    sim::DirectSimOptions options;
    options.records = 50;
    options.erasedEvery = 10;
    Start(options);
    ASSERT_TRUE(terminal.EnterMenu());
    ASSERT_TRUE(terminal.SendText("20\r"));
    terminal.Reply();
    std::vector<uint8_t> image;
    ASSERT_EQ(control.ReceiveXmodem(image), XmodemResult::Ok) << control.LastErrorText();
    std::string log;
    std::string error;
    ASSERT_TRUE(ConvertMemoryImage(image, 2026, log, &error)) << error;
    EXPECT_EQ(log.substr(0, 16), "8\r\nTemperature\r\n");
    // 50 records ending at 00:10 every 2 minutes, 5 of them erased; the walk wraps.
    std::size_t lines = 0;
    for (std::size_t at = log.find("/02/26,"); at != std::string::npos; at = log.find("/02/26,", at + 1)) {
        ++lines;
    }
    EXPECT_EQ(lines, 40u) << "records of 28 February";
    EXPECT_NE(log.find("01/03/26,00:08:00,"), std::string::npos) << "and of 1 March, after midnight";
    EXPECT_EQ(log.find("01/03/26,00:10:00,"), std::string::npos) << "the 50th record is erased";

    ASSERT_TRUE(terminal.EnterMenu());
    ASSERT_TRUE(terminal.SendText("12\r"));
    EXPECT_NE(terminal.Reply().find(kDeleteHeading), std::string::npos);
    ASSERT_TRUE(terminal.SendCharEcho('Y'));
    EXPECT_NE(terminal.Reply().find(kAreYouSure), std::string::npos);
    ASSERT_TRUE(terminal.SendCharEcho('Y'));
    EXPECT_TRUE(IsMenuPrompt(terminal.Reply()));
    EXPECT_EQ(simulator->WithInstrument([](sim::DirectInstrument& i) { return i.Memory().RecordCount(); }), 0u);
}

TEST_F(DirectSimulatorTest, ASilentInstrumentAnswersNothing) {
    sim::DirectSimOptions options;
    options.silent = true;
    Start(options);
    terminal.replyTimeoutMs = 300;
    control.Output("\x18\r");
    std::string reply;
    EXPECT_FALSE(terminal.ReadReply(reply));
    EXPECT_EQ(terminal.Take(), "");
}

TEST(DirectSimOptions, ParsesChannelsAndRefusesNonsense) {
    sim::DirectSimOptions options;
    bool help = false;
    std::string error;
    ASSERT_TRUE(sim::ParseDirectSimOptions({"--channel", "Gust,8,random:0:30,dec=2", "--channel",
                                            "Level,0,sine:5:1:600,offset=-1,mult=10", "--corrupt-every", "5"},
                                           options, help, error))
        << error;
    ASSERT_EQ(options.channels.size(), 2u);
    EXPECT_EQ(options.channels[0].decimals, 2);
    EXPECT_EQ(*options.channels[1].offset, -1);
    EXPECT_EQ(options.corruptEvery, 5);
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{{"--channel", "X,1,wave:1"},
                                                                                     {"--channel", "X,1,sine:1:1:0"},
                                                                                     {"--period"},
                                                                                     {"--period", "fast"},
                                                                                     {"--silence-after", "5"},
                                                                                     {"--nonsense"}}) {
        EXPECT_FALSE(sim::ParseDirectSimOptions(bad, options, help, error)) << bad[0];
    }
    ASSERT_TRUE(sim::ParseDirectSimOptions({"--help"}, options, help, error));
    EXPECT_TRUE(help);
}

}  // namespace
}  // namespace svu
