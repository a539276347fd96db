// The web server: requests per second for one station's current reading, events per second
// delivered to 50 event-stream clients, the cost the server adds to one reading on the station's
// thread, and the memory that 50 stream clients add to the process.

#include <benchmark/benchmark.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "outputs/WebApiServer.h"
#include "stations/WeatherStation.h"

namespace {

constexpr int kChannels = 20;
constexpr int kStreamClients = 50;

class BenchStation : public svu::WeatherStation {
public:
    BenchStation() : WeatherStation("Bench") {
        active = 1;
        rawChannelCount = channelCount = kChannels;
        for (int i = 1; i <= kChannels; ++i) {
            channelNames.push_back("Temperature " + std::to_string(i) + " (C)");
        }
        ResetValues();
    }
    const char* ClassName() const override { return "BenchStation"; }
    std::unique_ptr<WeatherStation> Duplicate() const override { return nullptr; }
    void Reading(long k) {
        StoreReading(k, [&](std::vector<std::string>& v) {
            for (int i = 0; i < kChannels; ++i) {
                v[i] = std::to_string(k % 1000) + "." + std::to_string(i);
            }
        });
    }
};

struct Fixture {
    Fixture() {
        stations.push_back(std::make_unique<BenchStation>());
        server.OnStationsChanged(stations, svu::StationsChange::Loaded);
        server.OnAcquisitionChanged(true);
        svu::WebApiServer::Options options;
        options.port = 0;
        std::vector<std::string> problems;
        server.Start(options, problems);
        station().Reading(1);
        server.OnReading(station());
    }
    BenchStation& station() { return static_cast<BenchStation&>(*stations[0]); }
    svu::StationList stations;
    svu::WebApiServer server;
};

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

// A stream client on a thread of its own that counts the events it reads.
class StreamReader {
public:
    explicit StreamReader(int port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<uint16_t>(port));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        const std::string request = "GET /api/stream HTTP/1.1\r\nHost: b\r\n\r\n";
        ::send(fd_, request.data(), request.size(), MSG_NOSIGNAL);
        thread_ = std::thread([this] {
            char buffer[65536];
            std::string tail;
            for (;;) {
                const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
                if (n <= 0) {
                    return;
                }
                // Counts "event: reading" across reads.
                tail.append(buffer, static_cast<std::size_t>(n));
                std::size_t at = 0;
                while ((at = tail.find("event: reading", at)) != std::string::npos) {
                    events.fetch_add(1);
                    at += 14;
                }
                tail.erase(0, tail.size() > 14 ? tail.size() - 14 : 0);
            }
        });
    }
    ~StreamReader() {
        ::shutdown(fd_, SHUT_RDWR);
        thread_.join();
        ::close(fd_);
    }
    std::atomic<long> events{0};

private:
    int fd_ = -1;
    std::thread thread_;
};

void BM_StationReadingRequest(benchmark::State& state) {
    Fixture f;
    httplib::Client client("127.0.0.1", f.server.Port());
    client.set_keep_alive(true);
    client.set_tcp_nodelay(true);
    for (auto _ : state) {
        const auto res = client.Get("/api/stations/Bench");
        if (!res || res->status != 200) {
            state.SkipWithError("request failed");
            break;
        }
        benchmark::DoNotOptimize(res->body.size());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StationReadingRequest)->UseRealTime();

void BM_EventsToFiftyStreams(benchmark::State& state) {
    Fixture f;
    const long before = ResidentKiB();
    std::vector<std::unique_ptr<StreamReader>> readers;
    for (int i = 0; i < kStreamClients; ++i) {
        readers.push_back(std::make_unique<StreamReader>(f.server.Port()));
    }
    while (f.server.StreamClients() < static_cast<std::size_t>(kStreamClients)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    long k = 1;
    long sent = 0;
    constexpr int kBatch = 200;
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i) {
            f.station().Reading(++k);
            f.server.OnReading(f.station());
            ++sent;
            // A pace the readers can follow: a burst beyond the kept events would drop them.
            if (i % 50 == 49) {
                for (const auto& r : readers) {
                    while (r->events.load() < sent - 500) {
                        std::this_thread::yield();
                    }
                }
            }
        }
        for (const auto& r : readers) {
            while (r->events.load() < sent) {
                std::this_thread::yield();
            }
        }
    }
    state.counters["events_per_s"] =
        benchmark::Counter(static_cast<double>(sent) * kStreamClients, benchmark::Counter::kIsRate);
    state.counters["added_rss_kib"] = static_cast<double>(ResidentKiB() - before);
    state.counters["dropped"] = static_cast<double>(f.server.DroppedStreamClients());
}
BENCHMARK(BM_EventsToFiftyStreams)->UseRealTime()->Unit(benchmark::kMillisecond);

// What the server adds to one reading on the station's thread.
void BM_ReadingCopyOnStationThread(benchmark::State& state) {
    Fixture f;
    long k = 1;
    for (auto _ : state) {
        f.server.OnReading(f.station());
        benchmark::DoNotOptimize(++k);
    }
}
BENCHMARK(BM_ReadingCopyOnStationThread);

}  // namespace
