// Dialling a Hayes modem: the simulated modem on a pseudo-terminal with a request/reply device
// behind it; connecting, the refusals, a slow CONNECT, and both ways of hanging up.

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "framework/Clock.h"
#include "framework/Profile.h"
#include "framework/TempDir.h"
#include "platform/HayesModem.h"
#include "platform/SerialControl.h"
#include "sim/GenericDevice.h"
#include "sim/ModemDevice.h"
#include "sim/PtyDeviceRunner.h"

namespace svu {
namespace {

bool WaitFor(const std::function<bool()>& done) {
    for (int i = 0; i < 1000 && !done(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
}

class HayesModemTest : public ::testing::Test {
protected:
    void Start(sim::ModemSimOptions options) {
        options.guardMs = 100;
        sim::GenericSimOptions device;
        device.answers.push_back({"PING\r", "PONG\r\n"});
        modemDevice = std::make_unique<sim::ModemDevice>(options, std::make_unique<sim::GenericDevice>(device));
        runner = std::make_unique<sim::PtyDeviceRunner>(*modemDevice);
        std::string error;
        ASSERT_TRUE(runner->Start(dir.File("modem"), &error)) << error;
        HayesModem::Timing timing;
        timing.guardMs = 150;
        timing.connectMs = 2000;
        modem.SetTiming(timing);
    }
    ~HayesModemTest() override {
        control.Close();
        if (runner) {
            runner->Stop();
        }
    }
    std::vector<sim::ModemCall> Calls() {
        return runner->WithDevice([this](sim::SimDevice&) { return modemDevice->Calls(); });
    }
    DialResult Dial(const std::string& number = "5551234") {
        return modem.Dial(dir.File("modem"), "9600,n,8,1", number);
    }

    test::TempDir dir;
    std::unique_ptr<sim::ModemDevice> modemDevice;
    std::unique_ptr<sim::PtyDeviceRunner> runner;
    SerialControl control;
    HayesModem modem{control, SystemClock()};
};

TEST_F(HayesModemTest, ConnectsTalksToTheFarEndAndHangsUpWithTheEscape) {
    Start({});
    ASSERT_EQ(Dial(), DialResult::Connected);
    EXPECT_EQ(modem.ConnectText(), "CONNECT 9600");
    ASSERT_TRUE(control.Output("PING\r"));
    std::string line;
    ASSERT_TRUE(control.ReadLine(line, 2000));
    EXPECT_EQ(line, "PONG");
    modem.HangUp();
    EXPECT_FALSE(control.IsOpen());
    ASSERT_TRUE(WaitFor([&] { return !Calls().empty() && Calls()[0].endTick >= 0; }));
    EXPECT_EQ(Calls()[0].dialled, "5551234");
    EXPECT_EQ(Calls()[0].ended, "ATH");
    // The next caller finds the modem ready again.
    EXPECT_EQ(Dial("42"), DialResult::Connected);
}

TEST_F(HayesModemTest, RecognisesEveryRefusalAndLeavesThePortClosed) {
    sim::ModemSimOptions options;
    options.busyFirst = 1;
    options.noDialtoneEvery = 2;
    options.noCarrierEvery = 3;
    options.noAnswerEvery = 5;
    Start(options);
    EXPECT_EQ(Dial(), DialResult::Busy);
    EXPECT_FALSE(control.IsOpen());
    EXPECT_EQ(Dial(), DialResult::NoDialtone);
    EXPECT_EQ(Dial(), DialResult::NoCarrier);
    EXPECT_EQ(Dial(), DialResult::NoDialtone);
    EXPECT_EQ(Dial(), DialResult::NoAnswer);
    EXPECT_EQ(Dial(), DialResult::NoDialtone);
    EXPECT_EQ(Dial(), DialResult::Connected);
    EXPECT_EQ(ParseModemResult(" CONNECT 2400/ARQ"), DialResult::Connected);
    EXPECT_EQ(ParseModemResult("RING"), DialResult::Error);
}

TEST_F(HayesModemTest, GivesUpOnASlowConnectAndDropsDtrToHangUp) {
    sim::ModemSimOptions options;
    options.connectDelayMs = 3000;
    Start(options);
    EXPECT_EQ(Dial(), DialResult::NoAnswer);
    ASSERT_TRUE(WaitFor([&] { return !Calls().empty() && Calls()[0].endTick >= 0; }));
    EXPECT_EQ(Calls()[0].ended, "aborted");

    HayesModem::Timing patient;
    patient.connectMs = 5000;
    modem.SetTiming(patient);
    ASSERT_EQ(Dial(), DialResult::Connected);
    // Closing the port drops DTR: the modem hangs up by itself.
    control.Close();
    ASSERT_TRUE(WaitFor([&] { return Calls().size() == 2 && Calls()[1].endTick >= 0; }));
    EXPECT_EQ(Calls()[1].ended, "DTR");
}

TEST(HayesModem, NamesAPortNumberOrADevice) {
    test::TempDir dir;
    Profile settings(dir.File("stratavue.ini"));
    settings.WriteString("Ports", "COM4", "/dev/ttyUSB7");
    EXPECT_EQ(ModemDevice("COM4", &settings), "/dev/ttyUSB7");
    EXPECT_EQ(ModemDevice("4", &settings), "/dev/ttyUSB7");
    EXPECT_EQ(ModemDevice("2", nullptr), "/dev/ttyS1");
    EXPECT_EQ(ModemDevice(" /dev/ttyACM0 ", &settings), "/dev/ttyACM0");
}

}  // namespace
}  // namespace svu
