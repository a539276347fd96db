#include "sim/GenericDevice.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace svu::sim {

namespace {

constexpr std::size_t kMaxBuffer = 4096;

int Hex(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool EndsWith(const std::string& buffer, const std::string& pattern) {
    if (pattern.empty() || pattern.size() > buffer.size()) {
        return false;
    }
    const std::size_t at = buffer.size() - pattern.size();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '?' && pattern[i] != buffer[at + i]) {
            return false;
        }
    }
    return true;
}

bool Number(const std::string& text, int& value) {
    char* end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || n < 0 || n > 1000000) {
        return false;
    }
    value = static_cast<int>(n);
    return true;
}

}  // namespace

std::string DecodeSimEscapes(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out.push_back(text[i]);
            continue;
        }
        const char c = text[++i];
        if (c == 'r') {
            out.push_back('\r');
        } else if (c == 'n') {
            out.push_back('\n');
        } else if (c == 't') {
            out.push_back('\t');
        } else if (c == 'e') {
            out.push_back('\x1b');
        } else if (c == 'f') {
            out.push_back('\f');
        } else if (c == 'x' && i + 2 < text.size() && Hex(text[i + 1]) >= 0 && Hex(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(Hex(text[i + 1]) << 4 | Hex(text[i + 2])));
            i += 2;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

const char* GenericSimHelp() {
    return R"(Usage: stratavue-sim generic [OPTIONS]

Simulates an instrument for a Generic (Serial) station on a pseudo-terminal: whenever the bytes
received end with a request pattern, the device sends that request's reply. The first line
printed is the device to give the station as its port.

  --request PATTERN     A request ("?" matches any byte); repeat with --reply for more.
  --reply TEXT          The reply to the request before it. "{n}" in it stands for the
                        number of the reply (1, 2, ...).
  --checksum            Follow each reply by two upper-case hexadecimal digits: the byte sum
                        of the reply modulo 256.
  --end TEXT            Bytes sent after the reply and checksum (e.g. "\r\n").
  --delay MS            Wait before replying (default 0).
  --silent-every N      Every Nth request gets no reply.
  --bad-checksum-every N  Every Nth reply carries a wrong checksum.
  --link PATH           Keep a symbolic link at PATH pointing at the device.
  -v, --verbose         Report requests and replies on standard error.
  -h, --help            Show this text.
Texts take the escapes \r \n \t \e \f \\ and \xHH (one byte of that value).

Example:
  stratavue-sim generic --request "R\r" --reply "12.50,3.1,\xC8" --checksum --end "\r\n"
)";
}

bool ParseGenericSimOptions(const std::vector<std::string>& args, GenericSimOptions& options, bool& help,
                            std::string& error) {
    help = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = arg + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        const auto count = [&](int& out) {
            std::string text;
            if (!value(text)) {
                return false;
            }
            if (!Number(text, out)) {
                error = arg + ": not a count: " + text;
                return false;
            }
            return true;
        };
        std::string text;
        if (arg == "-h" || arg == "--help") {
            help = true;
            return true;
        } else if (arg == "--request") {
            if (!value(text)) {
                return false;
            }
            options.answers.push_back({DecodeSimEscapes(text), {}});
        } else if (arg == "--reply") {
            if (!value(text)) {
                return false;
            }
            if (options.answers.empty() || !options.answers.back().reply.empty()) {
                error = "--reply must follow a --request";
                return false;
            }
            options.answers.back().reply = DecodeSimEscapes(text);
        } else if (arg == "--checksum") {
            options.checksum = true;
        } else if (arg == "--end") {
            if (!value(text)) {
                return false;
            }
            options.end = DecodeSimEscapes(text);
        } else if (arg == "--delay") {
            if (!count(options.delayMs)) {
                return false;
            }
        } else if (arg == "--silent-every") {
            if (!count(options.silentEvery)) {
                return false;
            }
        } else if (arg == "--bad-checksum-every") {
            if (!count(options.badChecksumEvery)) {
                return false;
            }
        } else if (arg == "--link") {
            if (!value(options.linkPath)) {
                return false;
            }
        } else if (arg == "-v" || arg == "--verbose") {
            options.verbose = true;
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    for (const auto& answer : options.answers) {
        if (answer.request.empty()) {
            error = "a request pattern must not be empty";
            return false;
        }
    }
    if (options.answers.empty()) {
        error = "give at least one --request and --reply";
        return false;
    }
    return true;
}

GenericDevice::GenericDevice(GenericSimOptions options) : options_(std::move(options)) {}

std::string GenericDevice::Reply(const std::string& text) {
    ++replies_;
    std::string reply;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 3, "{n}") == 0) {
            reply += std::to_string(replies_);
            i += 2;
        } else {
            reply.push_back(text[i]);
        }
    }
    if (options_.checksum) {
        unsigned sum = 0;
        for (const char c : reply) {
            sum += static_cast<unsigned char>(c);
        }
        if (options_.badChecksumEvery > 0 && replies_ % static_cast<unsigned>(options_.badChecksumEvery) == 0) {
            ++sum;
        }
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02X", sum % 256);
        reply += digits;
    }
    return reply + options_.end;
}

std::string GenericDevice::OnInput(std::string_view bytes, int64_t tickMs) {
    std::string out;
    for (const char c : bytes) {
        buffer_.push_back(c);
        if (buffer_.size() > kMaxBuffer) {
            buffer_.erase(0, buffer_.size() - kMaxBuffer);
        }
        for (const auto& answer : options_.answers) {
            if (!EndsWith(buffer_, answer.request)) {
                continue;
            }
            buffer_.clear();
            ++requests_;
            if (options_.silentEvery > 0 && requests_ % static_cast<unsigned>(options_.silentEvery) == 0) {
                break;
            }
            if (options_.delayMs > 0) {
                pending_ += Reply(answer.reply);
                dueTick_ = tickMs + options_.delayMs;
            } else {
                out += Reply(answer.reply);
            }
            break;
        }
    }
    return out;
}

std::string GenericDevice::OnTick(int64_t tickMs) {
    if (dueTick_ >= 0 && tickMs >= dueTick_) {
        dueTick_ = -1;
        return std::exchange(pending_, {});
    }
    return {};
}

void GenericDevice::OnLineClosed(int64_t) {
    buffer_.clear();
    pending_.clear();
    dueTick_ = -1;
}

}  // namespace svu::sim
