#pragma once

#include <string>

#include "framework/UserInterface.h"
#include "loggers/NdrCommandLine.h"
#include "loggers/NdrSession.h"

namespace svu {

/// The logger's command line as the set-up reader and writer use it, over a session that has
/// already entered command mode; progress goes to the user interface.
class NdrSessionCommandLine : public NdrCommandLine {
public:
    NdrSessionCommandLine(NdrSession& session, UserInterface& ui) : session_(session), ui_(ui) {}

    bool Transact(const std::string& command, std::string* reply) override {
        return session_.Transact(command, reply);
    }
    bool SendOnly(const std::string& command) override { return session_.SendOnly(command); }
    bool ShowProgress(const std::string& text, int steps) override {
        steps_ += steps;
        ui_.ShowProgress(text);
        return !session_.Cancelled();
    }
    /// Steps shown so far.
    int Steps() const { return steps_; }

private:
    NdrSession& session_;
    UserInterface& ui_;
    int steps_ = 0;
};

}  // namespace svu
