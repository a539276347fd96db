#pragma once

// Settings of the simulated line-sending instruments (wind sensor, particle counter, Triscan,
// sound level meter) and the faults they can be told to show.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/LocalTime.h"

namespace svu::sim {

struct LineSimOptions {
    std::string instrument;          ///< wind, particles, triscan or slm
    int periodMs = 1000;             ///< between two lines sent by the instrument itself
    std::optional<TimeT> startTime;  ///< the instrument clock at start (default: now)
    int sampleSeconds = 60;          ///< particles and slm online: seconds each line's stamp moves on
    int corruptEvery = 0;            ///< every Nth line is damaged (out of range, wrong separators)
    int longEvery = 0;               ///< every Nth line is longer than a reader takes (1500 bytes)
    int wrongByteEvery = 0;          ///< slm: every Nth answer starts with a wrong byte
    int extraByteEvery = 0;          ///< slm: every Nth answer carries a ninth byte
    bool silent = false;             ///< never sends or answers
    int silenceAfter = 0;            ///< seconds of talking before each silence (0: none)
    int silenceFor = 0;              ///< seconds of each silence
    int unplugAfter = 0;             ///< seconds before the device vanishes (0: never)
    int unplugFor = 5;               ///< seconds until it comes back under a new pty
    bool online = false;             ///< slm: online mode (lines) instead of polled answers
    bool streaming = false;          ///< triscan: streams from the start, without "X"
    int records = 24;                ///< triscan: records in its memory
    int recordSeconds = 600;         ///< triscan: seconds between two records
    uint64_t seed = 1;
    std::string linkPath;    ///< symbolic link kept pointing at the device
    std::string transcript;  ///< file to which every good value set sent is appended
    bool verbose = false;
};

/// Reads the options after the instrument name; false with a message for the user. help is set
/// for --help.
bool ParseLineSimOptions(const std::string& instrument, const std::vector<std::string>& args, LineSimOptions& options,
                         bool& help, std::string& error);

/// The --help text of one of these instruments.
std::string LineSimHelp(const std::string& instrument);

/// True for the instruments these options serve.
bool IsLineInstrument(const std::string& instrument);

}  // namespace svu::sim
