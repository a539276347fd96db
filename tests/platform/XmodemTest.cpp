#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "framework/TempDir.h"
#include "platform/PseudoTerminal.h"
#include "platform/PtyTestUtil.h"
#include "platform/SerialControl.h"
#include "platform/Xmodem.h"

namespace svu {
namespace {

using testing::FdLink;
using testing::ReadMaster;

std::vector<uint8_t> TestData(std::size_t size) {
    std::mt19937 rng(7);
    std::vector<uint8_t> data(size);
    for (auto& b : data) {
        b = static_cast<uint8_t>(rng());
    }
    return data;
}

// The received file is the sent one plus the sender's SUB padding of the last block.
void ExpectSameFile(const std::vector<uint8_t>& sent, const std::vector<uint8_t>& received) {
    ASSERT_GE(received.size(), sent.size());
    EXPECT_LT(received.size(), sent.size() + 1024);
    EXPECT_TRUE(std::equal(sent.begin(), sent.end(), received.begin()));
    EXPECT_TRUE(std::all_of(received.begin() + static_cast<std::ptrdiff_t>(sent.size()), received.end(),
                            [](uint8_t b) { return b == xmodem::kSub; }));
}

TEST(Xmodem, CrcMatchesTheStandardCheckValue) {
    const std::string text = "123456789";
    EXPECT_EQ(Crc16Xmodem(reinterpret_cast<const uint8_t*>(text.data()), text.size()), 0x31C3);
}

class XmodemPtyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.Open());
        ASSERT_TRUE(control.OpenDevice(pty.SlavePath(), "115200,n,8,1"));
    }
    PseudoTerminal pty;
    SerialControl control;
};

TEST_F(XmodemPtyTest, ReceivesFromOurSenderAndRecoversACorruptedBlock) {
    const std::vector<uint8_t> data = TestData(1000);
    XmodemResult sent = XmodemResult::LinkError;
    std::thread sender([&] {
        FdLink link(pty.MasterFd());
        sent = XmodemSend(link, data, false, 3);
    });
    std::vector<uint8_t> received;
    std::size_t lastProgress = 0;
    const XmodemResult result = control.ReceiveXmodem(received, [&](std::size_t n) { lastProgress = n; });
    sender.join();
    EXPECT_EQ(result, XmodemResult::Ok);
    EXPECT_EQ(sent, XmodemResult::Ok);
    ExpectSameFile(data, received);
    EXPECT_EQ(lastProgress, received.size());
}

TEST_F(XmodemPtyTest, FallsBackToChecksumsAndCanBeCancelled) {
    const std::vector<uint8_t> data = TestData(300);
    std::thread sender([&] {
        FdLink link(pty.MasterFd());
        XmodemSend(link, data, true);
    });
    const int slave = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    control.Close();
    FdLink receiverLink(slave);
    XmodemReceiveOptions options;
    options.crcRequests = 0;  // a receiver that only knows the arithmetic checksum
    std::vector<uint8_t> received;
    EXPECT_EQ(XmodemReceive(receiverLink, received, options), XmodemResult::Ok);
    sender.join();
    ExpectSameFile(data, received);

    std::atomic<bool> cancel{true};
    options.cancel = &cancel;
    EXPECT_EQ(XmodemReceive(receiverLink, received, options), XmodemResult::Cancelled);
    const std::string sentBack = ReadMaster(pty.MasterFd(), 1000, "\x18\x18\x18");
    EXPECT_NE(sentBack.find("\x18\x18\x18"), std::string::npos);
    ::close(slave);
}

