#include "sim/NdrLogger.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace svu::sim {

namespace {

constexpr char kEscape = 27;
constexpr const char* kPrompt = "> ";
constexpr uint8_t kRecordEnd = 0x0A;

std::string Hex2(unsigned value) {
    char text[4];
    std::snprintf(text, sizeof text, "%02X", value & 0xFF);
    return text;
}

void PutBig32(std::string& out, uint32_t v) {
    out += static_cast<char>(v >> 24);
    out += static_cast<char>(v >> 16);
    out += static_cast<char>(v >> 8);
    out += static_cast<char>(v);
}

}  // namespace

NdrLogger::NdrLogger(NdrLoggerOptions options) : options_(options) {
    options_.channels = std::clamp(options_.channels, 0, 64);
    FillMemory();
}

void NdrLogger::FillMemory() {
    memory_.clear();
    memory_.reserve(static_cast<std::size_t>(options_.records) * static_cast<std::size_t>(RecordSize()));
    for (int i = 0; i < options_.records; ++i) {
        memory_ += static_cast<char>(options_.channels);
        memory_ += static_cast<char>(1);
        PutBig32(memory_, options_.firstRecordTime + static_cast<uint32_t>(i) * static_cast<uint32_t>(options_.recordSeconds));
        for (int k = 0; k < options_.channels; ++k) {
            const float value = static_cast<float>(i % 1000) * 0.5f + static_cast<float>(k) - 3.0f;
            uint32_t bits = 0;
            std::memcpy(&bits, &value, sizeof bits);
            PutBig32(memory_, bits);
        }
        memory_ += static_cast<char>(kRecordEnd);
    }
}

void NdrLogger::Restart() {
    mode_ = Mode::Menu;
    typed_.clear();
    out_.clear();
    lastDue_ = 0;
    memoryOpen_ = memoryUnlocked_ = false;
}

void NdrLogger::Queue(std::string bytes, int64_t dueTick) {
    // Output keeps its order: nothing overtakes what was delayed before it.
    lastDue_ = std::max(lastDue_, dueTick);
    out_.emplace_back(lastDue_, std::move(bytes));
}

std::string NdrLogger::Due(int64_t tickMs) {
    std::string out;
    while (!out_.empty() && out_.front().first <= tickMs) {
        out += out_.front().second;
        out_.pop_front();
    }
    return out;
}

std::string NdrLogger::Menu() const {
    return "\r\n* NDR - Main menu *\r\n"
           " 1 Status\r\n 2 Set clock\r\n 3 Logging\r\n 4 Channels\r\n 5 Alarms\r\n"
           " 6 Communications\r\n 7 Modem\r\n 8 Memory\r\n 9 Diagnostics\r\n10 Command line\r\n"
           "Enter option number:  ";
}

std::string NdrLogger::OnInput(std::string_view bytes, int64_t tickMs) {
    for (char c : bytes) {
        OnByte(c, tickMs);
    }
    return Due(tickMs);
}

void NdrLogger::OnByte(char c, int64_t tickMs) {
    if (c == kEscape) {
        // Escape always leads back to the menu, from the stream as from the command line.
        mode_ = Mode::Menu;
        typed_.clear();
        Queue(Menu(), tickMs);
        return;
    }
    if (mode_ == Mode::Realtime) {
        return;
    }
    const int64_t echoDue = tickMs + options_.echoDelayMs;
    if (c == '\r' || c == '\n') {
        if (c == '\n') {
            return;
        }
        Queue("\r\n", echoDue);
        std::string typed;
        typed.swap(typed_);
        if (mode_ == Mode::Menu) {
            MenuChoice(typed, tickMs);
        } else {
            RunCommand(typed, tickMs);
        }
        return;
    }
    if (c == '\b' || c == 127) {
        if (!typed_.empty()) {
            typed_.pop_back();
        }
        return;
    }
    if (typed_.size() < 1024) {
        typed_ += c;
        Queue(std::string(1, c), echoDue);
    }
}

