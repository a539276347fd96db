#pragma once

// The air of the radio simulator: the remote stations that answer on it, and the record of who
// used it when. Several modem ports (each a pseudo-terminal with its own thread) share one air;
// a turn that starts on one port while another port's turn is still on is an overlap, and is
// written to the transcript so that a test can check there are none.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "framework/LocalTime.h"
#include "sim/NdrLogger.h"

namespace svu::sim {

/// One remote station on the air.
struct RadioRemote {
    enum class Kind { Vela, WandD, Ndr };
    enum class Failure { None, Silent, Garbled };
    Kind kind = Kind::Vela;
    int address = 1;             ///< Vela: the address selected with "ATR"
    double frequency = 458.525;  ///< Vela: MHz
    int channel = 0;             ///< W&D: the radio channel selected after the preamble
    int loggerChannels = 0;      ///< Ndr: the values of the data logger's lines
    int loggerRecords = 0;       ///< Ndr: records in the logger's memory at start
    std::string values;          ///< "v1,v2,..." sent in every line
    Failure failure = Failure::None;
    int garbledLines = -1;  ///< with Garbled: the first N lines of every turn are spoilt (-1 all)
    /// The channel number the remote listens on, counted in 25 kHz steps from 458.525 MHz.
    int FrequencyChannel() const;
    /// "vela 1@458.525", "ndr 2@458.550" or "wd 5": how the transcript names it.
    std::string Name() const;
};

/// One turn as the air saw it.
struct RadioTurn {
    int port = 0;
    std::string remote;  ///< the remote addressed, or "none"
    int64_t startMs = 0;
    int64_t endMs = -1;  ///< -1 while it lasts
    int lines = 0;
    bool overlap = false;  ///< another port's turn was on when this one began
};

struct RadioSimOptions {
    std::vector<RadioRemote> remotes;
    std::vector<std::string> links;  ///< one port per link (one unnamed port when empty)
    int model = 0;                   ///< 0: "ATX" + one character, 1: "ATX" + two digits
    int firstLineMs = 800;           ///< from addressing to the first line
    int periodMs = 1000;             ///< between lines
    TimeT startTime = 0;             ///< the time in the first line (0: the clock's)
    std::string transcript;          ///< file the turns are appended to
};

/// Reads the options of "stratavue-sim radio"; false with `error` when one is wrong.
bool ParseRadioSimOptions(const std::vector<std::string>& args, RadioSimOptions& options, bool& help,
                          std::string& error);
/// The text of "stratavue-sim radio --help".
const char* RadioSimHelp();

class RadioAir {
public:
    explicit RadioAir(RadioSimOptions options);

    const RadioSimOptions& Options() const { return options_; }
    /// The remote (a Vela station or a data logger) a Hayes-style modem reaches on a frequency
    /// channel and address, or nullptr.
    const RadioRemote* FindVela(int frequencyChannel, int address) const;
    /// The remote a W&D modem reaches on a radio channel, or nullptr.
    const RadioRemote* FindWandD(int channel) const;

    /// A turn begins on the port (it was tuned); returns its index.
    std::size_t BeginTurn(int port, int64_t tickMs);
    void SetRemote(std::size_t turn, const RadioRemote* remote);
    void CountLine(std::size_t turn);
    void EndTurn(std::size_t turn, int64_t tickMs);

    /// Every turn so far, in the order they began.
    std::vector<RadioTurn> Turns() const;
    /// How many turns overlapped another.
    int Overlaps() const;
    /// A data logger remote: the bytes that reach it over the air, and what it sends back.
    std::string ToLogger(const RadioRemote& remote, std::string_view bytes, int64_t tickMs);
    std::string FromLogger(const RadioRemote& remote, int64_t tickMs);
    /// The memory image of a data logger remote.
    std::string LoggerMemory(const RadioRemote& remote) const;

    /// Also told of every transcript line (the program prints them when verbose).
    void SetLog(std::function<void(const std::string&)> log) { log_ = std::move(log); }

private:
    void Write(const std::string& line);

    RadioSimOptions options_;
    mutable std::mutex mutex_;
    std::vector<RadioTurn> turns_;
    std::vector<std::unique_ptr<NdrLogger>> loggers_;  ///< one per remote; set for the Ndr ones
    std::function<void(const std::string&)> log_;
};

}  // namespace svu::sim
