#include "platform/HayesModem.h"

#include <algorithm>
#include <chrono>

#include "framework/Clock.h"
#include "framework/TextUtil.h"
#include "platform/SerialControl.h"
#include "platform/SerialDevices.h"

namespace svu {

namespace {

constexpr int kStepMs = 10;
// A result line longer than this is noise, not a result.
constexpr std::size_t kMaxLine = 256;

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

const char* DialResultText(DialResult result) {
    switch (result) {
        case DialResult::Connected:
            return "CONNECT";
        case DialResult::Busy:
            return "BUSY";
        case DialResult::NoCarrier:
            return "NO CARRIER";
        case DialResult::NoDialtone:
            return "NO DIALTONE";
        case DialResult::NoAnswer:
            return "NO ANSWER";
        case DialResult::Error:
            return "ERROR";
        case DialResult::NoResponse:
            return "the modem does not answer";
        case DialResult::NoDevice:
            return "the modem's device cannot be opened";
        case DialResult::Cancelled:
            return "cancelled";
    }
    return "";
}

DialResult ParseModemResult(std::string_view line) {
    line = Trim(line);
    if (StartsWith(line, "CONNECT")) {
        return DialResult::Connected;
    }
    if (line == "BUSY") {
        return DialResult::Busy;
    }
    if (line == "NO CARRIER") {
        return DialResult::NoCarrier;
    }
    if (line == "NO DIALTONE" || line == "NO DIAL TONE") {
        return DialResult::NoDialtone;
    }
    if (line == "NO ANSWER") {
        return DialResult::NoAnswer;
    }
    return DialResult::Error;
}

std::string ModemDevice(const std::string& modemName, const Profile* portSettings) {
    std::string_view name = Trim(modemName);
    if (name.size() > 3 && EqualsNoCase(name.substr(0, 3), "COM")) {
        name.remove_prefix(3);
    }
    if (!name.empty() && name.find_first_not_of("0123456789") == std::string_view::npos) {
        return SerialPortDevice(AtoI(name), portSettings);
    }
    return std::string(Trim(modemName));
}

HayesModem::HayesModem(SerialControl& control, Clock& clock, std::function<bool()> cancel)
    : control_(control), clock_(clock), cancel_(std::move(cancel)) {}

void HayesModem::Pause(int ms) {
    const int64_t end = clock_.TickMs() + ms;
    while (clock_.TickMs() < end && !Cancelled()) {
        clock_.SleepFor(std::chrono::milliseconds(kStepMs));
    }
}

bool HayesModem::ReadResultLine(std::string& line, int timeoutMs) {
    const int64_t end = clock_.TickMs() + timeoutMs;
    while (true) {
        std::size_t cut = partial_.find_first_of("\r\n");
        while (cut != std::string::npos) {
            line = partial_.substr(0, cut);
            partial_.erase(0, cut + 1);
            if (!Trim(line).empty()) {
                return true;
            }
            cut = partial_.find_first_of("\r\n");
        }
        if (partial_.size() > kMaxLine) {
            partial_.clear();
        }
        if (clock_.TickMs() >= end || Cancelled() || control_.GetState() != SerialControl::State::Open) {
            return false;
        }
        const std::string data = control_.Input();
        if (data.empty()) {
            clock_.SleepFor(std::chrono::milliseconds(kStepMs));
        }
        partial_ += data;
    }
}

bool HayesModem::Command(const std::string& command) {
    if (!control_.Output(command + "\r") || !control_.WaitSendComplete(timing_.commandMs)) {
        return false;
    }
    // A chattering line must not keep the command waiting past its time-out.
    const int64_t end = clock_.TickMs() + timing_.commandMs;
    std::string line;
    while (ReadResultLine(line, static_cast<int>(std::max<int64_t>(end - clock_.TickMs(), 0)))) {
        const std::string_view text = Trim(line);
        if (text == "OK") {
            return true;
        }
        if (text == "ERROR") {
            return false;
        }
        // Anything else is an echo of the command or noise from before.
    }
    return false;
}

DialResult HayesModem::Dial(const std::string& device, std::string_view lineSettings, const std::string& number) {
    connected_ = false;
    connectText_.clear();
    partial_.clear();
    if (!control_.OpenDevice(device, lineSettings)) {
        return DialResult::NoDevice;
    }
    control_.DiscardInput();
    // A modem left on line by a caller that died answers only after an escape.
    if (!Command(kInit)) {
        if (Cancelled()) {
            control_.Close();
            return DialResult::Cancelled;
        }
        connected_ = true;
        HangUp();
        if (!control_.OpenDevice(device, lineSettings) || (control_.DiscardInput(), !Command(kInit))) {
            control_.Close();
            return Cancelled() ? DialResult::Cancelled : DialResult::NoResponse;
        }
    }
    if (!control_.Output("ATDT" + number + "\r")) {
        control_.Close();
        return DialResult::NoDevice;
    }
    std::string line;
    DialResult result = DialResult::NoResponse;
    bool stillDialling = false;
    const int64_t end = clock_.TickMs() + timing_.connectMs;
    while (true) {
        const int64_t left = end - clock_.TickMs();
        if (left <= 0 || !ReadResultLine(line, static_cast<int>(left))) {
            result = Cancelled() ? DialResult::Cancelled : DialResult::NoAnswer;
            stillDialling = true;
            break;
        }
        const std::string_view text = Trim(line);
        if (StartsWith(text, "ATD") || text == "OK") {
            continue;  // an echo
        }
        result = ParseModemResult(text);
        break;
    }
    if (result == DialResult::Connected) {
        connected_ = true;
        connectText_ = std::string(Trim(line));
        return result;
    }
    if (stillDialling) {
        // Any character ends the dialling of a modem still waiting for the far end.
        control_.Output("\r");
        ReadResultLine(line, timing_.commandMs);
    }
    Command("ATH");
    control_.Close();
    return result;
}

void HayesModem::HangUp() {
    if (!control_.IsOpen()) {
        connected_ = false;
        return;
    }
    if (connected_) {
        // The escape needs silence on both sides of it.
        Pause(timing_.guardMs);
        control_.Output("+++");
        control_.WaitSendComplete(timing_.commandMs);
        Pause(timing_.guardMs);
        partial_.clear();
        control_.DiscardInput();
        Command("ATH");
    }
    connected_ = false;
    partial_.clear();
    // Closing drops DTR, which hangs up a modem that missed the commands.
    control_.Close();
}

}  // namespace svu
