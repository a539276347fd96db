#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "e2e/ProgramSupport.h"
#include "e2e/RuntimeCliSupport.h"
#include "framework/Settings.h"
#include "outputs/LiveValueServer.h"
#include "outputs/TestProcess.h"

namespace svu {
namespace {

using test::CliProgram;
using test::OnPath;
using test::Process;
using test::ReadFileBytes;
using test::WaitUntil;
using test::WriteFileBytes;

// A looping file station that the service replays, one record every tenth of a second.
class LiveCli : public ::testing::Test {
protected:
    LiveCli() { folder.SaveHill(30); }

    test::ProgramFolder folder;
};

TEST_F(LiveCli, AdviseSeesTheReplayedValuesOfARunningService) {
    if (!std::filesystem::exists(CliProgram())) {
        GTEST_SKIP() << CliProgram() << " is not built";
    }
    Settings(folder.Path()).WriteSettingInt(kSectionLiveValues, kKeyLiveActive, 1);
    Process service({CliProgram(), "--program-dir=" + folder.Path(), "run"});
    ASSERT_TRUE(service.Started());
    const std::string socket = folder.File(kLiveSocketName);
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(socket); }));

    // The socket opens just before acquisition starts: "Realtime" turns to Yes a moment later.
    test::CliResult r{};
    EXPECT_TRUE(WaitUntil([&] {
        r = test::RunCli({"--program-dir", folder.Path(), "live", "request", "Information", "Realtime"});
        return r.out == "Yes\n";
    })) << r.out << r.err;
    EXPECT_EQ(r.code, 0) << r.err;
    r = test::RunCli({"--program-dir", folder.Path(), "live", "request", "hill", "Name3"});
    EXPECT_EQ(r.out, "Temp\n") << r.err;
    r = test::RunCli({"--program-dir", folder.Path(), "live", "request", "Hill", "Channel9"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("no data"), std::string::npos) << r.err;

    r = test::RunCli(
        {"--program-dir", folder.Path(), "live", "advise", "Hill", "Channel3", "Channel4", "--count", "6"});
    ASSERT_EQ(r.code, 0) << r.err;
    std::istringstream lines(r.out);
    std::vector<int> temps;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("Hill\tChannel3\t", 0) == 0) {
            temps.push_back(std::stoi(line.substr(14)));
        } else {
            EXPECT_EQ(line.rfind("Hill\tChannel4\t", 0), 0u) << line;
        }
    }
    ASSERT_EQ(temps.size(), 3u) << r.out;
    for (int t : temps) {
        EXPECT_GE(t, 5);  // the log's temperatures run from 5 to 34
        EXPECT_LE(t, 34);
    }
    EXPECT_NE(temps.front(), temps.back());  // the values arrive as they are replayed

    service.Signal(SIGTERM);
    EXPECT_EQ(service.Wait(), 0);
    EXPECT_FALSE(std::filesystem::exists(socket));
    r = test::RunCli({"--program-dir", folder.Path(), "live", "request", "Information", "Realtime"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("cannot reach the live-value server"), std::string::npos) << r.err;
}

TEST_F(LiveCli, MqttBrokerGetsChannelsDocumentDiscoveryAndTheLastWill) {
    if (!OnPath("mosquitto") || !OnPath("mosquitto_sub")) {
        GTEST_SKIP() << "the mosquitto broker and clients are not installed";
    }
    if (!std::filesystem::exists(CliProgram())) {
        GTEST_SKIP() << CliProgram() << " is not built";
    }
    test::Broker broker(folder.Path());
    ASSERT_TRUE(broker.Running());
    const int port = broker.port;

    Settings settings(folder.Path());
    settings.WriteSettingInt(kSectionMqtt, kKeyMqttActive, 1);
    settings.WriteSettingString(kSectionMqtt, kKeyMqttHost, "127.0.0.1");
    settings.WriteSettingInt(kSectionMqtt, kKeyMqttPort, port);
    settings.WriteSettingInt(kSectionMqtt, kKeyMqttHomeAssistant, 1);
    Process service({CliProgram(), "--program-dir=" + folder.Path(), "run"});
    ASSERT_TRUE(service.Started());

    // Everything retained: status, 4 channels, the document and 4 discovery configurations.
    const std::string portText = std::to_string(port);
    const std::string retained = folder.File("retained.out");
    bool gotAll = false;
    for (int attempt = 0; attempt < 20 && !gotAll; ++attempt) {
        Process sub({"mosquitto_sub", "-h", "127.0.0.1", "-p", portText, "-t", "#", "-v", "-C", "10", "-W", "2"},
                    retained);
        const std::string got = sub.Wait() == 0 ? ReadFileBytes(retained) : std::string();
        gotAll = got.find("stratavue/Hill {") != std::string::npos &&
                 got.find("homeassistant/sensor/stratavue_hill/rain/config") != std::string::npos &&
                 got.find("stratavue/status") != std::string::npos;
    }
    ASSERT_TRUE(gotAll) << ReadFileBytes(retained);
    const std::string text = ReadFileBytes(retained);
    EXPECT_NE(text.find("stratavue/status online\n"), std::string::npos) << text;
    EXPECT_NE(text.find("stratavue/Hill/Time 14:"), std::string::npos) << text;
    EXPECT_NE(text.find("stratavue/Hill/Temp "), std::string::npos) << text;
    const std::size_t doc = text.find("stratavue/Hill {");
    ASSERT_NE(doc, std::string::npos) << text;
    const auto json = nlohmann::json::parse(text.substr(doc + 15, text.find('\n', doc) - doc - 15));
    EXPECT_EQ(json["station"], "Hill");
    EXPECT_TRUE(json["values"]["Temp"].is_number()) << json.dump();
    EXPECT_EQ(json["time"].get<std::string>().substr(0, 14), "2026-12-05T14:");
    const std::size_t rain = text.find("homeassistant/sensor/stratavue_hill/rain/config {");
    ASSERT_NE(rain, std::string::npos) << text;
    const auto config = nlohmann::json::parse(text.substr(text.find('{', rain), text.find('\n', rain) - text.find('{', rain)));
    EXPECT_EQ(config["device_class"], "precipitation");
    EXPECT_EQ(config["state_topic"], "stratavue/Hill/Rain");

    // Killed outright, the service cannot say goodbye: the broker gives its last will.
    const std::string status = folder.File("status.out");
    Process watcher({"mosquitto_sub", "-h", "127.0.0.1", "-p", portText, "-t", "stratavue/status", "-C", "2", "-W", "30"},
                    status);
    ASSERT_TRUE(WaitUntil([&] { return ReadFileBytes(status) == "online\n"; })) << ReadFileBytes(status);
    service.Signal(SIGKILL);
    EXPECT_EQ(watcher.Wait(), 0);
    EXPECT_EQ(ReadFileBytes(status), "online\noffline\n");
}

}  // namespace
}  // namespace svu
