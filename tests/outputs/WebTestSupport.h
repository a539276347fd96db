#pragma once

// Pieces of the web server tests: a raw TCP client (for what an HTTP client library will not
// send, and for a stream client that reads slowly or never), and a reader of event streams.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>

namespace svu::test {

class RawClient {
public:
    explicit RawClient(int port, int receiveBuffer = 0) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        if (receiveBuffer > 0) {
            ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        }
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<uint16_t>(port));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~RawClient() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool Connected() const { return fd_ >= 0; }
    bool Send(const std::string& bytes) {
        return fd_ >= 0 && ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }
    /// Reads until `until` appears in what was read or the peer closes (bounded); all read so far.
    std::string ReadUntil(const std::string& until, int timeoutMs = 10000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (buffer_.find(until) == std::string::npos && std::chrono::steady_clock::now() < end) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) {
                continue;
            }
            char chunk[4096];
            const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
            if (n <= 0) {
                break;
            }
            buffer_.append(chunk, static_cast<std::size_t>(n));
        }
        return buffer_;
    }
    /// Removes and returns what was read up to and including the first `until`; nullopt when
    /// it has not come.
    std::optional<std::string> Take(const std::string& until, int timeoutMs = 10000) {
        ReadUntil(until, timeoutMs);
        const std::size_t at = buffer_.find(until);
        if (at == std::string::npos) {
            return std::nullopt;
        }
        std::string taken = buffer_.substr(0, at + until.size());
        buffer_.erase(0, at + until.size());
        return taken;
    }
    /// The status code of an HTTP response read whole or in part.
    static int Status(const std::string& response) {
        return response.size() > 12 && response.rfind("HTTP/1.", 0) == 0 ? std::stoi(response.substr(9, 3)) : 0;
    }

private:
    int fd_ = -1;
    std::string buffer_;
};

/// The value of a "NAME: value" line of an event, or "".
inline std::string EventField(const std::string& event, const std::string& name) {
    const std::string key = "\n" + name + ": ";
    const std::string text = "\n" + event;
    const std::size_t at = text.find(key);
    if (at == std::string::npos) {
        return {};
    }
    const std::size_t start = at + key.size();
    return text.substr(start, text.find('\n', start) - start);
}

}  // namespace svu::test
