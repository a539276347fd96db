#pragma once

// The client side of the live-value protocol: connects to a running program's server, sends
// commands and reads replies and notices line by line. stratavue-cli live uses it, and so can
// any other program of ours.

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace svu {

class LiveClient {
public:
    enum class Read { Line, Timeout, Closed };

    LiveClient() = default;
    ~LiveClient();
    LiveClient(const LiveClient&) = delete;
    LiveClient& operator=(const LiveClient&) = delete;

    /// Connects to the server's Unix socket and reads its greeting; false with `error`.
    bool ConnectUnix(const std::string& path, std::string& error);
    /// Connects to the server's TCP port on 127.0.0.1 and reads its greeting; false with `error`.
    bool ConnectTcp(int port, std::string& error);
    void Close();

    /// Sends one line of fields (escaped as the protocol asks).
    bool Send(std::initializer_list<std::string_view> fields);
    /// Sends bytes as they stand.
    bool SendRaw(std::string_view bytes);
    /// The next line, split into unescaped fields. Waits at most `timeoutMs` (-1: without limit);
    /// a signal ends the wait early as a Timeout.
    Read ReadLine(std::vector<std::string>& fields, int timeoutMs);

    int Fd() const { return fd_; }

private:
    bool Greeting(std::string& error);

    int fd_ = -1;
    std::string buffer_;
};

}  // namespace svu
