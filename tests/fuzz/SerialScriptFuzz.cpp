// Untrusted scripts and device bytes of the generic serial station: the script is the input up to
// the first NUL byte, what the device sends is the rest. Every run must end (by its last line, a
// runaway loop or the stop request after ten seconds of simulated time) and keep its buffers bounded.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "framework/Clock.h"
#include "stations/ScriptLanguage.h"
#include "stations/SerialScript.h"

namespace {

class FuzzLine : public svu::ScriptPort {
public:
    FuzzLine(svu::ManualClock& clock, std::string bytes) : clock_(clock), bytes_(std::move(bytes)) {}
    bool Send(std::string_view bytes) override {
        sent_ += bytes.size();
        return true;
    }
    int ReadByte(int waitMs) override {
        if (at_ >= bytes_.size()) {
            clock_.SleepFor(std::chrono::milliseconds(waitMs));
            return -1;
        }
        return static_cast<unsigned char>(bytes_[at_++]);
    }
    void Flush() override {}
    bool StopRequested() const override { return clock_.TickMs() >= 10000; }

private:
    svu::ManualClock& clock_;
    std::string bytes_;
    std::size_t at_ = 0;
    std::size_t sent_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    const std::string text = input.substr(0, split);
    const std::string device = split == std::string::npos ? std::string() : input.substr(split + 1);

    svu::ManualClock clock(0);
    FuzzLine line(clock, device);
    svu::ScriptState state;
    state.BeginPoll();
    svu::SerialScript(text).Run(line, clock, state);
    if (state.rxBuffer.size() > svu::SerialScript::kMaxReceived + 1) {
        __builtin_trap();
    }
    svu::script::ApplyMask(device, text);
    std::string trimmed = device;
    svu::script::TrimBuffer(trimmed, static_cast<long>(size % 7) - 1, static_cast<long>(size % 5), 1);
    return 0;
}
