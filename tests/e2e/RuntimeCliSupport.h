#pragma once

// A program folder with a file station replaying a small log, in-process runs of stratavue-cli
// against it, and the lines and records of the files a run leaves.

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "framework/TempDir.h"
#include "framework/TextUtil.h"
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

/// The lines of `text` without their line ends (LF or CR LF); an unfinished last line is left out.
inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start - (end > start && text[end - 1] == '\r' ? 1 : 0)));
    }
    return lines;
}

/// The trimmed fields of `line` between the separators.
inline std::vector<std::string> Words(const std::string& line, char separator) {
    std::vector<std::string> words;
    for (std::size_t start = 0, at = 0; at != std::string::npos; start = at + 1) {
        at = line.find(separator, start);
        words.emplace_back(Trim(line.substr(start, at == std::string::npos ? at : at - start)));
    }
    return words;
}

/// The value texts (after the date and time) of every record of the station's daily files in
/// `folder`, oldest file first.
inline std::vector<std::vector<std::string>> LoggedRecords(const std::string& folder, const std::string& station,
                                                           const char* extension = ".log") {
    std::vector<std::string> files;
    if (std::filesystem::exists(folder)) {
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (entry.path().filename().string().starts_with(station + "-") && entry.path().extension() == extension) {
                files.push_back(entry.path().string());
            }
        }
    }
    std::sort(files.begin(), files.end());
    std::vector<std::vector<std::string>> records;
    for (const std::string& file : files) {
        for (const std::string& line : Lines(ReadFileBytes(file))) {
            if (line.find('/') == 2) {
                std::vector<std::string> fields = Words(line, ',');
                records.emplace_back(fields.begin() + 2, fields.end());
            }
        }
    }
    return records;
}

/// Each record of LoggedRecords as one text, "a,b,c".
inline std::vector<std::string> LoggedValues(const std::string& folder, const std::string& station) {
    std::vector<std::string> joined;
    for (const std::vector<std::string>& values : LoggedRecords(folder, station)) {
        std::string text;
        for (std::size_t i = 0; i < values.size(); ++i) {
            text += (i > 0 ? "," : "") + values[i];
        }
        joined.push_back(text);
    }
    return joined;
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

    /// The Hill station replaying `records` records of MakeLog, changed by `change`, as the only
    /// station of the folder; logs/ is made for it.
    void SaveHill(int records, const std::function<void(WSFile&)>& change = {}) const {
        WriteFileBytes(File("in.log"), MakeLog(records));
        std::filesystem::create_directories(File("logs"));
        std::unique_ptr<WSFile> hill = HillStation();
        if (change) {
            change(*hill);
        }
        StationList stations;
        stations.push_back(std::move(hill));
        Save(stations);
    }

    TempDir dir;
};

}  // namespace svu::test
