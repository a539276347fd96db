// Triscan's download against an instrument played by the test on a pseudo-terminal.

#include <gtest/gtest.h>

#include <thread>

#include "framework/Profile.h"
#include "framework/StringTable.h"
#include "loggers/WSTriscan.h"
#include "platform/PseudoTerminal.h"
#include "platform/PtyTestUtil.h"
#include "stations/StationTestSupport.h"

namespace svu {
namespace {

using testing::ReadMaster;
using testing::WriteMaster;

class WSTriscanTest : public ::testing::Test {
protected:
    WSTriscanTest() {
        pty.Open();
        Profile(reports.dir.File("stratavue.ini")).WriteString("Ports", "COM2", pty.SlavePath());
        station.port = 2;
        station.logErrors = 1;
        station.host = &host;
    }
    ~WSTriscanTest() override {
        if (player.joinable()) {
            player.join();
        }
        station.host = nullptr;
    }
    // Waits for the download command, then sends `reply`.
    void Reply(std::string reply) {
        player = std::thread([this, reply = std::move(reply)] {
            command = ReadMaster(pty.MasterFd(), 3000, "T\r");
            WriteMaster(pty.MasterFd(), reply);
        });
    }
    std::string Downloaded() {
        station.Download(target);
        player.join();
        return test::ReadFileBytes(target);
    }

    test::ReportScope reports;
    test::FakeHost host{0};
    PseudoTerminal pty;
    WSTriscan station{"Pier"};
    std::string target = reports.dir.File("pier.log");
    std::thread player;
    std::string command;
};

const std::string kHeader =
    "6\r\nAve. speed\r\nMax. speed\r\nMin. speed\r\nAve. direction\r\nMax. direction\r\nMin. direction\r\n";

TEST_F(WSTriscanTest, RecordsAreStampedFromTheStartLine) {
    Reply("START,23,59,30,31,12,07\r\n0,4.1,8.0,1.2,250,280,230\r\n60,5.0,9.5,2.2,255,290,240\r\nEOF\r\n");
    EXPECT_EQ(Downloaded(), kHeader + "31/12/07, 23:59:30, 4.1,8.0,1.2,250,280,230\r\n" +
                                "01/01/08, 00:00:30, 5.0,9.5,2.2,255,290,240\r\n");
    EXPECT_EQ(command, "T\r");
    EXPECT_TRUE(station.LastOperationSucceeded());
    EXPECT_EQ(station.DownloadedRecords(), 2);
    EXPECT_EQ(station.portOpen, 0);
}

TEST_F(WSTriscanTest, AnEmptyMemoryGivesTheHeaderOnly) {
    Reply("START,10,00,00,01,06,26\r\nEOF\r\n");
    EXPECT_EQ(Downloaded(), kHeader);
    EXPECT_TRUE(station.LastOperationSucceeded());
}

TEST_F(WSTriscanTest, AnInstrumentFallingSilentKeepsWhatCameAndSaysSo) {
    Reply("START,10,00,00,01,06,26\r\n0,4.1,8.0,1.2,250,280,230\r\n");
    EXPECT_EQ(Downloaded(), kHeader + "01/06/26, 10:00:00, 4.1,8.0,1.2,250,280,230\r\n");
    EXPECT_FALSE(station.LastOperationSucceeded());
    const auto messages = host.ui.Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().text, Str(238));
}

}  // namespace
}  // namespace svu
