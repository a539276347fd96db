#pragma once

// A program folder with a file station replaying a small log, and in-process runs of
// stratavue-cli against it.

#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "framework/TempDir.h"
#include "stations/StationFile.h"
#include "stations/StationReports.h"
#include "stations/WSFile.h"

namespace svu::test {

struct CliResult {
    int code;
    std::string out;
    std::string err;
};

/// Runs stratavue-cli in-process; the switches and report folder a run sets are put back afterwards.
inline CliResult RunCli(std::vector<std::string> words) {
    words.insert(words.begin(), "stratavue-cli");
    std::ostringstream out;
    std::ostringstream err;
    const int code = cli::Main(words, out, err);
    DisableAllAlarms() = 0;
    MuteAllAlarms() = 0;
    SetReportFolder("");
    return {code, out.str(), err.str()};
}

/// Records of 5 December 2026 from 14:05:00, a minute apart: Temp = 5 + i, Rain = i / 10.
inline std::string MakeLog(int records) {
    std::string text = "2\r\nTemp\r\nRain\r\n";
    for (int i = 0; i < records; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "05/12/26, %02d:%02d:00, %d, %d.%d\r\n", 14 + (5 + i) / 60, (5 + i) % 60,
                      5 + i, i / 10, i % 10);
        text += line;
    }
    return text;
}

class ProgramFolder {
public:
    /// Folder + name.
    std::string File(const std::string& name) const { return dir.File(name); }
    /// The folder, for --program-dir.
    std::string Path() const { return dir.Path().string(); }

    /// An active file station named Hill replaying in.log, logging every value into logs/.
    std::unique_ptr<WSFile> HillStation() const {
        auto station = std::make_unique<WSFile>("Hill");
        station->active = 1;
        station->inputFile = File("in.log");
        station->rawChannelCount = station->channelCount = 4;
        station->channelNames = {"Date", "Time", "Temp", "Rain"};
        station->channelTypes = {0, 0, 0, 13};
        station->loggingEnabled = 1;
        station->logAllValues = 1;
        station->logErrors = 1;
        station->logFolder = File("logs");
        station->ResetValues();
        return station;
    }

    void Save(const StationList& stations) const { SaveStationFile(File("stratavue.wsf"), stations); }

    TempDir dir;
};

}  // namespace svu::test
