#pragma once

// Running the programs of the build from end-to-end tests: start one with its output thrown away,
// end it, and wait for a condition with a generous limit.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace svu::test {

inline std::string CliProgram() {
    return std::string(SVU_BINARY_DIR) + "/stratavue-cli";
}

/// Starts a program; its standard output and error go to /dev/null. -1 when it cannot be started.
inline pid_t SpawnQuiet(const std::string& program, const std::vector<std::string>& args) {
    std::vector<char*> argv = {const_cast<char*>(program.c_str())};
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int result = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return result == 0 ? pid : -1;
}

/// Sends the signal and waits for the process; its wait status.
inline int EndProcess(pid_t pid, int signal) {
    ::kill(pid, signal);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

/// Polls `done` for up to `seconds` seconds.
inline bool WaitUntil(const std::function<bool()>& done, int seconds = 30) {
    for (int i = 0; i < seconds * 100 && !done(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
}

}  // namespace svu::test
