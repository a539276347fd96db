#include "sim/DirectSimulator.h"

namespace svu::sim {

namespace {

PtyLineOptions LineOf(const DirectSimOptions& options) {
    return {options.linkPath, options.periodMs, options.unplugAfter, options.unplugFor, 50};
}

}  // namespace

DirectSimulator::DirectSimulator(DirectSimOptions options, Clock& clock)
    : PtySimulator(LineOf(options), clock), options_(std::move(options)) {
    instrument_ = std::make_unique<DirectInstrument>(options_, clock_.Now(), clock_.TickMs());
    instrument_->SetLog([this](const std::string& text) { Log(text); });
}

DirectSimulator::~DirectSimulator() {
    Stop();
}

std::string DirectSimulator::SlavePath() const {
    std::lock_guard lock(mutex_);
    return pty_.SlavePath();
}

void DirectSimulator::Unplug() {
    std::lock_guard lock(mutex_);
    if (plugged_) {
        UnplugLocked(clock_.TickMs());
    }
}

bool DirectSimulator::PlugIn(std::string* error) {
    std::lock_guard lock(mutex_);
    return plugged_ || PlugInLocked(clock_.TickMs(), error);
}

void DirectSimulator::OnTurn(int64_t tick) {
    const std::string out = instrument_->OnTick(clock_.Now(), tick);
    if (!out.empty()) {
        Send(out);
    }
}

void DirectSimulator::OnReceived(std::string_view bytes, int64_t tick) {
    const std::string out = instrument_->OnInput(bytes, clock_.Now(), tick);
    if (!out.empty()) {
        Send(out);
    }
}

}  // namespace svu::sim
