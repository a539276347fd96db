#pragma once

#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "loggers/NdrReplies.h"

namespace svu {

class NdrCommandLine;

/// One pass of the logger's set-up over its command line: every command is shown in the transfer
/// window (one progress step each) before it goes out, and replies that fit no vocabulary are
/// collected instead of being taken, so the caller can tell the user which settings stayed as they
/// were. The typed readers return false only when the link failed or the user cancelled.
class NdrTransfer {
public:
    explicit NdrTransfer(NdrCommandLine& line) : line_(line) {}

    /// Shows, sends and reads the reply of one command.
    bool Ask(const std::string& command, std::string* reply);
    /// Shows and sends one command without waiting for a reply.
    bool Send(const std::string& command);
    /// Advances the progress by `steps` commands that are not sent.
    bool Skip(const std::string& text, int steps);
    /// Notes a reply that fits no vocabulary (the setting keeps its value).
    void Unmatched(const std::string& command, const std::string& reply);
    /// Notes a stored value that cannot be written (the command is left out).
    void Unwritable(const std::string& command, const std::string& why);

    bool ReadText(const std::string& command, std::string& value);
    bool ReadRate(const std::string& command, int32_t& value);
    bool ReadNumber(const std::string& command, double& value);
    bool ReadNumberPair(const std::string& command, double& a, double& b);

    template <typename T>
    bool ReadBool(const std::string& command, T& value) {
        std::string reply;
        if (!Ask(command, &reply)) {
            return false;
        }
        if (const auto b = ndr::ParseBool(reply)) {
            value = *b ? 1 : 0;
        } else {
            Unmatched(command, reply);
        }
        return true;
    }

    template <typename T>
    bool ReadInteger(const std::string& command, T& value) {
        std::string reply;
        if (!Ask(command, &reply)) {
            return false;
        }
        const auto n = ndr::ParseInteger(reply);
        if (n && InRange<T>(*n)) {
            value = static_cast<T>(*n);
        } else {
            Unmatched(command, reply);
        }
        return true;
    }

    template <typename T>
    bool ReadIntegerPair(const std::string& command, T& a, T& b) {
        std::string reply;
        if (!Ask(command, &reply)) {
            return false;
        }
        int64_t x = 0;
        int64_t y = 0;
        if (ndr::ParseIntegerPair(reply, x, y) && InRange<T>(x) && InRange<T>(y)) {
            a = static_cast<T>(x);
            b = static_cast<T>(y);
        } else {
            Unmatched(command, reply);
        }
        return true;
    }

    template <typename T>
    bool ReadWord(const std::string& command, std::span<const char* const> words, T& index) {
        std::string reply;
        if (!Ask(command, &reply)) {
            return false;
        }
        if (const auto i = ndr::MatchWord(reply, words)) {
            index = static_cast<T>(*i);
        } else {
            Unmatched(command, reply);
        }
        return true;
    }

    /// Sends "<head><word>)\r" for a vocabulary index; an index outside the vocabulary is noted
    /// and not sent, so the logger keeps what it has rather than taking a wrong word.
    bool SendWord(const std::string& head, std::span<const char* const> words, int64_t index);

    /// Replies that fitted no vocabulary and values that could not be written, one line each.
    const std::vector<std::string>& Problems() const { return problems_; }

private:
    template <typename T>
    static bool InRange(int64_t n) {
        return n >= static_cast<int64_t>(std::numeric_limits<T>::min()) &&
               n <= static_cast<int64_t>(std::numeric_limits<T>::max());
    }

    NdrCommandLine& line_;
    std::vector<std::string> problems_;
};

/// "name(args)\r" built from the parts; numbers go through the C-locale formatter.
std::string NdrCommand(const std::string& name, const std::string& args);

}  // namespace svu
