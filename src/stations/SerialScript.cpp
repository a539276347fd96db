#include "stations/SerialScript.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "framework/Clock.h"
#include "framework/TextUtil.h"
#include "stations/ScriptLanguage.h"

namespace svu {

namespace {

using Op = ScriptLine::Op;

// Longest single wait for a byte, so the stop request is looked at often enough.
constexpr int kReadSliceMs = 50;
constexpr int kWaitStepMs = 10;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The next word of text from at (blanks skipped before it); at moves past it.
std::string_view NextWord(std::string_view text, std::size_t& at) {
    while (at < text.size() && IsBlank(text[at])) {
        ++at;
    }
    const std::size_t start = at;
    while (at < text.size() && !IsBlank(text[at])) {
        ++at;
    }
    return text.substr(start, at - start);
}

std::string Lower(std::string_view word) {
    std::string lower(word);
    std::transform(lower.begin(), lower.end(), lower.begin(), ToLowerAscii);
    return lower;
}

// The text between the first and the last double quote; false when there are not two.
bool QuotedText(std::string_view rest, std::string& text) {
    const std::size_t first = rest.find('"');
    const std::size_t last = rest.rfind('"');
    if (first == std::string_view::npos || last == first) {
        return false;
    }
    text = script::DecodeEscapes(rest.substr(first + 1, last - first - 1));
    return true;
}

}  // namespace

void ScriptState::BeginPoll() {
    rxBuffer.clear();
    result.clear();
    rxChecksum = -1;  // a checksum of an earlier poll must not vouch for this one's bytes
    lastResult = false;
    timeoutMs = 0;
    masked = false;
    failurePending = false;
    failedData = false;
}

ScriptLine ParseScriptLine(std::string_view line) {
    ScriptLine parsed;
    std::size_t at = 0;
    const std::string command = Lower(NextWord(line, at));
    const std::string_view rest = line.substr(at);
    std::size_t restAt = 0;
    const std::string first = Lower(NextWord(rest, restAt));
    const auto numbers = [&](int count) {
        std::size_t numberAt = 0;
        for (int i = 0; i < count; ++i) {
            parsed.numbers[i] = AtoL(NextWord(rest, numberAt));
        }
    };
    if (command == "send" || command == "testfor" || command == "mask") {
        if (QuotedText(rest, parsed.text)) {
            parsed.quoted = true;
            parsed.op = command == "send" ? Op::Send : command == "testfor" ? Op::TestFor : Op::Mask;
        }
    } else if (command == "get" || command == "getappend") {
        parsed.op = command == "get" ? Op::Get : Op::GetAppend;
        parsed.quoted = QuotedText(rest, parsed.text);
        if (!parsed.quoted) {
            numbers(1);
        }
    } else if (command == "wait" || command == "timeout") {
        parsed.op = command == "wait" ? Op::Wait : Op::Timeout;
        numbers(1);
        if (parsed.op == Op::Timeout) {
            parsed.numbers[0] &= 0xFFFF;
        }
    } else if (command == "flush") {
        parsed.op = Op::Flush;
    } else if (command == "trim") {
        parsed.op = Op::Trim;
        numbers(3);
    } else if (command == "getrxchecksum") {
        parsed.op = Op::GetRxChecksum;
    } else if (command == "testchecksum") {
        parsed.op = Op::TestChecksum;
    } else if (command == "loop") {
        if (first == "end") {
            parsed.op = Op::LoopEnd;
        } else {
            parsed.op = Op::Loop;
            parsed.numbers[0] = first.empty() ? -1 : AtoL(first);
        }
    } else if (command == "if") {
        if (Lower(NextWord(rest, restAt)) == "break") {
            parsed.op = Op::IfBreak;
            parsed.ifTrue = first == "true";
        }
    }
    return parsed;
}

SerialScript::SerialScript(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines_.push_back(ParseScriptLine(line));
        start = end + 1;
    }
}

namespace {

// One run of a script: the program counter, the loop stack and the receive loops.
class ScriptRun {
public:
    ScriptRun(const std::vector<ScriptLine>& lines, ScriptPort& port, Clock& clock, ScriptState& state)
        : lines_(lines), port_(port), clock_(clock), state_(state) {}

    SerialScript::End Run() {
        std::size_t pc = 0;
        while (pc < lines_.size()) {
            if (port_.StopRequested()) {
                return SerialScript::End::Stopped;
            }
            const ScriptLine& line = lines_[pc];
            if (skipping_) {
                pc = Skip(line, pc);
                continue;
            }
            std::size_t next = pc + 1;
            switch (line.op) {
                case Op::Loop:
                    if (loops_.size() >= SerialScript::kMaxLoopDepth) {
                        return SerialScript::End::Runaway;
                    }
                    loops_.push_back({line.numbers[0], pc + 1, progress_});
                    break;
                case Op::LoopEnd:
                    if (!loops_.empty()) {
                        Loop& loop = loops_.back();
                        const bool again = loop.remaining < 0 || loop.remaining > 1;
                        if (again) {
                            if (progress_ == loop.passStart) {
                                return SerialScript::End::Runaway;
                            }
                            loop.passStart = progress_;
                            loop.remaining -= loop.remaining > 0 ? 1 : 0;
                            next = loop.body;
                        } else {
                            loops_.pop_back();
                        }
                    }
                    break;
                case Op::IfBreak:
                    state_.failurePending = false;
                    if (line.ifTrue == state_.lastResult) {
                        if (loops_.empty()) {
                            return SerialScript::End::Completed;
                        }
                        skipping_ = true;
                        skipDepth_ = 0;
                    }
                    break;
                default:
                    if (const auto end = Execute(line); end != SerialScript::End::Completed) {
                        return end;
                    }
                    break;
            }
            pc = next;
        }
        return SerialScript::End::Completed;
    }

private:
    struct Loop {
        long remaining;
        std::size_t body;
        uint64_t passStart;  // progress_ when the current pass began
    };

