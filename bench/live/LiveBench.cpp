// Live outputs: notices per second from the live-value server to 10 advised clients, MQTT
// messages per second to a local mosquitto broker, and the cost that the outputs add to one
// reading of a 20-channel station (the copy made on the station's thread).

#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "framework/Clock.h"
#include "framework/HeadlessUserInterface.h"
#include "outputs/LiveClient.h"
#include "outputs/LiveValueServer.h"
#include "outputs/MqttPublisher.h"
#include "stations/StationReports.h"
#include "stations/WeatherStation.h"

extern char** environ;

namespace {

constexpr int kChannels = 20;

class BenchStation : public svu::WeatherStation {
public:
    BenchStation() : WeatherStation("Bench") {
        active = 1;
        rawChannelCount = channelCount = kChannels;
        for (int i = 1; i <= kChannels; ++i) {
            channelNames.push_back("Temperature " + std::to_string(i));
        }
        ResetValues();
    }
    const char* ClassName() const override { return "BenchStation"; }
    std::unique_ptr<svu::WeatherStation> Duplicate() const override { return nullptr; }
    /// Values as an instrument gives them: short decimal texts.
    void Fill(long k) {
        readingTime = k;
        for (int i = 0; i < kChannels; ++i) {
            values[static_cast<std::size_t>(i)] = std::to_string(k % 1000) + "." + std::to_string(i);
        }
    }
};

class Folder {
public:
    // error.txt (the broker's comings and goings) goes here too, not into the current folder.
    Folder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "svu-bench-XXXXXX").string();
        path = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
        svu::SetReportFolder(path);
    }
    ~Folder() {
        svu::SetReportFolder("");
        std::filesystem::remove_all(path);
    }
    std::string path;
};

// Reads notices and counts them.
struct CountingClient {
    svu::LiveClient client;
    std::atomic<long> notices{0};
    std::thread reader;
    std::atomic<bool> stop{false};

    void Start() {
        reader = std::thread([this] {
            std::vector<std::string> fields;
            while (!stop.load()) {
                if (client.ReadLine(fields, 50) == svu::LiveClient::Read::Line && fields[0] == "NOTICE") {
                    notices.fetch_add(1);
                }
            }
        });
    }
    ~CountingClient() {
        stop.store(true);
        if (reader.joinable()) {
            reader.join();
        }
    }
};

