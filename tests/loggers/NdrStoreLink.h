#pragma once

// A data logger link answered by the simulator's set-up store, for the set-up transfers of the
// command line and the set-up sheet: it counts sessions, changed settings and memory clears.

#include <functional>
#include <string>

#include "loggers/NdrCommandLine.h"
#include "loggers/NdrConfig.h"
#include "loggers/NdrLoggerLink.h"
#include "sim/NdrConfigStore.h"

namespace svu::test {

class NdrStoreLink : public NdrLoggerLink, public NdrCommandLine {
public:
    NDR& LoggerSetup() override { return kept; }
    bool WithCommandLine(const std::function<bool(NdrCommandLine&)>& work) override {
        ++sessions;
        return reachable && work(*this);
    }
    bool ClearLoggerMemory() override { return ++clears > 0; }
    bool Transact(const std::string& command, std::string* reply) override {
        bool changed = false;
        return store.Answer(command.substr(0, command.size() - 1), reply, &changed) && !reply->starts_with("ERROR - ");
    }
    bool SendOnly(const std::string& command) override {
        std::string reply;
        bool changed = false;
        store.Answer(command.substr(0, command.size() - 1), &reply, &changed);
        written += changed ? 1 : 0;
        return true;
    }
    bool ShowProgress(const std::string&, int) override { return true; }

    NDR kept;
    sim::NdrConfigStore store;
    bool reachable = true;
    int sessions = 0;
    int written = 0;
    int clears = 0;
};

}  // namespace svu::test
