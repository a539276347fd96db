#pragma once

// SIGINT and SIGTERM as a stop request for the commands that run until stopped. The handlers
// only set a flag, and are installed without SA_RESTART so that a wait in poll ends at once.

#include <signal.h>

namespace svu::cli {

/// True once SIGINT or SIGTERM has arrived while a StopSignals object was alive.
bool StopSignalReceived();

/// Installs the handlers for the life of the object and puts the previous ones back afterwards.
class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    struct sigaction previousInt_ {};
    struct sigaction previousTerm_ {};
    struct sigaction previousHup_ {};
    struct sigaction previousPipe_ {};
    struct sigaction previousXfsz_ {};
};

}  // namespace svu::cli