void NdrLogger::MenuChoice(const std::string& choice, int64_t tickMs) {
    if (choice == "10") {
        mode_ = Mode::CommandLine;
        Queue("NDR command line interface\r\n", tickMs);
        Queue(kPrompt, tickMs + options_.echoDelayMs);
    } else {
        Queue(Menu(), tickMs);
    }
}

void NdrLogger::RunCommand(const std::string& command, int64_t tickMs) {
    const int64_t promptDue = tickMs + 2LL * options_.echoDelayMs;
    const auto answer = [&](const std::string& text) {
        Queue(text.empty() ? std::string() : text + "\r\n", tickMs);
        Queue(kPrompt, promptDue);
    };
    if (command.empty()) {
        Queue(kPrompt, promptDue);
        return;
    }
    if (options_.reject) {
        answer("ERROR - command rejected");
        return;
    }
    if (command == "clirt(cs)" || command == "clirt()") {
        const bool withChecksum = command == "clirt(cs)";
        if (withChecksum && options_.noChecksum) {
            answer("ERROR - checksum output not available");
            return;
        }
        checksum_ = withChecksum;
        mode_ = Mode::Realtime;
        nextLineTick_ = std::max(tickMs, lastDue_) + options_.periodMs / 4;
        return;
    }
    if (command == "spdata(67,0)" || command == "spdata(67,1)") {
        commandFormat_ = command[10] - '0';
        answer("OK");
        return;
    }
    if (command == "rsmode(open)") {
        memoryOpen_ = true;
        answer("OK");
    } else if (command == "rsmode(unlock)") {
        memoryUnlocked_ = memoryOpen_;
        answer(memoryOpen_ ? "OK" : "ERROR - memory not open");
    } else if (command == "rsmode(clear)") {
        if (!memoryUnlocked_) {
            answer("ERROR - memory locked");
            return;
        }
        memory_.clear();
        memoryOpen_ = memoryUnlocked_ = false;
        answer("OK");
    } else if (command == "rsdlsize()") {
        const int size = RecordSize();
        const std::size_t records = memory_.size() / static_cast<std::size_t>(size);
        answer(std::to_string(records) + "," + std::to_string(records == 0 ? 0 : size));
    } else if (command == "rsdl()") {
        // The image follows the echo at once; the prompt comes after it.
        Queue(memory_, tickMs);
        Queue(kPrompt, promptDue);
    } else {
        std::string reply;
        bool changed = false;
        if (!store_.Answer(command, &reply, &changed)) {
            answer("ERROR - unknown command");
            return;
        }
        answer(reply);
        if (changed && onConfigChanged_) {
            onConfigChanged_();
        }
    }
}

std::string NdrLogger::RealtimeLine() {
    ++lineNumber_;
    std::string values;
    for (int k = 0; k < options_.channels; ++k) {
        char text[32];
        std::snprintf(text, sizeof text, "%s%.2f", k == 0 ? "" : ",",
                      10.0 + 5.0 * k + 0.25 * static_cast<double>(lineNumber_ % 40));
        values += text;
    }
    unsigned sum = 0;
    for (char c : values) {
        sum += static_cast<unsigned char>(c);
    }
    std::string line = values;
    const bool corrupt = options_.corruptEvery > 0 && lineNumber_ % static_cast<uint64_t>(options_.corruptEvery) == 0;
    if (corrupt && !line.empty()) {
        // One digit changed on the way: the checksum no longer fits.
        char& c = line[0];
        c = c == '9' ? '8' : static_cast<char>(c + 1);
    } else {
        sent_.push_back(values);
    }
    if (checksum_) {
        line += "," + Hex2(sum % 256);
    }
    return line + "\r\n";
}

std::string NdrLogger::OnTick(int64_t tickMs) {
    std::string out = Due(tickMs);
    if (mode_ == Mode::Realtime && tickMs >= nextLineTick_) {
        nextLineTick_ = std::max(nextLineTick_ + options_.periodMs, tickMs);
        out += RealtimeLine();
    }
    return out;
}

std::vector<std::string> NdrLogger::TakeSentLines() {
    std::vector<std::string> taken;
    taken.swap(sent_);
    return taken;
}

}  // namespace svu::sim
