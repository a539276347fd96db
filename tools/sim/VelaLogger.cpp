#include "sim/VelaLogger.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace svu::sim {

namespace {

constexpr std::size_t kMaxCommand = 64;
constexpr std::size_t kMaxCommandsKept = 1000;

}  // namespace

VelaLogger::VelaLogger(VelaSimOptions options) : options_(std::move(options)), lines_(options_.lines) {}

std::string VelaLogger::Command(const std::string& command, int64_t tickMs) {
    if (commands_.size() < kMaxCommandsKept) {
        commands_.push_back(command);
    }
    if (command == "CLEAR") {
        lines_.clear();
        sent_ = 0;
        return {};
    }
    if (command == "LOGON") {
        logging_ = true;
        LogBatch();
        nextLogTick_ = tickMs + options_.logEverySeconds * 1000LL;
        return {};
    }
    if (command == "U") {
        std::string out = "VELA LOGGER " + std::to_string(lines_.size()) + " RECORDS\r\n";
        for (const std::string& line : lines_) {
            out += line + "\r\n";
        }
        sent_ = lines_.size();
        return out;
    }
    if (command == "CLAST") {
        lines_.erase(lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(sent_));
        sent_ = 0;
        if (logging_) {
            LogBatch();
        }
        return {};
    }
    return "?\r\n";
}

std::string VelaLogger::OnInput(std::string_view bytes, int64_t tickMs) {
    std::string out;
    for (const char c : bytes) {
        if (c == '\r' || c == '\n') {
            if (!command_.empty()) {
                out += Command(command_, tickMs);
            }
            command_.clear();
        } else if (command_.size() < kMaxCommand) {
            command_.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
        }
    }
    return out;
}

void VelaLogger::Log(const std::string& values) {
    ++logged_;
    // The logger's own clock is not modelled: its lines carry a running count as the time.
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "01/01/26,%02u:%02u:%02u,", static_cast<unsigned>(logged_ / 3600 % 24),
                  static_cast<unsigned>(logged_ / 60 % 60), static_cast<unsigned>(logged_ % 60));
    lines_.push_back(stamp + values);
}

void VelaLogger::LogBatch() {
    for (const std::string& values : options_.batch) {
        Log(values);
    }
}

std::string VelaLogger::OnTick(int64_t tickMs) {
    if (logging_ && options_.logEverySeconds > 0 && !options_.values.empty() && tickMs >= nextLogTick_) {
        nextLogTick_ = tickMs + options_.logEverySeconds * 1000LL;
        Log(options_.values);
    }
    return {};
}

bool ParseVelaSimOptions(const std::vector<std::string>& args, VelaSimOptions& options, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i + 1 >= args.size()) {
            error = args[i] + " needs a value";
            return false;
        }
        const std::string& value = args[i + 1];
        if (args[i] == "--line") {
            options.lines.push_back(value);
        } else if (args[i] == "--values") {
            options.values = value;
        } else if (args[i] == "--batch") {
            std::size_t start = 0;
            while (start <= value.size()) {
                const std::size_t end = std::min(value.find(';', start), value.size());
                if (end > start) {
                    options.batch.push_back(value.substr(start, end - start));
                }
                start = end + 1;
            }
        } else if (args[i] == "--log-every") {
            options.logEverySeconds = std::atoi(value.c_str());
        } else {
            error = "unknown Vela option " + args[i];
            return false;
        }
        ++i;
    }
    return true;
}

}  // namespace svu::sim
