#include "sim/RadioModemPort.h"

#include "framework/TextUtil.h"

namespace svu::sim {

namespace {

constexpr unsigned char kPreamble[] = {0xFF, 0xF7, 0xFF, 0xF2, 0xF2, 0xFA, 0xFA, 0xF7};
constexpr std::size_t kPreambleSize = sizeof kPreamble;
constexpr std::size_t kChannelSwitchSize = kPreambleSize + 3;
constexpr std::size_t kPendingLimit = 4096;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// How many leading bytes of `text` agree with the start of `pattern`.
std::size_t Agreeing(std::string_view text, std::string_view pattern) {
    std::size_t n = 0;
    while (n < text.size() && n < pattern.size() && text[n] == pattern[n]) {
        ++n;
    }
    return n;
}

std::string Stamp(TimeT time) {
    const LocalTm tm = ToLocal(time);
    return FormatC("%02d/%02d/%04d,%02d:%02d:%02d", tm.day, tm.month, tm.year, tm.hour, tm.minute, tm.second);
}

std::string Hex2(unsigned value) {
    return FormatC("%02X", value & 0xFFu);
}

}  // namespace

RadioModemPort::RadioModemPort(RadioAir& air, int port, int64_t startTickMs)
    : air_(air), port_(port), startTickMs_(startTickMs) {}

std::string RadioModemPort::OnInput(std::string_view bytes, int64_t tickMs) {
    if (remote_ != nullptr && remote_->kind == RadioRemote::Kind::Ndr) {
        // Once addressed, the modem is transparent: everything goes to the logger, except a new
        // tuning, which a station that reopened the port before its close was seen begins with.
        if (bytes.substr(0, 3) != "ATX") {
            if (remote_->failure == RadioRemote::Failure::Silent) {
                return {};
            }
            return air_.ToLogger(*remote_, bytes, tickMs);
        }
        remote_ = nullptr;
        pending_.clear();
    }
    pending_.append(bytes);
    while (!pending_.empty() && TakeCommand(tickMs)) {
    }
    if (pending_.size() > kPendingLimit) {
        pending_.erase(0, pending_.size() - kPendingLimit);
    }
    return {};
}

bool RadioModemPort::TakeCommand(int64_t tickMs) {
    const std::string_view preamble(reinterpret_cast<const char*>(kPreamble), kPreambleSize);
    const std::string_view text(pending_);
    // The W&D channel switch.
    const std::size_t inPreamble = Agreeing(text, preamble);
    if (inPreamble == text.size() && inPreamble < kPreambleSize) {
        return false;  // more of the preamble to come
    }
    if (inPreamble == kPreambleSize) {
        if (!preambleTuned_) {
            preambleTuned_ = true;
            Tune(tickMs);  // the turn begins with the preamble
        }
        if (text.size() < kChannelSwitchSize) {
            return false;
        }
        if (static_cast<unsigned char>(text[8]) == 0x40 && static_cast<unsigned char>(text[10]) == 0x95) {
            Select(air_.FindWandD(static_cast<unsigned char>(text[9])), tickMs);
        }
        preambleTuned_ = false;
        pending_.erase(0, kChannelSwitchSize);
        return true;
    }
    // The Hayes-style commands, each of fixed length.
    const std::size_t inAt = Agreeing(text, "AT");
    if (inAt == text.size() && inAt < 2) {
        return false;
    }
    if (inAt == 2) {
        if (text.size() < 3) {
            return false;
        }
        const char command = text[2];
        const std::size_t length = command == 'X' && air_.Options().model == 0 ? 4 : 5;
        if (command != 'X' && command != 'T' && command != 'R') {
            pending_.erase(0, 2);
            return true;
        }
        if (text.size() < length) {
            return false;
        }
        const std::string_view argument = text.substr(3, length - 3);
        const bool digits = length == 4 || (IsDigit(argument[0]) && IsDigit(argument[1]));
        const int number = length == 4 ? static_cast<unsigned char>(argument[0])
                                       : (digits ? (argument[0] - '0') * 10 + (argument[1] - '0') : -1);
        if (digits && command == 'X') {
            // Model 0 sends 2n + 2 (or 2n + 3 when the frequency rounds up), model 1 n + 1.
            frequencyChannel_ = air_.Options().model == 0 ? (number - 2) / 2 : number - 1;
            Tune(tickMs);
        } else if (digits && command == 'R' && turn_) {
            Select(air_.FindVela(frequencyChannel_, number), tickMs);
        }
        pending_.erase(0, length);
        return true;
    }
    pending_.erase(0, 1);  // noise
    return true;
}

void RadioModemPort::Tune(int64_t tickMs) {
    if (turn_) {
        air_.EndTurn(*turn_, tickMs);  // tuned again: the last turn on this port is over
    }
    turn_ = air_.BeginTurn(port_, tickMs);
    remote_ = nullptr;
    nextLineMs_ = -1;
    linesThisTurn_ = 0;
}

void RadioModemPort::Select(const RadioRemote* remote, int64_t tickMs) {
    remote_ = remote;
    air_.SetRemote(*turn_, remote);
    nextLineMs_ = tickMs + air_.Options().firstLineMs;
}

std::string RadioModemPort::OnTick(int64_t tickMs) {
    if (remote_ != nullptr && remote_->kind == RadioRemote::Kind::Ndr) {
        if (remote_->failure == RadioRemote::Failure::Silent) {
            return {};
        }
        std::string out = air_.FromLogger(*remote_, tickMs);
        for (std::size_t at = out.find('\n'); at != std::string::npos; at = out.find('\n', at + 1)) {
            air_.CountLine(*turn_);
        }
        return out;
    }
    if (remote_ == nullptr || nextLineMs_ < 0 || tickMs < nextLineMs_) {
        return {};
    }
    nextLineMs_ = tickMs + air_.Options().periodMs;
    if (remote_->failure == RadioRemote::Failure::Silent) {
        return {};
    }
    return Line(*remote_, tickMs);
}

std::string RadioModemPort::Line(const RadioRemote& remote, int64_t tickMs) {
    const TimeT time = air_.Options().startTime + (tickMs - startTickMs_) / 1000;
    const bool garbled = remote.failure == RadioRemote::Failure::Garbled &&
                         (remote.garbledLines < 0 || linesThisTurn_ < remote.garbledLines);
    ++linesThisTurn_;
    air_.CountLine(*turn_);
    std::string line = Stamp(time) + "," + remote.values;
    if (remote.kind == RadioRemote::Kind::Vela) {
        if (garbled) {
            line[10] = ';';  // a character no reading holds
        }
        return line + "\r\n";
    }
    unsigned sum = 0;
    for (const char c : line) {
        sum += static_cast<unsigned char>(c);
    }
    return line + "," + Hex2(garbled ? sum + 1 : sum) + "\r\n";
}

void RadioModemPort::OnLineClosed(int64_t tickMs) {
    if (turn_) {
        air_.EndTurn(*turn_, tickMs);
    }
    turn_.reset();
    remote_ = nullptr;
    nextLineMs_ = -1;
    pending_.clear();
    preambleTuned_ = false;
}

}  // namespace svu::sim
