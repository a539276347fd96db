#pragma once

// A Vela logger behind a telephone line: text commands ended by a carriage return. "CLEAR"
// empties its memory, "LOGON" starts logging, "U" sends a heading line and then every line
// logged since the last "CLAST", which marks them as collected.

#include <cstdint>
#include <string>
#include <vector>

#include "sim/SimDevice.h"

namespace svu::sim {

struct VelaSimOptions {
    std::vector<std::string> lines;  ///< lines in memory at start ("dd/mm/yy,hh:mm:ss,v1,v2,...")
    std::string values;              ///< "v1,v2,..." logged every logEverySeconds while logging
    int logEverySeconds = 0;         ///< 0: nothing is logged of its own accord
    /// Value sets waiting as logged lines after LOGON and after every CLAST (a fixed batch per call).
    std::vector<std::string> batch;
};

class VelaLogger : public SimDevice {
public:
    explicit VelaLogger(VelaSimOptions options);

    std::string OnInput(std::string_view bytes, int64_t tickMs) override;
    std::string OnTick(int64_t tickMs) override;
    void OnLineClosed(int64_t tickMs) override { command_.clear(); }

    bool Logging() const { return logging_; }
    std::size_t Waiting() const { return lines_.size(); }
    /// The commands received, in order.
    const std::vector<std::string>& Commands() const { return commands_; }

private:
    std::string Command(const std::string& command, int64_t tickMs);
    void Log(const std::string& values);
    void LogBatch();

    VelaSimOptions options_;
    std::vector<std::string> lines_;
    std::size_t sent_ = 0;  // lines sent by the last "U"
    bool logging_ = false;
    int64_t nextLogTick_ = -1;
    uint64_t logged_ = 0;
    std::string command_;
    std::vector<std::string> commands_;
};

bool ParseVelaSimOptions(const std::vector<std::string>& args, VelaSimOptions& options, std::string& error);

}  // namespace svu::sim
