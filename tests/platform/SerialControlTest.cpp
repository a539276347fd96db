#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "framework/Profile.h"
#include "platform/PseudoTerminal.h"
#include "platform/PtyTestUtil.h"
#include "platform/SerialControl.h"

namespace svu {
namespace {

using testing::ReadMaster;
using testing::WriteMaster;

class SerialControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(pty.Open(&error)) << error;
        folder = std::filesystem::temp_directory_path() / ("svu-serial-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    PseudoTerminal pty;
    SerialControl control;
    std::filesystem::path folder;
};

TEST(LineSettings, ParsesTheControlsSettingsText) {
    LineSettings s;
    ASSERT_TRUE(ParseLineSettings("9600,n,8,1", s));
    EXPECT_EQ(s.baudRate, 9600u);
    EXPECT_EQ(s.parity, kParityNone);
    ASSERT_TRUE(ParseLineSettings("115200,E,7,2", s));
    EXPECT_EQ(s.parity, kParityEven);
    EXPECT_EQ(s.dataBits, 7);
    EXPECT_EQ(s.stopBits, kStopBitsTwo);
    for (const char* bad : {"", "9600", "9600,x,8,1", "9600,n,9,1", "fast,n,8,1", "9600,n,8,3", "0,n,8,1"}) {
        EXPECT_FALSE(ParseLineSettings(bad, s)) << bad;
    }
}

TEST_F(SerialControlTest, PortNumbersFollowThePortsSection) {
    Profile settings((folder / "stratavue.ini").string());
    ASSERT_TRUE(settings.WriteString("Ports", "COM7", pty.SlavePath()));
    EXPECT_EQ(SerialPortDevice(7, &settings), pty.SlavePath());
    EXPECT_EQ(SerialPortDevice(3, &settings), "/dev/ttyS2");
    EXPECT_EQ(SerialPortDevice(3, nullptr), "/dev/ttyS2");
    EXPECT_EQ(SerialPortDevice(0, nullptr), "");
    EXPECT_EQ(SerialPortNumber(pty.SlavePath(), &settings), 7);

    const auto devices = SerialControl::ListDevices(&settings);
    ASSERT_FALSE(devices.empty());
    EXPECT_EQ(devices.front().path, pty.SlavePath());
    EXPECT_EQ(devices.front().label, "COM7 (" + pty.SlavePath() + ")");

    control.SetPortSettings(&settings);
    ASSERT_TRUE(control.Open(7, "9600,n,8,1")) << control.LastErrorText();
    EXPECT_EQ(control.Device(), pty.SlavePath());
    // Already open: succeeds without touching the line settings.
    EXPECT_TRUE(control.Open(7, "1200,n,8,1"));
    EXPECT_EQ(control.Line().GetBaudrate(), 9600);
    EXPECT_FALSE(SerialControl().Open(200, "9600,n,8,1"));
}

TEST_F(SerialControlTest, SendsReadsAndDiscards) {
    ASSERT_TRUE(control.OpenDevice(pty.SlavePath(), "9600,n,8,1"));
    ASSERT_TRUE(control.Output("hello"));
    EXPECT_TRUE(control.WaitSendComplete(5000));
    EXPECT_EQ(ReadMaster(pty.MasterFd(), 2000, "hello"), "hello");

    WriteMaster(pty.MasterFd(), "abc");
    for (int i = 0; i < 200 && control.InBufferCount() < 3; ++i) {
        usleep(5000);
    }
    EXPECT_EQ(control.InBufferCount(), 3);
    control.SetInputLength(1);
    EXPECT_EQ(control.Input(), "a");
    EXPECT_EQ(control.InputByte(), 'b');
    control.SetInputLength(0);
    EXPECT_EQ(control.Input(), "c");
    EXPECT_EQ(control.InputByte(), -1);

    WriteMaster(pty.MasterFd(), "stale");
    for (int i = 0; i < 200 && control.InBufferCount() < 5; ++i) {
        usleep(5000);
    }
    control.DiscardInput();
    EXPECT_EQ(control.InBufferCount(), 0);
}

TEST_F(SerialControlTest, ReadsLinesWithEveryLineEndAndTimesOut) {
    ASSERT_TRUE(control.OpenDevice(pty.SlavePath(), "9600,n,8,1"));
    std::string line;
    EXPECT_FALSE(control.ReadLine(line, 50));
    WriteMaster(pty.MasterFd(), "first\r");
    ASSERT_TRUE(control.ReadLine(line, 5000));
    EXPECT_EQ(line, "first");
    // The LF of a CR LF split across reads does not make an empty line.
    WriteMaster(pty.MasterFd(), "\nsecond\n\r\nfourth");
    ASSERT_TRUE(control.ReadLine(line, 5000));
    EXPECT_EQ(line, "second");
    ASSERT_TRUE(control.ReadLine(line, 5000));
    EXPECT_EQ(line, "") << "a blank line is a line";
    ASSERT_TRUE(control.ReadLine(line, 100));
    EXPECT_EQ(line, "fourth") << "text without an end is returned after the time-out";
}

TEST_F(SerialControlTest, VanishedDeviceIsReportedOnceAndReopened) {
    const std::string link = (folder / "ttySim").string();
    ASSERT_TRUE(pty.CreateLink(link));
    std::vector<std::string> events;
    control.SetLinkEventHandler([&](SerialControl::LinkEvent, const std::string& text) { events.push_back(text); });
    ASSERT_TRUE(control.OpenDevice(link, "9600,n,8,1"));

    pty.Close();  // the adapter is pulled out
    EXPECT_EQ(control.InBufferCount(), -1);
    EXPECT_EQ(control.GetState(), SerialControl::State::Lost);
    EXPECT_TRUE(control.IsOpen());
    // Further operations fail quickly and quietly while the device is missing.
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(control.InBufferCount(), -1);
        EXPECT_FALSE(control.Output("x"));
        EXPECT_EQ(control.Input(), "");
    }
    ASSERT_EQ(events.size(), 1u);
    EXPECT_NE(events[0].find("no longer available"), std::string::npos);

    PseudoTerminal replacement;
    ASSERT_TRUE(replacement.Open());
    ASSERT_TRUE(replacement.CreateLink(link));
    EXPECT_EQ(control.InBufferCount(), 0);
    EXPECT_EQ(control.GetState(), SerialControl::State::Open);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_NE(events[1].find("available again"), std::string::npos);
    ASSERT_TRUE(control.Output("back"));
    EXPECT_EQ(ReadMaster(replacement.MasterFd(), 2000, "back"), "back");

    control.Close();
    EXPECT_FALSE(control.IsOpen());
    EXPECT_EQ(control.InBufferCount(), -1);
}

}  // namespace
}  // namespace svu
