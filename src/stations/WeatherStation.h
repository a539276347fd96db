#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "framework/LocalTime.h"
#include "framework/Serializable.h"
#include "stations/ChannelNumbers.h"
#include "stations/LocalTimeCache.h"
#include "stations/LogFile.h"
#include "stations/StationCounters.h"
#include "stations/StationHost.h"

namespace svu {

class Alarm;
class Archive;
class Clock;
class FieldVisitor;
class ProcessedData;
class UserInterface;

/// "Disable all" alarms: no alarm of any station is evaluated while it is non-zero.
std::atomic<int32_t>& DisableAllAlarms();
/// "Mute alarms": the alarm window does not beep while it is non-zero.
std::atomic<int32_t>& MuteAllAlarms();

/// A source of readings (the user interface calls it a monitoring system). The base owns the
/// channel table, the settings and their record, the lock that guards the table, and the fixed
/// steps after every reading (derived channels, alarms, network file, daily log); each kind adds
/// its communication through the virtual operations.
class WeatherStation : public Serializable {
public:
    static constexpr uint16_t kSchema = 9;
    /// Channel counts beyond this are taken as damage when a record is read.
    static constexpr int32_t kMaxChannels = 65536;

    ~WeatherStation() override;
    WeatherStation& operator=(const WeatherStation&) = delete;

    uint16_t Schema() const override { return kSchema; }
    /// The station record, then the kind's own fields (VisitKindFields).
    void Serialize(Archive& ar) override;

    // ---- The virtual operations every kind may supply ----

    /// Progress text in the transfer window of kinds that have one.
    virtual void ShowProgress(const std::string& text) {}
    /// The same for a numbered text.
    virtual void ShowProgress(int stringId);
    /// The progress window of a running transfer, if any.
    virtual UserInterface* GetProgressWindow() { return nullptr; }
    /// Prepares communications on the user-interface thread before the worker thread starts;
    /// false keeps the station out of this acquisition run.
    virtual bool InitComms(StationHost& host);
    /// Erases the instrument's logger memory.
    virtual bool ClearMemory() { return false; }
    /// Downloads the instrument's logged data into a log file at `targetPath`.
    virtual void Download(const std::string& targetPath) {}
    /// Reads the channel list and calibration from the instrument (or the input file).
    virtual bool ReadConfiguration() { return false; }
    /// Sends the channel calibration to the instrument.
    virtual bool WriteConfiguration() { return false; }
    /// Sets the instrument's clock from the computer's.
    virtual void SetClock() {}
    virtual void GetLoggerInterval(int& minutes) {}
    virtual void SetLoggerInterval(int minutes) {}
    virtual void GetGustPeriod(int& seconds) {}
    virtual void SetGustPeriod(int seconds) {}
    /// First step of ThreadFunction; false ends the thread at once.
    virtual bool StartRealtime() { return true; }
    /// Last step of ThreadFunction before the port is closed.
    virtual bool StopRealtime() { return true; }
    /// Sends a command and returns the instrument's reply (terminal-style kinds).
    virtual std::string Transact(const std::string& command) { return ""; }
    /// Sends a command without reading a reply.
    virtual bool SendOnly(const std::string& command) { return false; }
    /// A new station of the same kind with a copy of every setting, alarm and derived channel
    /// (not the name); its value texts are empty.
    virtual std::unique_ptr<WeatherStation> Duplicate() const = 0;
    /// The body of the worker thread: polls until the host's stop request (see RunAcquisition).
    virtual void ThreadFunction(StationHost& host);
    /// Serial kinds close their port when it is open.
    virtual void ClosePort() {}

    /// The kind's own record fields, in record order, after the station record.
    virtual void VisitKindFields(FieldVisitor& v) {}
    /// Brings the tables a kind keeps in step with the channel count into shape; runs after a record
    /// is read and before one is written.
    virtual void FitTables() {}

    // ---- The record, field by field (the object lists are handled by the caller) ----

    /// channelNames, channelTypes, channelOffsets, channelMultipliers.
    void VisitChannelTables(FieldVisitor& v);
    /// The scalar fields from typeCode to the end of the station record.
    void VisitSettings(FieldVisitor& v);
    /// After the fields were read: checks the counts (empty text when they are sound, else what is
    /// wrong), publishes the alarm switches and sizes `values` to N.
    std::string FinishLoading();

    // ---- Reading processing (worker thread, `lock` held) ----

    /// Derived channels, alarms, network file and log, always in that order.
    void ProcessReading();
    /// Sets lastDataTime and calculates derived channel k into channel R + k, in array order.
    void CalculateDerivedChannels();
    /// Tests every enabled alarm against its channel.
    void EvaluateAlarms();
    /// Rewrites the network output file (when networkOutput is set and networkFile is not empty).
    void WriteNetworkFile();
    /// Appends the reading to the day's log file when logging and the log interval say so.
    void LogReading();
    /// Opens (creating with its header) the log file of readingTime's day.
    bool OpenLogFile();
    /// Appends one record for the current reading.
    void WriteLogRecord();
    /// Closes the day's log file (logging switched off, acquisition stopped), writing what waits.
    void CloseLogFile();
    /// While held, log records wait in memory and go to the file in large writes (a replay at full
    /// speed); releasing the hold, closing the file or changing day writes them.
    void HoldLogWrites(bool hold);
    /// Writes the log records that wait; false (reported) when they could not be written.
    bool FlushLog();

    /// Stores a reading under the lock and processes it: readingTime, then `fill(values)` writes the
    /// raw values, then ProcessReading and newData; then the host hears of the reading.
    template <class Fill>
    void StoreReading(TimeT time, Fill&& fill) {
        std::lock_guard guard(lock);
        readingTime = time;
        fill(values);
        ProcessReading();
        counters->readings.fetch_add(1, std::memory_order_relaxed);
        newData.store(true);
        if (host != nullptr) {
            host->OnReading(*this);
        }
    }

