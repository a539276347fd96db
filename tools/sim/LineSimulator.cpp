#include "sim/LineSimulator.h"

namespace svu::sim {

namespace {

PtyLineOptions LineOf(const LineSimOptions& options) {
    return {options.linkPath, options.periodMs, options.unplugAfter, options.unplugFor, 20};
}

}  // namespace

LineSimulator::LineSimulator(LineSimOptions options, Clock& clock)
    : PtySimulator(LineOf(options), clock), options_(std::move(options)) {
    instrument_ = MakeLineInstrument(options_, clock_.Now(), clock_.TickMs());
}

LineSimulator::~LineSimulator() {
    Stop();
    if (transcript_ != nullptr) {
        std::fclose(transcript_);
    }
}

bool LineSimulator::Open(std::string* error) {
    {
        std::lock_guard lock(mutex_);
        if (!options_.transcript.empty() && transcript_ == nullptr) {
            transcript_ = std::fopen(options_.transcript.c_str(), "a");
            if (transcript_ == nullptr) {
                if (error != nullptr) {
                    *error = "cannot write " + options_.transcript;
                }
                return false;
            }
        }
    }
    if (!PtySimulator::Open(error)) {
        return false;
    }
    std::lock_guard lock(mutex_);
    Log("device " + pty_.SlavePath());
    return true;
}

bool LineSimulator::Silent(int64_t tick) const {
    if (options_.silent) {
        return true;
    }
    if (options_.silenceAfter <= 0 || options_.silenceFor <= 0) {
        return false;
    }
    const int64_t cycle = (options_.silenceAfter + options_.silenceFor) * 1000LL;
    return (tick - startTick_) % cycle >= options_.silenceAfter * 1000LL;
}

// Transcript entries and messages of what was just sent (mutex held).
void LineSimulator::Flush() {
    for (const std::string& entry : instrument_->TakeTranscript()) {
        if (transcript_ != nullptr) {
            std::fprintf(transcript_, "%s\n", entry.c_str());
        }
        if (options_.verbose) {
            Log("sent " + entry);
        }
    }
    if (transcript_ != nullptr) {
        std::fflush(transcript_);
    }
    for (const std::string& text : instrument_->TakeLog()) {
        Log(text);
    }
}

void LineSimulator::OnTurn(int64_t tick) {
    const std::string out = instrument_->OnTick(clock_.Now(), tick);
    if (!Silent(tick) && !out.empty()) {
        Flush();  // the transcript is written before the bytes, so a reader never sees them first
        Send(out);
    } else {
        instrument_->TakeTranscript();  // not sent, so not in the transcript
        instrument_->TakeLog();
    }
}

void LineSimulator::OnReceived(std::string_view bytes, int64_t tick) {
    if (Silent(tick)) {
        return;  // heard nothing
    }
    const std::string out = instrument_->OnInput(bytes, clock_.Now(), tick);
    Flush();
    if (!out.empty()) {
        Send(out);
    }
}

}  // namespace svu::sim
