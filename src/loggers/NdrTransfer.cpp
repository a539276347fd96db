#include "loggers/NdrTransfer.h"

#include "loggers/NdrCommandLine.h"

namespace svu {

namespace {

// The command as a person reads it: without its carriage return.
std::string Shown(const std::string& command) {
    std::string text = command;
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) {
        text.pop_back();
    }
    return text;
}

}  // namespace

bool NdrTransfer::Ask(const std::string& command, std::string* reply) {
    if (!line_.ShowProgress(Shown(command), 1)) {
        return false;
    }
    return line_.Transact(command, reply);
}

bool NdrTransfer::Send(const std::string& command) {
    if (!line_.ShowProgress(Shown(command), 1)) {
        return false;
    }
    return line_.SendOnly(command);
}

bool NdrTransfer::Skip(const std::string& text, int steps) { return line_.ShowProgress(Shown(text), steps); }

void NdrTransfer::Unmatched(const std::string& command, const std::string& reply) {
    problems_.push_back("Unexpected reply to \"" + Shown(command) + "\": \"" + std::string(ndr::Trim(reply)) +
                        "\" (setting left unchanged)");
}

void NdrTransfer::Unwritable(const std::string& command, const std::string& why) {
    problems_.push_back("Not written: \"" + Shown(command) + "\": " + why);
}

bool NdrTransfer::ReadText(const std::string& command, std::string& value) {
    std::string reply;
    if (!Ask(command, &reply)) {
        return false;
    }
    while (!reply.empty() && (reply.back() == '\r' || reply.back() == '\n')) {
        reply.pop_back();
    }
    value = reply;
    return true;
}

bool NdrTransfer::ReadRate(const std::string& command, int32_t& value) {
    std::string reply;
    if (!Ask(command, &reply)) {
        return false;
    }
    if (const auto r = ndr::ParseRate(reply)) {
        value = *r;
    } else {
        Unmatched(command, reply);
    }
    return true;
}

bool NdrTransfer::ReadNumber(const std::string& command, double& value) {
    std::string reply;
    if (!Ask(command, &reply)) {
        return false;
    }
    if (const auto n = ndr::ParseNumber(reply)) {
        value = *n;
    } else {
        Unmatched(command, reply);
    }
    return true;
}

bool NdrTransfer::ReadNumberPair(const std::string& command, double& a, double& b) {
    std::string reply;
    if (!Ask(command, &reply)) {
        return false;
    }
    if (!ndr::ParseNumberPair(reply, a, b)) {
        Unmatched(command, reply);
    }
    return true;
}

bool NdrTransfer::SendWord(const std::string& head, std::span<const char* const> words, int64_t index) {
    const char* word = ndr::WordAt(words, index);
    if (word == nullptr) {
        Unwritable(head + "...)", "stored value " + std::to_string(index) + " has no word");
        return Skip(head + "...)", 1);
    }
    return Send(head + word + ")\r");
}

std::string NdrCommand(const std::string& name, const std::string& args) { return name + "(" + args + ")\r"; }

}  // namespace svu
