#pragma once

// The live-value server: other programs (scripts, spreadsheets, process software) read the station
// list, the channel names and the live values, and hold advise links that bring a notice each
// time the linked item changes. It serves the line protocol of LiveProtocol.h on a Unix socket in
// the program folder and, when asked, on a TCP port of 127.0.0.1 only.
//
// One thread of its own polls the listeners and the clients. The runtime's calls only copy into
// the server's directory and wake that thread, so a client that stops reading never slows a
// station: its queue grows to a bound and then it is dropped.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "outputs/LiveDirectory.h"
#include "outputs/LiveOutput.h"

namespace svu {

/// The socket's file name in the program folder.
inline constexpr const char* kLiveSocketName = "stratavue.live";

class LiveValueServer : public LiveOutput {
public:
    struct Options {
        std::string socketPath;        // the Unix socket; empty for none
        std::optional<int> tcpPort;    // a port of 127.0.0.1; 0 takes any free port; none for no TCP
        std::size_t maxClients = 32;
        std::size_t maxQueueBytes = 1 << 20;  // a client whose unsent replies pass this is dropped
        std::size_t maxLinksPerClient = 1024;
        std::size_t linesPerTurn = 64;  // lines of one client handled before the others get a turn
    };

    LiveValueServer();
    ~LiveValueServer() override;
    LiveValueServer(const LiveValueServer&) = delete;
    LiveValueServer& operator=(const LiveValueServer&) = delete;

    /// Opens the listeners and starts serving. A listener that cannot be opened adds a message
    /// (saying what to do about it) to `problems`; false when none could be opened.
    bool Start(const Options& options, std::vector<std::string>& problems);
    /// Closes every connection and listener (the socket file is removed) and ends the thread.
    void Stop();

    /// The TCP port served, 0 when none.
    int TcpPort() const { return tcpPort_; }
    /// The Unix socket served, empty when none.
    const std::string& SocketPath() const { return socketPath_; }
    /// Advise links held by all clients together.
    int AdviseLinkCount() const { return adviseLinks_.load(); }
    /// Clients connected now.
    std::size_t ClientCount() const { return clientCount_.load(); }
    /// Clients dropped because they did not read their replies.
    uint64_t DroppedClients() const { return droppedClients_.load(); }

    // ---- LiveOutput ----
    void OnReading(const WeatherStation& station) override;
    void OnStationsChanged(const StationList& stations, StationsChange why) override;
    void OnAcquisitionChanged(bool running) override;

private:
    struct Client;
    struct Link;

    void Run();
    void Wake();
    void Accept(int listener);
    void ReadFrom(Client& client);
    void HandleLines(Client& client);
    void HandleLine(Client& client, std::string_view line);
    void Send(Client& client, const std::string& line);
    void Flush(Client& client);
    void Drop(Client& client, bool slow);
    void PostNotices();
    bool OpenUnixSocket(const std::string& path, std::vector<std::string>& problems);
    bool OpenTcpPort(int port, std::vector<std::string>& problems);
    void CloseListeners();

    Options options_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    int wakeFd_ = -1;
    int unixFd_ = -1;
    int tcpFd_ = -1;
    int tcpPort_ = 0;
    std::string socketPath_;
    uint64_t socketInode_ = 0;

    // Shared with the runtime's threads.
    mutable std::mutex mutex_;
    LiveDirectory directory_;
    std::vector<int> pendingStations_;  // stations with new data since the last notices
    std::vector<char> stationPending_;  // the same, as flags by station index
    bool pendingRealtime_ = false;
    bool pendingSaved_ = false;
    std::atomic<int> adviseLinks_{0};
    std::atomic<std::size_t> clientCount_{0};
    std::atomic<uint64_t> droppedClients_{0};

    // The server thread's own.
    std::vector<std::unique_ptr<Client>> clients_;
};

}  // namespace svu