    /// The shape of every ThreadFunction: StartRealtime; then `poll` until the stop request;
    /// StopRealtime; ClosePort. A StartRealtime that fails is retried with a growing wait (see
    /// RestartDelayMs) until it succeeds or the stop request comes.
    template <class Poll>
    void RunAcquisition(StationHost& host, Poll&& poll);

    /// Sizes `values` to N with empty texts.
    void ResetValues();
    /// The number value text `channel` stands for (AtoF's result); `channel` must be within `values`.
    double ChannelNumber(size_t channel) { return numbers.Get(channel, values[channel]); }
    /// The clock of the running acquisition, or the system clock.
    Clock& GetClock() const;
    /// The host's stop request; true when no acquisition is running.
    bool StopRequested() const;
    /// The wait before start attempt `failures` + 1: one second, doubling up to a minute.
    static int64_t RestartDelayMs(int failures);

    // ---- Fields ----

    mutable std::recursive_mutex lock;  // guards values, readingTime, alarmText and newData
    std::atomic<bool> threadRunning{false};
    /// Set while a failed start is being retried: the kind's own reports of each failed attempt are
    /// left out (the failure was reported once) and it shows no message box.
    std::atomic<bool> startRetrying{false};
    int32_t logErrors = 0;
    int32_t schema = 0;  // schema of the record read
    int32_t logAlarms = 0;
    std::atomic<TimeT> lastDataTime;
    std::atomic<bool> newData{false};
    std::string alarmText;
    std::string logFolder;
    int32_t logInterval = 60;  // seconds
    int32_t logAllValues = 0;
    int32_t loggingEnabled = 0;
    int32_t networkOutput = 0;
    std::string networkFile;
    int32_t active = 0;
    int32_t typeCode = 0;
    std::vector<std::string> values;
    /// The numbers of the value texts, converted at most once per reading (see ChannelNumbers).
    ChannelNumbers numbers;
    TimeT readingTime;
    std::string name;
    std::vector<std::string> channelNames;
    std::vector<uint32_t> channelTypes;
    std::vector<uint32_t> channelOffsets;      // IEEE single bit patterns
    std::vector<uint32_t> channelMultipliers;  // IEEE single bit patterns
    int32_t channelCount = 0;                  // N
    int32_t rawChannelCount = 0;               // R
    int32_t counterCount = 0;
    int32_t loggerInterval = 2;  // minutes
    int32_t gustPeriod = 10;     // seconds
    int32_t passive = 0;
    std::vector<std::unique_ptr<Alarm>> alarms;
    std::vector<std::unique_ptr<ProcessedData>> derived;
    TimeT nextLogTime;
    LogFile logFile;
    int32_t portOpen = 0;
    int32_t logDay = 0;  // day of month of the open log file

    /// The alarm switches as this station's record holds them (written from the switches in force).
    int32_t recordDisableAllAlarms = 0;
    int32_t recordMuteAllAlarms = 0;

    /// Counts for monitoring; a copy of the station gets counters of its own.
    std::shared_ptr<StationCounters> counters = std::make_shared<StationCounters>();

    /// The program around a running station; set while its worker thread runs.
    StationHost* host = nullptr;

protected:
    WeatherStation();
    explicit WeatherStation(std::string stationName);
    /// What Duplicate copies: every setting, the alarms and clones of the derived channels (linked
    /// to the copy), the run-time times and texts; not the name, the lock, the log file or the port.
    WeatherStation(const WeatherStation& other);

private:
    void AppendLogStamp(std::string& line, const LocalTm& tm) const;
    /// Reports a log that cannot be opened or written (a notice once per outage, errno telling why).
    void LogWriteFailed(const std::string& what);
    /// Ends an outage: logging works again.
    void LogWriteSucceeded();
    /// The first failed start: reported once, then retries are quiet.
    void StartFailed();
    /// A start that succeeded after `failures` failed ones.
    void StartRecovered(int failures);
    /// Sleeps before the next start attempt, ending early on the stop request.
    void WaitBeforeRestart(StationHost& host, int failures);

    LocalTimeCache localTimes_;
    int32_t logDate_ = 0;     // yyyymmdd of the open log file
    bool logWriteFailing_ = false;
    bool holdLogWrites_ = false;
    std::string networkBuffer_;
};

/// The worker thread's entry: marks the station running, runs its ThreadFunction with the host,
/// and marks it stopped. Nothing thrown inside gets out of the thread.
void StationThreadEntry(WeatherStation& station, StationHost& host);

/// Daily log file name: folder + "/" + station name + "-" + yyyymmdd + ".log".
std::string LogFileName(const std::string& folder, const std::string& stationName, int year, int month, int day);

/// The first due time of interval logging after the "Logging" page is closed at `now` with a count
/// of `count` units of `unitSeconds` (1, 60 or 3600): `now` truncated to a multiple of the count.
TimeT AlignedLogStart(TimeT now, int count, int unitSeconds);

template <class Poll>
void WeatherStation::RunAcquisition(StationHost& host, Poll&& poll) {
    // An instrument switched on after the computer, a port or file that appears later: a start
    // that fails is tried again, less often the longer it fails, until the stop request.
    int failures = 0;
    while (!host.StopRequested()) {
        if (StartRealtime()) {
            if (failures > 0) {
                StartRecovered(failures);
            }
            while (!host.StopRequested()) {
                poll();
            }
            StopRealtime();
            break;
        }
        ClosePort();
        if (failures++ == 0) {
            StartFailed();
        }
        WaitBeforeRestart(host, failures);
    }
    startRetrying.store(false);
    ClosePort();
}

}  // namespace svu