    // Passing over the rest of a loop left by a "break": nested loops are counted so that only
    // the end line of the loop being left ends the skipping.
    std::size_t Skip(const ScriptLine& line, std::size_t pc) {
        if (line.op == Op::Loop) {
            ++skipDepth_;
        } else if (line.op == Op::LoopEnd) {
            if (skipDepth_ > 0) {
                --skipDepth_;
            } else {
                loops_.pop_back();
                skipping_ = false;
            }
        }
        return pc + 1;
    }

    SerialScript::End Execute(const ScriptLine& line) {
        switch (line.op) {
            case Op::Send:
                state_.sendBuffer = line.text;
                if (!port_.Send(state_.sendBuffer)) {
                    return port_.StopRequested() ? SerialScript::End::Stopped : SerialScript::End::LineFailed;
                }
                break;
            case Op::Wait:
                return Wait(line.numbers[0]);
            case Op::Timeout:
                state_.timeoutMs = static_cast<int>(line.numbers[0]);
                break;
            case Op::Flush:
                port_.Flush();
                break;
            case Op::Get:
            case Op::GetAppend:
                if (line.op == Op::Get) {
                    state_.rxBuffer.clear();
                }
                return Receive(line);
            case Op::TestFor:
                state_.lastResult = script::ContainsPattern(state_.rxBuffer, line.text);
                break;
            case Op::Trim:
                script::TrimBuffer(state_.rxBuffer, line.numbers[0], line.numbers[1], line.numbers[2]);
                break;
            case Op::Mask:
                state_.result = script::ApplyMask(state_.rxBuffer, line.text);
                state_.masked = true;
                state_.failedData = state_.failedData || state_.failurePending;
                break;
            case Op::GetRxChecksum:
                state_.rxChecksum = script::ReadReceivedChecksum(state_.rxBuffer);
                break;
            case Op::TestChecksum:
                state_.lastResult = state_.rxChecksum != -1 && state_.rxChecksum == script::ByteSum(state_.rxBuffer);
                state_.failurePending = state_.failurePending || !state_.lastResult;
                break;
            default:
                break;
        }
        return SerialScript::End::Completed;
    }

    SerialScript::End Wait(long ms) {
        const int64_t end = clock_.TickMs() + std::max(ms, 0L);
        for (int64_t left = end - clock_.TickMs(); left > 0; left = end - clock_.TickMs()) {
            if (port_.StopRequested()) {
                return SerialScript::End::Stopped;
            }
            clock_.SleepFor(std::chrono::milliseconds(std::min<int64_t>(left, kWaitStepMs)));
            ++progress_;
        }
        return SerialScript::End::Completed;
    }

    // "get" and "getappend": a byte count or a pattern, within the time-out.
    SerialScript::End Receive(const ScriptLine& line) {
        const bool pattern = line.quoted;
        const std::size_t want = pattern ? 0 : static_cast<std::size_t>(std::max(line.numbers[0], 0L));
        std::size_t got = 0;
        const int64_t end = state_.timeoutMs > 0 ? clock_.TickMs() + state_.timeoutMs : -1;
        const auto done = [&] {
            return pattern ? script::ContainsPattern(state_.rxBuffer, line.text) : got >= want;
        };
        bool ok = done();
        while (!ok) {
            if (port_.StopRequested()) {
                return SerialScript::End::Stopped;
            }
            if (state_.rxBuffer.size() >= SerialScript::kMaxReceived) {
                break;
            }
            int waitMs = kReadSliceMs;
            if (end >= 0) {
                const int64_t left = end - clock_.TickMs();
                if (left <= 0) {
                    ++progress_;  // the time-out passed
                    break;
                }
                waitMs = static_cast<int>(std::min<int64_t>(left, kReadSliceMs));
            }
            const int b = port_.ReadByte(waitMs);
            if (b == -2) {
                return port_.StopRequested() ? SerialScript::End::Stopped : SerialScript::End::LineFailed;
            }
            if (b < 0) {
                continue;
            }
            ++progress_;
            state_.rxBuffer.push_back(static_cast<char>(b));
            ++got;
            // Each new byte can only complete the pattern at the end of the buffer.
            ok = pattern ? script::EndsWithPattern(state_.rxBuffer, line.text) : got >= want;
        }
        state_.lastResult = ok;
        state_.failurePending = state_.failurePending || !ok;
        return SerialScript::End::Completed;
    }

    const std::vector<ScriptLine>& lines_;
    ScriptPort& port_;
    Clock& clock_;
    ScriptState& state_;
    std::vector<Loop> loops_;
    bool skipping_ = false;
    int skipDepth_ = 0;
    uint64_t progress_ = 0;  // counts the bytes received and the waits that let time pass
};

}  // namespace

SerialScript::End SerialScript::Run(ScriptPort& port, Clock& clock, ScriptState& state) const {
    return ScriptRun(lines_, port, clock, state).Run();
}

const char* ScriptEndText(SerialScript::End end) {
    switch (end) {
        case SerialScript::End::Completed:
            return "Script completed";
        case SerialScript::End::Stopped:
            return "Script stopped";
        case SerialScript::End::LineFailed:
            return "Script ended: the serial line failed";
        case SerialScript::End::Runaway:
            return "Script ended: a loop neither reads nor waits, or loops are nested too deep";
    }
    return "";
}

}  // namespace svu
