#pragma once

// The built-in web server: the dashboard's files, a read-only JSON API over the stations, their
// alarms and their logs, a stream of Server-Sent Events with every new reading, and Prometheus
// metrics. It listens on 127.0.0.1 unless told otherwise, and on any other address only with an
// access token. Requests are served by a fixed pool of threads of its own; the runtime's calls
// only copy into the board (see WebBoard), so no client ever slows a station.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "outputs/LiveOutput.h"
#include "outputs/WebBoard.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace svu {

class HistoryReader;

/// A display file's pages as the dashboard groups values by them.
struct WebDisplayItem {
    std::string kind;  // value, text, date, time, state, windrose, dustrose, graph, bitmap, overlay, multitext
    std::string station;  // empty for none
    int channel = -1;     // 0-based; -1 for none
    std::string label;
    int x = 0, y = 0, width = 0, height = 0;
};
struct WebDisplayPage {
    int index = 0;
    std::string name;
    std::vector<WebDisplayItem> items;
};
struct WebDisplay {
    std::string file;  // the file's name, without its folder
    std::vector<WebDisplayPage> pages;
};

class WebApiServer : public LiveOutput {
public:
    struct Options {
        std::string address = "127.0.0.1";
        int port = 8080;  // 0 takes any free port
        std::string token;
        std::string webFolder;  // the dashboard's files; empty for none
        std::size_t threads = 64;        // connections served at once
        std::size_t maxStreams = 50;     // of them, event streams
        std::chrono::seconds readTimeout{10};
        std::chrono::seconds writeTimeout{5};
        std::chrono::milliseconds keepAlivePeriod{15000};  // a comment line on an idle stream
        std::size_t maxHistoryCells = 2'000'000;
        int maxHistoryDays = 366;
    };

    WebApiServer();
    ~WebApiServer() override;
    WebApiServer(const WebApiServer&) = delete;
    WebApiServer& operator=(const WebApiServer&) = delete;

    /// Where /api/history reads the logs (nullptr: it answers 503). Set before Start.
    void SetHistoryReader(HistoryReader* reader) { history_ = reader; }
    /// The loaded display file, or none (then /api/display answers 404). Any thread.
    void SetDisplay(std::optional<WebDisplay> display);

    /// Binds and starts serving. A problem (saying what to do about it) goes to `problems`, and
    /// false is returned: no token on an address other computers reach, or the address unusable.
    bool Start(const Options& options, std::vector<std::string>& problems);
    /// Closes every stream and connection and ends the threads.
    void Stop();

    /// The port served (the one chosen when 0 was asked for); 0 while stopped.
    int Port() const { return port_; }
    const std::string& Address() const { return options_.address; }
    std::size_t StreamClients() const { return streams_.load(); }
    uint64_t DroppedStreamClients() const { return dropped_.load(); }
    const WebBoard& Board() const { return board_; }

    // ---- LiveOutput ----
    void OnReading(const WeatherStation& station) override;
    void OnStationsChanged(const StationList& stations, StationsChange why) override;
    void OnAcquisitionChanged(bool running) override;

private:
    struct Stream;
    void Route();
    bool Authorized(const httplib::Request& req) const;
    void ServeStation(const httplib::Request& req, httplib::Response& res);
    void ServeStream(const httplib::Request& req, httplib::Response& res);
    void ServeHistory(const httplib::Request& req, httplib::Response& res);
    void ServeDisplay(httplib::Response& res);
    void ServeFile(const httplib::Request& req, httplib::Response& res);
    bool StreamStep(Stream& stream, std::function<bool(const std::string&)> write);

    Options options_;
    WebBoard board_;
    HistoryReader* history_ = nullptr;
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    std::string webRoot_;  // the dashboard folder, resolved
    int port_ = 0;
    bool tokenRequired_ = false;
    std::chrono::steady_clock::time_point started_;
    std::atomic<std::size_t> streams_{0};
    std::atomic<uint64_t> dropped_{0};
    std::atomic<bool> stopping_{false};
    mutable std::mutex displayMutex_;
    std::optional<WebDisplay> display_;
};

}  // namespace svu
