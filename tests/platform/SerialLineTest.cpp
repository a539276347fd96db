#include <gtest/gtest.h>

#include "platform/PseudoTerminal.h"
#include "platform/PtyTestUtil.h"
#include "platform/SerialLine.h"

namespace svu {
namespace {

using testing::ReadMaster;
using testing::WriteMaster;

class SerialLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(pty.Open(&error)) << error;
    }
    PseudoTerminal pty;
    SerialLine line;
};

TEST_F(SerialLineTest, OpenTwiceKeepsThePortAndClosedPortRefusesEverything) {
    uint32_t count = 0;
    uint8_t buffer[4];
    EXPECT_EQ(line.Read(buffer, 4, &count), kSerialInvalidHandle);
    EXPECT_EQ(line.Write("x"), kSerialInvalidHandle);
    EXPECT_EQ(line.GetBaudrate(), -1);
    EXPECT_EQ(line.LastError(), kSerialInvalidHandle);

    ASSERT_EQ(line.Open(pty.SlavePath()), 0u);
    EXPECT_EQ(line.Open(pty.SlavePath()), kSerialAlreadyOpen);
    EXPECT_TRUE(line.IsOpen());
    EXPECT_EQ(line.Write("ok"), 0u);
    EXPECT_EQ(ReadMaster(pty.MasterFd(), 1000, "ok"), "ok");

    SerialLine other;
    EXPECT_NE(other.Open(pty.SlavePath()), 0u) << "the port is exclusive";
    EXPECT_NE(SerialLine().Open("/dev/no-such-serial-device"), 0u);
}

TEST_F(SerialLineTest, TimeOutRulesDependOnTheOverlappedFlag) {
    ASSERT_EQ(line.Open(pty.SlavePath(), 0, 0, false), 0u);
    uint32_t events = 0;
    uint32_t count = 0;
    uint8_t buffer[8];
    SerialOverlapped overlapped;
    EXPECT_EQ(line.WaitEvent(&events, nullptr, 5000), kSerialInvalidFunction);
    EXPECT_EQ(line.Read(buffer, 8, &count, nullptr, 5000), kSerialInvalidFunction);
    EXPECT_EQ(line.Write(buffer, 8, &count, &overlapped), kSerialInvalidFunction);
    // Non-blocking reads return at once with what is waiting.
    EXPECT_EQ(line.Read(buffer, 8, &count), 0u);
    EXPECT_EQ(count, 0u);

    SerialLine overlappedLine;
    line.Close();
    ASSERT_EQ(overlappedLine.Open(pty.SlavePath(), 16384, 1024, true), 0u);
    ASSERT_EQ(overlappedLine.SetupReadTimeouts(1), 0u);
    EXPECT_EQ(overlappedLine.Read(buffer, 4, &count, nullptr, 50), kSerialTimeout);
    EXPECT_EQ(overlappedLine.WaitEvent(&events, nullptr, 50), kSerialTimeout);
    // What arrived before a cancelled read is not lost.
    WriteMaster(pty.MasterFd(), "ab");
    EXPECT_EQ(overlappedLine.Read(buffer, 4, &count, nullptr, 100), kSerialTimeout);
    WriteMaster(pty.MasterFd(), "cd");
    ASSERT_EQ(overlappedLine.Read(buffer, 4, &count, nullptr, 5000), 0u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), count), "abcd");

    // With the caller's record: pending, then finished by GetOverlappedResult.
    EXPECT_EQ(overlappedLine.Read(buffer, 3, &count, &overlapped), kSerialIoPending);
    WriteMaster(pty.MasterFd(), "xyz");
    EXPECT_EQ(overlappedLine.GetOverlappedResult(overlapped, &count, 5000), 0u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), count), "xyz");
    EXPECT_TRUE(overlapped.signalled);
    WriteMaster(pty.MasterFd(), "q");
    EXPECT_EQ(overlappedLine.Read(buffer, 1, &count, &overlapped), 0u) << "completed at once";
    EXPECT_TRUE(overlapped.signalled);
    EXPECT_EQ(overlapped.transferred, 1u);
}

TEST_F(SerialLineTest, SettingsEventsQueueAndPurge) {
    ASSERT_EQ(line.Open(pty.SlavePath(), 0, 0, true), 0u);
    EXPECT_EQ(line.GetEventMask(), 0xC1u);
    // A pty keeps the speed and stop bits but forces 8 data bits without parity.
    ASSERT_EQ(line.Setup(19200, 7, kParityEven, kStopBitsTwo), 0u);
    EXPECT_EQ(line.GetBaudrate(), 19200);
    EXPECT_EQ(line.GetStopBits(), kStopBitsTwo);
    ASSERT_EQ(line.Setup(14400, 8, kParityNone, kStopBitsOne), 0u) << "a rate without a termios constant";
    EXPECT_EQ(line.GetBaudrate(), 14400);
    EXPECT_EQ(line.GetParity(), kParityNone);
    EXPECT_EQ(line.Setup(9600, 9, 0, 0), kSerialInvalidArgument);
    EXPECT_EQ(line.SetupHandshaking(3), kSerialInvalidArgument);
    EXPECT_EQ(line.SetupHandshaking(2), 0u);
    EXPECT_EQ(line.GetHandshaking(), 2);
    EXPECT_EQ(line.SetupHandshaking(0), 0u);
    EXPECT_EQ(line.GetHandshaking(), 0);

    ASSERT_EQ(line.SetEventChar('\n', true), 0u);
    EXPECT_EQ(line.GetEventMask() & kSerialEventRxFlag, kSerialEventRxFlag);
    WriteMaster(pty.MasterFd(), "line\n");
    uint32_t events = 0;
    ASSERT_EQ(line.WaitEvent(&events, nullptr, 5000), 0u);
    EXPECT_EQ(events, kSerialEventRxChar | kSerialEventRxFlag);
    EXPECT_EQ(line.GetInputQueueLength(), 5u);
    ASSERT_EQ(line.Purge(), 0u);
    EXPECT_EQ(line.GetInputQueueLength(), 0u);
}

TEST_F(SerialLineTest, ClosingTheFarEndReportsTheDeviceLostWithoutWaiting) {
    ASSERT_EQ(line.Open(pty.SlavePath(), 0, 0, true), 0u);
    pty.Close();
    uint8_t buffer[4];
    uint32_t count = 0;
    ASSERT_EQ(line.SetupReadTimeouts(1), 0u);
    // An infinite wait on a vanished device must end with an error, not hang or spin.
    EXPECT_NE(line.Read(buffer, 4, &count), 0u);
    EXPECT_TRUE(line.DeviceLost());
    EXPECT_NE(line.Write("x"), 0u);
}

}  // namespace
}  // namespace svu
