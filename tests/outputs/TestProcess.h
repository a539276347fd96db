#pragma once

// Programs started by the tests (the service, the mosquitto broker and its clients), and the
// loopback ports they use.

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace svu::test {

// A program started for the test, ended (SIGKILL) if the test has not ended it by then.
class Process {
public:
    /// Starts `argv` with its standard output going to `outPath` (when given).
    Process(std::vector<std::string> argv, const std::string& outPath = {}) {
        std::vector<char*> args;
        for (std::string& a : argv) {
            args.push_back(a.data());
        }
        args.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (!outPath.empty()) {
            posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        }
        if (posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Process() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool Started() const { return pid_ > 0; }
    void Signal(int signal) const { ::kill(pid_, signal); }
    /// Waits (bounded) for the end; the exit status, or -1 when it did not end in time.
    int Wait(std::chrono::seconds bound = std::chrono::seconds(30)) {
        const auto until = std::chrono::steady_clock::now() + bound;
        while (std::chrono::steady_clock::now() < until) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return status;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }

private:
    pid_t pid_ = -1;
};

inline bool OnPath(const std::string& name) {
    for (const char* dir : {"/usr/sbin", "/usr/bin", "/usr/local/sbin", "/usr/local/bin", "/sbin", "/bin"}) {
        if (::access((std::string(dir) + "/" + name).c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

inline int FreeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

inline bool Accepts(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

/// A mosquitto broker of the test's own on a free port of 127.0.0.1, its configuration in `folder`.
class Broker {
public:
    explicit Broker(const std::string& folder, int fixedPort = 0) : port(fixedPort != 0 ? fixedPort : FreeLoopbackPort()) {
        const std::string conf = folder + "/mosquitto-" + std::to_string(port) + ".conf";
        if (FILE* f = std::fopen(conf.c_str(), "w")) {
            std::fprintf(f, "listener %d 127.0.0.1\nallow_anonymous true\npersistence false\nlog_dest none\n", port);
            std::fclose(f);
        }
        process_ = std::make_unique<Process>(std::vector<std::string>{"mosquitto", "-c", conf},
                                             folder + "/mosquitto-" + std::to_string(port) + ".out");
        for (int i = 0; i < 1000 && !Accepts(port); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    bool Running() const { return process_->Started() && Accepts(port); }
    /// Stops the broker at once.
    void Kill() { process_.reset(); }

    int port;

private:
    std::unique_ptr<Process> process_;
};

}  // namespace svu::test
