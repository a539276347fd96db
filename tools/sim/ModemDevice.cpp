#include "sim/ModemDevice.h"

#include <cctype>
#include <fstream>

namespace svu::sim {

namespace {

constexpr std::size_t kMaxCommandLine = 256;

std::string Upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

}  // namespace

ModemDevice::ModemDevice(ModemSimOptions options, std::unique_ptr<SimDevice> instrument)
    : options_(std::move(options)), instrument_(std::move(instrument)) {}

std::string ModemDevice::Result(const std::string& text) const {
    return "\r\n" + text + "\r\n";
}

bool ModemDevice::Every(int n) const {
    return n > 0 && !calls_.empty() && calls_.back().number % n == 0;
}

void ModemDevice::EndCall(const std::string& how, int64_t tickMs) {
    if (calls_.empty() || calls_.back().endTick >= 0) {
        return;
    }
    ModemCall& call = calls_.back();
    call.endTick = tickMs;
    call.ended = how;
    if (call.connectTick >= 0) {
        instrument_->OnLineClosed(tickMs);
    }
    state_ = State::Command;
    connectDue_ = dropDue_ = -1;
    pluses_ = 0;
    plusTick_ = -1;
    if (!options_.callsFile.empty()) {
        std::ofstream out(options_.callsFile, std::ios::app);
        out << "call " << call.number << " number=" << call.dialled << " dial=" << call.dialTick
            << " connect=" << call.connectTick << " end=" << call.endTick << " result=" << call.result
            << " ended=" << call.ended << " overlap=" << (call.overlap ? 1 : 0) << "\n";
    }
}

std::string ModemDevice::Dial(const std::string& number, int64_t tickMs) {
    if (InCall()) {
        // A second caller's dial while a call is up: the calls overlap.
        calls_.back().overlap = true;
        return Result("ERROR");
    }
    ModemCall call;
    call.number = static_cast<int>(calls_.size()) + 1;
    call.dialled = number;
    call.dialTick = tickMs;
    calls_.push_back(call);
    std::string outcome = "CONNECT";
    if (call.number <= options_.busyFirst || Every(options_.busyEvery)) {
        outcome = "BUSY";
    } else if (Every(options_.noDialtoneEvery)) {
        outcome = "NO DIALTONE";
    } else if (Every(options_.noCarrierEvery)) {
        outcome = "NO CARRIER";
    } else if (Every(options_.noAnswerEvery)) {
        outcome = "NO ANSWER";
    }
    if (outcome == "NO DIALTONE" || outcome == "BUSY") {
        calls_.back().result = outcome;
        EndCall("refused", tickMs);
        return Result(outcome);
    }
    state_ = State::Dialling;
    dialOutcome_ = outcome;
    connectDue_ = tickMs + options_.connectDelayMs;
    return {};
}

std::string ModemDevice::CommandLine(const std::string& raw, int64_t tickMs) {
    const std::string line = Upper(raw);
    std::size_t at = line.find("AT");
    if (at == std::string::npos) {
        return line.find_first_not_of(" \t") == std::string::npos ? std::string() : Result("ERROR");
    }
    at += 2;
    while (at < line.size()) {
        const char c = line[at++];
        const auto digits = [&] {
            while (at < line.size() && std::isdigit(static_cast<unsigned char>(line[at]))) {
                ++at;
            }
        };
        switch (c) {
            case ' ':
                break;
            case 'E':
                echo_ = at >= line.size() || line[at] != '0';
                digits();
                break;
            case 'V':
            case 'Q':
            case 'X':
            case 'L':
            case 'M':
                digits();
                break;
            case 'Z':
                echo_ = true;
                digits();
                break;
            case '&':
                if (at < line.size()) {
                    ++at;
                }
                digits();
                break;
            case 'S':
                digits();
                if (at < line.size() && (line[at] == '=' || line[at] == '?')) {
                    ++at;
                    digits();
                }
                break;
            case 'H':
                digits();
                if (InCall()) {
                    EndCall("ATH", tickMs);
                }
                break;
            case 'O':
                digits();
                if (state_ == State::OnlineCommand) {
                    state_ = State::Online;
                    return Result("CONNECT " + std::to_string(options_.speed));
                }
                return Result("NO CARRIER");
            case 'D': {
                std::string number;
                for (; at < line.size(); ++at) {
                    const char d = line[at];
                    if (std::isdigit(static_cast<unsigned char>(d)) || d == '*' || d == '#' || d == '+') {
                        number.push_back(d);
                    }
                }
                return Dial(number, tickMs);
            }
            default:
                return Result("ERROR");
        }
    }
    return Result("OK");
}

std::string ModemDevice::OnlineBytes(std::string_view bytes, int64_t tickMs) {
    std::string toInstrument;
    for (const char c : bytes) {
        const bool quietBefore = tickMs - lastByteTick_ >= options_.guardMs;
        if (c == '+' && (pluses_ > 0 || quietBefore) && pluses_ < 3) {
            if (pluses_ == 0) {
                plusTick_ = tickMs;
            }
            ++pluses_;
        } else {
            // Not an escape after all: the pluses were data.
            toInstrument.append(static_cast<std::size_t>(pluses_), '+');
            pluses_ = 0;
            plusTick_ = -1;
            toInstrument.push_back(c);
        }
        lastByteTick_ = tickMs;
    }
    return toInstrument.empty() ? std::string() : instrument_->OnInput(toInstrument, tickMs);
}

std::string ModemDevice::OnInput(std::string_view bytes, int64_t tickMs) {
    switch (state_) {
        case State::Online:
            return OnlineBytes(bytes, tickMs);
        case State::Dialling:
            // Any character ends the dialling.
            calls_.back().result = "NO CARRIER";
            EndCall("aborted", tickMs);
            return Result("NO CARRIER");
        case State::Command:
        case State::OnlineCommand:
            break;
    }
    std::string out;
    for (const char c : bytes) {
        if (echo_) {
            out.push_back(c);
        }
        if (c == '\r') {
            out += CommandLine(line_, tickMs);
            line_.clear();
            if (state_ == State::Dialling) {
                break;  // what follows the dial command would abort it
            }
        } else if (c != '\n' && line_.size() < kMaxCommandLine) {
            line_.push_back(c);
        }
    }
    return out;
}

std::string ModemDevice::OnTick(int64_t tickMs) {
    if (state_ == State::Dialling && tickMs >= connectDue_) {
        ModemCall& call = calls_.back();
        call.result = dialOutcome_;
        if (dialOutcome_ != "CONNECT") {
            EndCall("refused", tickMs);
            return Result(call.result);
        }
        call.connectTick = tickMs;
        state_ = State::Online;
        lastByteTick_ = tickMs;
        dropDue_ = Every(options_.dropEvery) ? tickMs + options_.dropAfterMs : -1;
        return Result("CONNECT " + std::to_string(options_.speed));
    }
    if (state_ == State::Online) {
        if (dropDue_ >= 0 && tickMs >= dropDue_) {
            EndCall("dropped", tickMs);
            return Result("NO CARRIER");
        }
        if (pluses_ == 3 && tickMs - lastByteTick_ >= options_.guardMs) {
            pluses_ = 0;
            plusTick_ = -1;
            state_ = State::OnlineCommand;
            return Result("OK");
        }
        return instrument_->OnTick(tickMs);
    }
    return {};
}

void ModemDevice::OnLineClosed(int64_t tickMs) {
    // DTR dropped: a modem set up as usual hangs up.
    if (state_ != State::Command) {
        if (state_ == State::Dialling) {
            calls_.back().result = "NO CARRIER";
        }
        EndCall("DTR", tickMs);
    }
    line_.clear();
}

}  // namespace svu::sim
