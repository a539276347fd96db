#pragma once

// Helpers for tests that talk over a pseudo-terminal: the test plays the far end on the master.

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "platform/Xmodem.h"

namespace svu::testing {

/// Everything the master end receives within waitMs (stops early once `until` has arrived).
inline std::string ReadMaster(int fd, int waitMs, const std::string& until = {}) {
    std::string data;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (std::chrono::steady_clock::now() < end) {
        struct pollfd pfd {
            fd, POLLIN, 0
        };
        if (::poll(&pfd, 1, 20) > 0 && (pfd.revents & POLLIN) != 0) {
            char buffer[4096];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0) {
                data.append(buffer, static_cast<std::size_t>(n));
            }
        }
        if (!until.empty() && data.find(until) != std::string::npos) {
            break;
        }
    }
    return data;
}

inline void WriteMaster(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else {
            struct pollfd pfd {
                fd, POLLOUT, 0
            };
            ::poll(&pfd, 1, 50);
        }
    }
}

/// An XMODEM link over a raw descriptor (a pty master).
class FdLink : public XmodemLink {
public:
    explicit FdLink(int fd) : fd_(fd) {}
    int ReadByte(int timeoutMs) override {
        struct pollfd pfd {
            fd_, POLLIN, 0
        };
        if (::poll(&pfd, 1, timeoutMs) <= 0) {
            return kTimeout;
        }
        uint8_t b = 0;
        const ssize_t n = ::read(fd_, &b, 1);
        return n == 1 ? b : (n < 0 && errno == EAGAIN ? kTimeout : kLinkError);
    }
    bool Write(const uint8_t* data, std::size_t size) override {
        WriteMaster(fd_, std::string(reinterpret_cast<const char*>(data), size));
        return true;
    }

private:
    int fd_;
};

}  // namespace svu::testing
