#include "outputs/LiveClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "outputs/LiveProtocol.h"

namespace svu {

namespace {

constexpr int kGreetingTimeoutMs = 5000;

}  // namespace

LiveClient::~LiveClient() {
    Close();
}

void LiveClient::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    buffer_.clear();
}

bool LiveClient::ConnectUnix(const std::string& path, std::string& error) {
    Close();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        error = path + " is too long for a Unix socket; use the server's TCP port";
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0 || ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = path + ": " + std::strerror(errno);
        Close();
        return false;
    }
    return Greeting(error);
}

bool LiveClient::ConnectTcp(int port, std::string& error) {
    Close();
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0 || ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = "127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
        Close();
        return false;
    }
    return Greeting(error);
}

bool LiveClient::Greeting(std::string& error) {
    std::vector<std::string> fields;
    if (ReadLine(fields, kGreetingTimeoutMs) != Read::Line || fields.size() < 2 || fields[0] != live::kHello) {
        error = fields.size() >= 2 && fields[0] == live::kError ? "the server says: " + fields[1]
                                                                : "no greeting from a live-value server";
        Close();
        return false;
    }
    return true;
}

bool LiveClient::Send(std::initializer_list<std::string_view> fields) {
    return SendRaw(FormatLiveLine(fields));
}

bool LiveClient::SendRaw(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

LiveClient::Read LiveClient::ReadLine(std::vector<std::string>& fields, int timeoutMs) {
    for (;;) {
        const std::size_t end = buffer_.find('\n');
        if (end != std::string::npos) {
            const bool ok = SplitLiveLine(std::string_view(buffer_).substr(0, end), fields);
            buffer_.erase(0, end + 1);
            if (!ok) {
                fields.assign({std::string(live::kError), "unreadable line from the server"});
            }
            return Read::Line;
        }
        if (fd_ < 0) {
            return Read::Closed;
        }
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, timeoutMs);
        if (ready == 0 || (ready < 0 && errno == EINTR)) {
            return Read::Timeout;
        }
        char chunk[4096];
        const ssize_t n = ready < 0 ? -1 : ::recv(fd_, chunk, sizeof chunk, 0);
        if (n <= 0) {
            if (n < 0 && errno == EINTR) {
                return Read::Timeout;
            }
            ::close(fd_);
            fd_ = -1;
            return Read::Closed;
        }
        buffer_.append(chunk, static_cast<std::size_t>(n));
    }
}

}  // namespace svu
