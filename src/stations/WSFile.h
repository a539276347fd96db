#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

#include "stations/WeatherStation.h"

namespace svu {

/// Reads the date and time of log records as ParseDateTime does, but remembers the last date seen:
/// records of one day then cost a few digit conversions instead of a call into the C library.
class LogTimeParser {
public:
    /// The local time of a "dd/mm/yy" date and an "hh:mm:ss" time (see ParseDateTime).
    TimeT Parse(std::string_view date, std::string_view time);

private:
    std::string date_;       // the date text of the cached day
    TimeT midnight_ = 0;     // its 00:00:00
    bool plainDay_ = false;  // a valid day of exactly 86400 s, so times are midnight + seconds
};

/// One record line of a replayed log split at its commas, without copying.
class FileRecord {
public:
    /// Splits `line` for a station of `raw` channels (Date, Time, then the values). A record may
    /// have fewer fields than channels. False for a damaged line: no date and time where they belong.
    bool Parse(std::string_view line, std::size_t raw);
    /// The date text (field 0).
    std::string_view Date() const { return fields_[0]; }
    /// The time text (field 1 without its leading spaces).
    std::string_view Time() const { return fields_[1]; }
    /// Copies the first `raw` fields into `values`, reusing their storage; channels the record has
    /// no field for become empty.
    void CopyTo(std::vector<std::string>& values, std::size_t raw) const;

private:
    std::vector<std::string_view> fields_;
};

/// Kind 12, "File": replays a daily log file record by record.
class WSFile : public WeatherStation {
public:
    static constexpr int32_t kTypeCode = 12;
    static constexpr const char* kClassName = "WSFile";
    /// Values of `speed`.
    static constexpr int32_t kMaximum = 0;
    static constexpr int32_t kOnePerSecond = 1;
    static constexpr int32_t kActualSpeed = 2;

    WSFile();
    explicit WSFile(std::string stationName);
    ~WSFile() override;

    const char* ClassName() const override { return kClassName; }
    std::unique_ptr<WeatherStation> Duplicate() const override;
    /// True when the input file exists.
    bool InitComms(StationHost& host) override;
    /// Takes the channel list from the log file's header: Date, Time, then its names.
    bool ReadConfiguration() override;
    /// Opens the log file, passes its header and starts the replay from the first record.
    bool StartRealtime() override;
    /// Closes the log file.
    bool StopRealtime() override;
    /// Releases records at the chosen speed until the stop request; loops when asked to.
    void ThreadFunction(StationHost& host) override;
    /// inputFile, loop, speed.
    void VisitKindFields(FieldVisitor& v) override;

    /// What a whole replay did.
    struct ReplayCounts {
        long records = 0;  // stored and processed
        long damaged = 0;  // reported and passed over
    };
    /// Runs the whole file once through the station's processing as fast as it can be read: no
    /// pacing, no loop, no wait. Logs are closed at the end. For reprocessing old logs.
    ReplayCounts ReplayOnce(StationHost& host);

    std::string inputFile;
    int32_t loop = 1;
    int32_t speed = kMaximum;

protected:
    WSFile(const WSFile& other);

private:
    class Reader;

    enum class Next { Record, Damaged, End };
    /// Reads the next record into record_; at the end of the file starts again when looping.
    Next ReadRecord(bool allowLoop);
    /// Back to the first record: header passed, derived channels and display histories reset.
    bool Restart();
    void Store();
    void Poll(StationHost& host);

    std::unique_ptr<Reader> replayFile_;
    FileRecord record_;
    LogTimeParser times_;
    TimeT recordTime_ = 0;
    bool havePending_ = false;  // a record read but not yet released (actual speed)
    // Pacing: "1 per second" remembers the clock second of the last record; "actual speed" the
    // clock tick and logged time that the following records are timed from.
    TimeT lastReleaseSecond_ = -1;
    bool paced_ = false;
    int64_t paceTickMs_ = 0;
    TimeT paceLogged_ = 0;
    TimeT lastLogged_ = 0;
    int64_t dueMs_ = 0;
};

}  // namespace svu