void BM_NoticesToTenAdvisedClients(benchmark::State& state) {
    Folder folder;
    svu::StationList list;
    list.push_back(std::make_unique<BenchStation>());
    auto& station = static_cast<BenchStation&>(*list[0]);
    svu::LiveValueServer server;
    svu::LiveValueServer::Options options;
    options.socketPath = folder.path + "/stratavue.live";
    std::vector<std::string> problems;
    if (!server.Start(options, problems)) {
        state.SkipWithError("the server did not start");
        return;
    }
    server.OnStationsChanged(list, svu::StationsChange::Loaded);
    std::vector<std::unique_ptr<CountingClient>> clients;
    for (int c = 0; c < 10; ++c) {
        auto client = std::make_unique<CountingClient>();
        std::string error;
        client->client.ConnectUnix(options.socketPath, error);
        for (int i = 1; i <= kChannels; ++i) {
            client->client.Send({"ADVISE", "Bench", "Channel" + std::to_string(i)});
            std::vector<std::string> fields;
            client->client.ReadLine(fields, 5000);
        }
        client->Start();
        clients.push_back(std::move(client));
    }
    long k = 0;
    long expected = 0;
    for (auto _ : state) {
        {
            std::lock_guard guard(station.lock);
            station.Fill(++k);
            server.OnReading(station);
        }
        // Each reading's notices reach every client before the next reading.
        expected += kChannels;
        for (auto& c : clients) {
            while (c->notices.load() < expected) {
                std::this_thread::yield();
            }
        }
    }
    state.counters["notices/s"] =
        benchmark::Counter(static_cast<double>(expected) * 10, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_NoticesToTenAdvisedClients)->UseRealTime()->MinTime(2.0);

// A broker of our own on a free port of 127.0.0.1, for the life of the object.
class Broker {
public:
    explicit Broker(const std::string& folder) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        ::close(fd);
        port = ntohs(address.sin_port);
        const std::string conf = folder + "/mosquitto.conf";
        std::ofstream(conf) << "listener " << port << " 127.0.0.1\nallow_anonymous true\npersistence false\nlog_dest none\n";
        std::string program = "mosquitto";
        std::string c = "-c";
        std::string confArg = conf;
        char* argv[] = {program.data(), c.data(), confArg.data(), nullptr};
        if (posix_spawnp(&pid_, "mosquitto", nullptr, nullptr, argv, environ) != 0) {
            pid_ = -1;
        }
        for (int i = 0; i < 500 && pid_ > 0 && !Accepts(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    bool Accepts() const {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(fd);
        return ok;
    }
    ~Broker() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool Running() const { return pid_ > 0; }
    int port = 0;

private:
    pid_t pid_ = -1;
};

void BM_MqttMessagesToLocalBroker(benchmark::State& state) {
    Folder folder;
    Broker broker(folder.path);
    svu::MqttSettings settings;
    settings.active = 1;
    settings.host = "127.0.0.1";
    settings.port = broker.port;
    svu::MqttPublisher publisher(settings);
    svu::StationList list;
    list.push_back(std::make_unique<BenchStation>());
    auto& station = static_cast<BenchStation&>(*list[0]);
    publisher.OnStationsChanged(list, svu::StationsChange::Loaded);
    std::vector<std::string> problems;
    if (!broker.Running() || !publisher.Start(problems)) {
        state.SkipWithError("no broker (is mosquitto installed?)");
        return;
    }
    for (int i = 0; i < 500 && !publisher.Connected(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!publisher.Connected()) {
        state.SkipWithError("the broker did not answer");
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // status and announcements
    const uint64_t start = publisher.MessagesSent();
    long k = 0;
    for (auto _ : state) {
        const uint64_t before = publisher.MessagesSent();
        {
            std::lock_guard guard(station.lock);
            station.Fill(++k);
            publisher.OnReading(station);
        }
        // 20 channel messages and the document of this reading.
        while (publisher.MessagesSent() < before + kChannels + 1) {
            std::this_thread::yield();
        }
    }
    state.counters["messages/s"] =
        benchmark::Counter(static_cast<double>(publisher.MessagesSent() - start), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MqttMessagesToLocalBroker)->UseRealTime()->MinTime(2.0);

// What a station thread pays per reading with both outputs on: the server (with one client
// advised on every channel) and the MQTT publisher (connected to the broker when there is one).
void BM_CostAddedPerReadingBothOn(benchmark::State& state) {
    Folder folder;
    Broker broker(folder.path);
    svu::StationList list;
    list.push_back(std::make_unique<BenchStation>());
    auto& station = static_cast<BenchStation&>(*list[0]);

    svu::LiveValueServer server;
    svu::LiveValueServer::Options options;
    options.socketPath = folder.path + "/stratavue.live";
    std::vector<std::string> problems;
    server.Start(options, problems);
    server.OnStationsChanged(list, svu::StationsChange::Loaded);
    CountingClient client;
    std::string error;
    client.client.ConnectUnix(options.socketPath, error);
    for (int i = 1; i <= kChannels; ++i) {
        client.client.Send({"ADVISE", "Bench", "Channel" + std::to_string(i)});
    }
    client.Start();

    svu::MqttSettings settings;
    settings.active = 1;
    settings.host = "127.0.0.1";
    settings.port = broker.port;
    svu::MqttPublisher publisher(settings);
    publisher.OnStationsChanged(list, svu::StationsChange::Loaded);
    publisher.Start(problems);
    for (int i = 0; i < 300 && !publisher.Connected(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    long k = 0;
    for (auto _ : state) {
        std::lock_guard guard(station.lock);
        station.Fill(++k);
        server.OnReading(station);
        publisher.OnReading(station);
    }
    state.counters["connected"] = publisher.Connected() ? 1 : 0;
}
BENCHMARK(BM_CostAddedPerReadingBothOn)->MinTime(2.0);

// The same copy of a reading without any output, for comparison.
void BM_ReadingFillAlone(benchmark::State& state) {
    BenchStation station;
    long k = 0;
    for (auto _ : state) {
        std::lock_guard guard(station.lock);
        station.Fill(++k);
        benchmark::DoNotOptimize(station.values.data());
    }
}
BENCHMARK(BM_ReadingFillAlone)->MinTime(1.0);

}  // namespace