// lrzsz's sx on one pty, our receiver on another, and a relay between them that can spoil a
// byte on the way, so the receiver meets an implementation that is not our own.
class SxTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (::access("/usr/bin/sx", X_OK) != 0) {
            GTEST_SKIP() << "lrzsz's sx is not installed";
        }
        ASSERT_TRUE(sxSide.Open());
        ASSERT_TRUE(ourSide.Open());
        ASSERT_TRUE(control.OpenDevice(ourSide.SlavePath(), "115200,n,8,1"));
    }
    void TearDown() override {
        stopRelay = true;
        if (relay.joinable()) {
            relay.join();
        }
        if (child > 0) {
            ::kill(child, SIGTERM);
            ::waitpid(child, nullptr, 0);
        }
    }

    void StartSx(const std::vector<uint8_t>& data, const std::vector<std::string>& flags, long corruptAt) {
        {
            std::ofstream out(folder.File("image.bin"), std::ios::binary);
            out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
        }
        // Everything the child needs is prepared before fork: it may not allocate.
        const std::string slavePath = sxSide.SlavePath();
        const std::string workFolder = folder.Path().string();
        std::vector<const char*> argv = {"sx"};
        for (const std::string& flag : flags) {
            argv.push_back(flag.c_str());
        }
        argv.push_back("image.bin");
        argv.push_back(nullptr);
        child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const int fd = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY);
            const int null = ::open("/dev/null", O_WRONLY);
            if (fd < 0 || ::chdir(workFolder.c_str()) != 0) {
                _exit(127);
            }
            ::dup2(fd, 0);
            ::dup2(fd, 1);
            ::dup2(null, 2);
            ::execv("/usr/bin/sx", const_cast<char* const*>(argv.data()));
            _exit(127);
        }
        relay = std::thread([this, corruptAt] {
            long forwarded = 0;
            while (!stopRelay) {
                struct pollfd fds[2] = {{sxSide.MasterFd(), POLLIN, 0}, {ourSide.MasterFd(), POLLIN, 0}};
                if (::poll(fds, 2, 20) <= 0) {
                    continue;
                }
                char buffer[512];
                if ((fds[0].revents & POLLIN) != 0) {
                    const ssize_t n = ::read(sxSide.MasterFd(), buffer, sizeof buffer);
                    for (ssize_t i = 0; i < n; ++i, ++forwarded) {
                        if (forwarded == corruptAt) {
                            buffer[i] = static_cast<char>(buffer[i] ^ 0x20);
                        }
                    }
                    if (n > 0) {
                        testing::WriteMaster(ourSide.MasterFd(), std::string(buffer, static_cast<std::size_t>(n)));
                    }
                }
                if ((fds[1].revents & POLLIN) != 0) {
                    const ssize_t n = ::read(ourSide.MasterFd(), buffer, sizeof buffer);
                    if (n > 0) {
                        testing::WriteMaster(sxSide.MasterFd(), std::string(buffer, static_cast<std::size_t>(n)));
                    }
                }
            }
        });
    }

    int WaitForSx() {
        int status = -1;
        ::waitpid(child, &status, 0);
        child = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    test::TempDir folder;
    PseudoTerminal sxSide;
    PseudoTerminal ourSide;
    SerialControl control;
    pid_t child = -1;
    std::thread relay;
    std::atomic<bool> stopRelay{false};
};

TEST_F(SxTest, ReceivesOneKilobyteBlocksFromSx) {
    const std::vector<uint8_t> data = TestData(5000);
    StartSx(data, {"-X", "-k", "-q"}, -1);
    std::vector<uint8_t> received;
    EXPECT_EQ(control.ReceiveXmodem(received), XmodemResult::Ok) << control.LastErrorText();
    EXPECT_EQ(WaitForSx(), 0);
    ExpectSameFile(data, received);
}

TEST_F(SxTest, ABlockSpoiledOnTheWayFromSxIsSentAgain) {
    const std::vector<uint8_t> data = TestData(2000);
    StartSx(data, {"-X", "-q"}, 300);  // inside the third 128-byte block
    std::vector<uint8_t> received;
    EXPECT_EQ(control.ReceiveXmodem(received), XmodemResult::Ok) << control.LastErrorText();
    EXPECT_EQ(WaitForSx(), 0);
    ExpectSameFile(data, received);
}

}  // namespace
}  // namespace svu
