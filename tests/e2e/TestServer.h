#pragma once

// A test server in a child process (the Python servers of tests/support): started with its
// arguments, it prints the port it listens on as its first line; ended with SIGTERM.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace svu::test {

class TestServer {
public:
    TestServer(const std::vector<std::string>& argv) {
        int fds[2];
        if (::pipe(fds) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        std::vector<char*> args;
        std::vector<std::string> copy = argv;
        for (std::string& a : copy) {
            args.push_back(a.data());
        }
        args.push_back(nullptr);
        if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        std::string line;
        char c;
        while (::read(fds[0], &c, 1) == 1 && c != '\n') {
            line += c;
        }
        ::close(fds[0]);
        port_ = std::atoi(line.c_str());
    }
    ~TestServer() { Stop(); }
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    /// The port, 0 when the server did not start.
    int Port() const { return port_; }
    void Stop() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
            pid_ = -1;
        }
    }

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

inline std::string SupportScript(const char* name) { return std::string(SVU_TEST_DATA_DIR) + "/../support/" + name; }

/// The Python that runs the test servers.
inline constexpr const char* kPython = "/usr/bin/python3";

/// Whether that Python is installed and can import `module` (the servers' libraries are optional).
inline bool HavePython(const char* module) {
    const std::string command = std::string(kPython) + " -c 'import " + module + "' 2>/dev/null";
    return ::access(kPython, X_OK) == 0 && std::system(command.c_str()) == 0;
}

}  // namespace svu::test
