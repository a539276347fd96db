#include "cli/StopSignals.h"

#include <atomic>

namespace svu::cli {

namespace {

std::atomic<bool> gStopSignal{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

extern "C" void OnStopSignal(int) {
    gStopSignal.store(true);
}

}  // namespace

bool StopSignalReceived() {
    return gStopSignal.load();
}

StopSignals::StopSignals() {
    gStopSignal.store(false);
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousInt_);
    sigaction(SIGTERM, &action, &previousTerm_);
    sigaction(SIGHUP, &action, &previousHup_);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, &previousPipe_);
    sigaction(SIGXFSZ, &ignore, &previousXfsz_);
}

StopSignals::~StopSignals() {
    sigaction(SIGINT, &previousInt_, nullptr);
    sigaction(SIGTERM, &previousTerm_, nullptr);
    sigaction(SIGHUP, &previousHup_, nullptr);
    sigaction(SIGPIPE, &previousPipe_, nullptr);
    sigaction(SIGXFSZ, &previousXfsz_, nullptr);
}

}  // namespace svu::cli
