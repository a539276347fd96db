// The sound level meter station against a meter played by the test on a pseudo-terminal.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "framework/Clock.h"
#include "framework/Profile.h"
#include "framework/RecordingUserInterface.h"
#include "loggers/WS310320.h"
#include "platform/PseudoTerminal.h"
#include "platform/PtyTestUtil.h"
#include "stations/StationTestSupport.h"

namespace svu {
namespace {

using testing::ReadMaster;
using testing::WriteMaster;
using test::WaitFor;
using Host = test::ThreadHost;

class WS310320Test : public ::testing::Test {
protected:
    WS310320Test() {
        pty.Open();
        Profile(reports.dir.File("stratavue.ini")).WriteString("Ports", "COM4", pty.SlavePath());
        meter.port = 4;
        meter.logErrors = 1;
        meter.host = &host;
    }
    ~WS310320Test() override {
        host.stop = true;
        if (thread.joinable()) {
            thread.join();
        }
        meter.host = nullptr;
        meter.ClosePort();
    }
    // Answers each of the next polls with the given bytes.
    void Answer(std::vector<std::string> answers) {
        player = std::thread([this, answers = std::move(answers)] {
            for (const std::string& answer : answers) {
                const std::string poll = ReadMaster(pty.MasterFd(), 2000, std::string(1, '\xC4'));
                polls += static_cast<int>(poll.size());
                WriteMaster(pty.MasterFd(), answer);
            }
        });
    }

    test::ReportScope reports;
    ManualClock manual{FromLocal(2026, 12, 5, 15, 0, 0)};
    PseudoTerminal pty;
    Host host;
    WS310320 meter{"Noise"};
    std::thread thread;
    std::thread player;
    std::atomic<int> polls{0};
};

const std::string kHundred("\xF8\x38\x00\x7D\x00\x7D\x00\x7D", 8);

TEST_F(WS310320Test, AnOverlongAnswerCostsOneReadingOnly) {
    ASSERT_TRUE(meter.OpenPort());
    Answer({kHundred + "\x01", kHundred});
    SoundLevels levels;
    EXPECT_FALSE(meter.PollLevels(true, levels));  // nine bytes never make an answer
    EXPECT_TRUE(meter.PollLevels(true, levels));   // the ninth byte was thrown away before this poll
    player.join();
    EXPECT_EQ(polls.load(), 2);
    EXPECT_FLOAT_EQ(levels.leq, 100.0f);
    EXPECT_TRUE(levels.overload);
}

TEST_F(WS310320Test, AWrongFirstByteIsRefusedAndTheNextPollWorks) {
    ASSERT_TRUE(meter.OpenPort());
    Answer({std::string("\xF7\x00\x00\x7D\x00\x7D\x00\x7D", 8), std::string("\xF8\x00\x80\x4A\x00\x7D\x00\x7D", 8)});
    SoundLevels levels;
    EXPECT_FALSE(meter.PollLevels(true, levels));
    EXPECT_TRUE(meter.PollLevels(true, levels));
    player.join();
    EXPECT_FLOAT_EQ(levels.leq, 59.6f);
    EXPECT_FALSE(levels.overload);
}

TEST_F(WS310320Test, OnlineLinesGoToTheChannelsAndTheDailyFiles) {
    host.clock = &manual;
    meter.onlineMode = 1;
    meter.loggingEnabled = 1;
    meter.logFolder = reports.dir.Path().string();
    meter.channelNames[0] = "LAeq";
    meter.channelNames[1] = "LAFmax";
    meter.channelNames[9] = "LAF";
    thread = std::thread([this] { StationThreadEntry(meter, host); });
    ASSERT_TRUE(WaitFor([&] { std::lock_guard guard(meter.lock); return meter.portOpen != 0; }));
    // The first line has no line feed in front of it: the port opened in its middle.
    WriteMaster(pty.MasterFd(), "Fmax,71.0\r\n05/12/26,14:00:00,LAeq,55.2,LAFmax,71.0\r\n" + std::string(1100, 'z') +
                                    "\r\nLAF,48.3\r\n");
    const std::string pro = reports.dir.File("Noise-20261205.pro");
    ASSERT_TRUE(WaitFor([&] { return test::ReadFileBytes(pro).find("48.3") != std::string::npos; }));
    host.stop = true;
    thread.join();
    EXPECT_EQ(test::ReadFileBytes(reports.dir.File("Noise-20261205.per")),
              "2\r\nLAeq\r\nLAFmax\r\n05/12/26, 14:00:00, 55.2, 71.0\r\n");
    const std::string profile = test::ReadFileBytes(pro);
    EXPECT_EQ(profile.rfind("1\r\nLAF\r\n", 0), 0u);
    EXPECT_EQ(profile.substr(profile.size() - 8), ", 48.3\r\n");
    EXPECT_EQ(meter.values[0], "55.2");
    EXPECT_EQ(meter.values[1], "71.0");
    EXPECT_EQ(meter.values[9], "48.3");
    EXPECT_NE(reports.ErrorText().find("longer than 1021"), std::string::npos);
}

}  // namespace
}  // namespace svu
