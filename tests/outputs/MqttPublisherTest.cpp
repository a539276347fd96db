#include <gtest/gtest.h>

#include "outputs/LiveTestSupport.h"
#include "outputs/MqttPublisher.h"
#include "outputs/TestProcess.h"
#include "stations/StationTestSupport.h"

namespace svu {
namespace {

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

class MqttPublisherTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::OnPath("mosquitto") || !test::OnPath("mosquitto_sub")) {
            GTEST_SKIP() << "the mosquitto broker and clients are not installed";
        }
        stations.push_back(std::make_unique<test::TickStation>("Hill", 2));
        host = std::make_unique<test::ForwardingHost>([this](WeatherStation& s) {
            if (publisher) {
                publisher->OnReading(s);
            }
        });
        stations[0]->host = host.get();
    }
    ~MqttPublisherTest() override {
        publisher.reset();
        if (!stations.empty()) {
            stations[0]->host = nullptr;
        }
    }
    void Start(int port, int homeAssistant = 0) {
        MqttSettings settings;
        settings.active = 1;
        settings.host = "127.0.0.1";
        settings.port = port;
        settings.homeAssistant = homeAssistant;
        publisher = std::make_unique<MqttPublisher>(settings);
        publisher->OnStationsChanged(stations, StationsChange::Loaded);
        std::vector<std::string> problems;
        ASSERT_TRUE(publisher->Start(problems));
    }
    test::TickStation& hill() { return static_cast<test::TickStation&>(*stations[0]); }

    test::ReportScope reports;
    StationList stations;
    std::unique_ptr<test::ForwardingHost> host;
    std::unique_ptr<MqttPublisher> publisher;
};

TEST_F(MqttPublisherTest, AnAbsentBrokerIsReportedOncePerOutageAndTriedAgain) {
    const int port = test::FreeLoopbackPort();
    Start(port);
    hill().Reading(1);  // taken while the broker is away, and never waited for
    ASSERT_TRUE(test::WaitFor([&] { return Count(reports.ErrorText(), "cannot reach the broker") == 1; }));

    {
        test::Broker broker(reports.dir.Path().string(), port);
        ASSERT_TRUE(broker.Running());
        ASSERT_TRUE(test::WaitFor([&] { return publisher->Connected(); }, std::chrono::seconds(30)));
        EXPECT_EQ(Count(reports.ErrorText(), "cannot reach the broker"), 1u) << reports.ErrorText();
        EXPECT_EQ(Count(reports.ErrorText(), "connected to the broker at 127.0.0.1:" + std::to_string(port) + " again"),
                  1u);
        // The reading taken during the outage is published once connected.
        test::Process sub({"mosquitto_sub", "-h", "127.0.0.1", "-p", std::to_string(port), "-t", "stratavue/Hill/C2",
                           "-C", "1", "-W", "20"},
                          reports.dir.File("sub.out"));
        EXPECT_EQ(sub.Wait(), 0);
        EXPECT_EQ(test::ReadFileBytes(reports.dir.File("sub.out")), "1.2\n");
        broker.Kill();
    }
    ASSERT_TRUE(test::WaitFor([&] { return !publisher->Connected(); }));
    ASSERT_TRUE(test::WaitFor([&] { return Count(reports.ErrorText(), "cannot reach the broker") == 2; }));
    for (int k = 2; k < 200; ++k) {
        hill().Reading(k);  // readings go on while the broker is away
    }
    EXPECT_EQ(hill().readings.load(), 199);
}

TEST_F(MqttPublisherTest, ARenamedStationsTopicsFollowItsNewNameAndTheOldOnesAreCleared) {
    test::Broker broker(reports.dir.Path().string());
    ASSERT_TRUE(broker.Running());
    Start(broker.port, 1);
    ASSERT_TRUE(test::WaitFor([&] { return publisher->Connected(); }));
    hill().Reading(1);
    const auto retained = [&](const std::string& name) {
        // Everything the broker keeps: status, 2 channels, the document and 2 configurations.
        test::Process sub({"mosquitto_sub", "-h", "127.0.0.1", "-p", std::to_string(broker.port), "-t", "#", "-v",
                           "--retained-only", "-C", "6", "-W", "5"},
                          reports.dir.File(name));
        sub.Wait();
        return test::ReadFileBytes(reports.dir.File(name));
    };
    std::string before;
    ASSERT_TRUE(test::WaitFor([&] { return (before = retained("before.out")).find("Hill/C2 1.2") != std::string::npos; }))
        << before;
    EXPECT_NE(before.find("homeassistant/sensor/stratavue_hill/c1/config"), std::string::npos) << before;

    hill().name = "Summit";
    publisher->OnStationsChanged(stations, StationsChange::Saved);
    hill().Reading(2);
    std::string after;
    ASSERT_TRUE(test::WaitFor([&] { return (after = retained("after.out")).find("Summit/C2 2.2") != std::string::npos; }))
        << after;
    EXPECT_NE(after.find("homeassistant/sensor/stratavue_summit/c1/config"), std::string::npos) << after;
    EXPECT_EQ(after.find("Hill"), std::string::npos) << after;
    EXPECT_EQ(after.find("stratavue_hill"), std::string::npos) << after;
}

TEST(MqttPublisherSettings, UnusableSettingsAreReportedAtStart) {
    const auto problem = [](MqttSettings settings) {
        MqttPublisher publisher(settings);
        std::vector<std::string> problems;
        EXPECT_FALSE(publisher.Start(problems));
        return problems.empty() ? std::string() : problems[0];
    };
    MqttSettings settings;
    settings.prefix = "weather/#";
    EXPECT_NE(problem(settings).find("topic prefix"), std::string::npos);
    settings = {};
    settings.port = 0;
    EXPECT_NE(problem(settings).find("0 is not a TCP port"), std::string::npos);
    settings = {};
    settings.tls = 1;
    settings.caFile = "/nonexistent/ca.pem";
    EXPECT_NE(problem(settings).find("/nonexistent/ca.pem"), std::string::npos);
}

}  // namespace
}  // namespace svu
