#include "stations/WeatherStation.h"

#include <algorithm>
#include <chrono>
#include <exception>

#include "framework/Archive.h"
#include "framework/Clock.h"
#include "framework/FieldVisitor.h"
#include "framework/StringTable.h"
#include "framework/UserInterface.h"
#include "stations/Alarm.h"
#include "stations/ProcessedData.h"
#include "stations/StationHost.h"
#include "stations/StationReports.h"

namespace svu {

namespace {

constexpr const char* kCaption = "Stratavue";
constexpr int64_t kFirstRestartDelayMs = 1000;
constexpr int64_t kLongestRestartDelayMs = 60000;
constexpr int64_t kRestartWaitSliceMs = 50;  // how soon a waiting restart notices the stop request

TimeT TimeOrigin() {
    return FromLocal(1970, 1, 1, 0, 0, 0);
}

}  // namespace

std::atomic<int32_t>& DisableAllAlarms() {
    static std::atomic<int32_t> value{0};
    return value;
}

std::atomic<int32_t>& MuteAllAlarms() {
    static std::atomic<int32_t> value{0};
    return value;
}

WeatherStation::WeatherStation()
    : lastDataTime(TimeOrigin()), readingTime(lastDataTime.load()), nextLogTime(readingTime) {}

WeatherStation::WeatherStation(std::string stationName) : WeatherStation() {
    name = std::move(stationName);
}

WeatherStation::WeatherStation(const WeatherStation& other)
    : Serializable(other),
      logErrors(other.logErrors),
      schema(other.schema),
      logAlarms(other.logAlarms),
      lastDataTime(other.lastDataTime.load()),
      newData(other.newData.load()),
      logFolder(other.logFolder),
      logInterval(other.logInterval),
      logAllValues(other.logAllValues),
      loggingEnabled(other.loggingEnabled),
      networkOutput(other.networkOutput),
      networkFile(other.networkFile),
      active(other.active),
      typeCode(other.typeCode),
      channelNames(other.channelNames),
      channelTypes(other.channelTypes),
      channelOffsets(other.channelOffsets),
      channelMultipliers(other.channelMultipliers),
      channelCount(other.channelCount),
      rawChannelCount(other.rawChannelCount),
      counterCount(other.counterCount),
      loggerInterval(other.loggerInterval),
      gustPeriod(other.gustPeriod),
      passive(other.passive),
      nextLogTime(other.nextLogTime),
      recordDisableAllAlarms(other.recordDisableAllAlarms),
      recordMuteAllAlarms(other.recordMuteAllAlarms) {
    {
        std::lock_guard guard(other.lock);
        alarmText = other.alarmText;
        readingTime = other.readingTime;
    }
    ResetValues();
    alarms.reserve(other.alarms.size());
    for (const auto& alarm : other.alarms) {
        alarms.push_back(alarm->Copy());
    }
    derived.reserve(other.derived.size());
    for (const auto& channel : other.derived) {
        if (std::unique_ptr<ProcessedData> clone = channel->Clone()) {
            // A copy computes into its own table, not into the table of the station it came from.
            clone->station = this;
            derived.push_back(std::move(clone));
        }
    }
}

WeatherStation::~WeatherStation() = default;

void WeatherStation::ShowProgress(int stringId) {
    const char* text = LoadString(stringId);
    ShowProgress(std::string(text != nullptr ? text : kResourceNotFound));
}

bool WeatherStation::InitComms(StationHost& host) {
    host.Ui().MessageBox("WeatherStation::InitComms() this should never be seen", kCaption, MsgButtons::Ok,
                         MsgIcon::Warning);
    return false;
}

void WeatherStation::ThreadFunction(StationHost& host) {
    host.Ui().MessageBox("WeatherStation::ThreadFunction() this should never be seen", kCaption, MsgButtons::Ok,
                         MsgIcon::Warning);
}

void WeatherStation::Serialize(Archive& ar) {
    ArchiveFieldVisitor v(ar, kSchema);  // taken first: reading the alarms changes the archive's schema
    if (ar.IsStoring()) {
        FitTables();
        recordDisableAllAlarms = DisableAllAlarms().load();
        recordMuteAllAlarms = MuteAllAlarms().load();
    }
    ar.ObList(alarms);
    VisitChannelTables(v);
    ar.ObList(derived);
    VisitSettings(v);
    VisitKindFields(v);
    if (ar.IsLoading()) {
        schema = v.Schema();
        for (const auto& channel : derived) {
            channel->station = this;
        }
        const std::string problem = FinishLoading();
        if (!problem.empty()) {
            throw ArchiveError("station '" + name + "': " + problem);
        }
    }
}

void WeatherStation::VisitChannelTables(FieldVisitor& v) {
    v.StringArray("channelNames", channelNames);
    v.UInt32Array("channelTypes", channelTypes);
    v.FloatBitsArray("channelOffsets", channelOffsets);
    v.FloatBitsArray("channelMultipliers", channelMultipliers);
}

void WeatherStation::VisitSettings(FieldVisitor& v) {
    v.Int32("typeCode", typeCode);
    v.String("name", name);
    v.Bool32("active", active);
    v.Bool32("DisableAllAlarms", recordDisableAllAlarms);
    v.Bool32("MuteAllAlarms", recordMuteAllAlarms);
    v.Bool32("logAllValues", logAllValues);
    v.Bool32("loggingEnabled", loggingEnabled);
    v.Int32("logInterval", logInterval);
    v.String("logFolder", logFolder);
    v.Int32("rawChannelCount", rawChannelCount);
    v.Int32("channelCount", channelCount);
    v.Int32("counterCount", counterCount);
    v.String("networkFile", networkFile);
    v.Bool32("networkOutput", networkOutput);
    const bool loading = v.IsLoading();
    if (v.Schema() >= 2) {
        v.Bool32("logAlarms", logAlarms);
    } else if (loading) {
        logAlarms = 0;
    }
    if (v.Schema() >= 3) {
        v.Bool32("logErrors", logErrors);
    } else if (loading) {
        logErrors = 0;
    }
    if (v.Schema() >= 6) {
        v.Int32("loggerInterval", loggerInterval);
        v.Int32("gustPeriod", gustPeriod);
        v.Bool32("passive", passive);
    } else if (loading) {
        loggerInterval = 2;
        gustPeriod = 10;
        passive = 0;
    }
}

std::string WeatherStation::FinishLoading() {
    if (channelCount < 0 || channelCount > kMaxChannels) {
        return "channel count " + std::to_string(channelCount) + " is out of range";
    }
    if (rawChannelCount < 0 || rawChannelCount > kMaxChannels) {
        return "raw channel count " + std::to_string(rawChannelCount) + " is out of range";
    }
    FitTables();
    ResetValues();
    // The switches are application-wide: after loading a file the last record read is in force.
    DisableAllAlarms().store(recordDisableAllAlarms);
    MuteAllAlarms().store(recordMuteAllAlarms);
    return {};
}

void WeatherStation::ResetValues() {
    values.assign(static_cast<size_t>(channelCount > 0 ? channelCount : 0), std::string());
}

Clock& WeatherStation::GetClock() const {
    return host != nullptr ? host->GetClock() : SystemClock();
}

bool WeatherStation::StopRequested() const {
    return host == nullptr || host->StopRequested();
}

int64_t WeatherStation::RestartDelayMs(int failures) {
    int64_t delay = kFirstRestartDelayMs;
    for (int i = 1; i < failures && delay < kLongestRestartDelayMs; ++i) {
        delay *= 2;
    }
    return std::min(delay, kLongestRestartDelayMs);
}

void WeatherStation::StartFailed() {
    const std::string text = "Acquisition could not start; trying again until it does";
    ReportError(this, text);
    PostNotice(this, text);
    startRetrying.store(true);
}

void WeatherStation::StartRecovered(int failures) {
    startRetrying.store(false);
    const std::string text = "Acquisition started after " + std::to_string(failures + 1) + " attempts";
    ReportError(this, text);
    PostNotice(this, text);
}

void WeatherStation::WaitBeforeRestart(StationHost& host, int failures) {
    Clock& clock = host.GetClock();
    const int64_t end = clock.TickMs() + RestartDelayMs(failures);
    while (!host.StopRequested()) {
        const int64_t left = end - clock.TickMs();
        if (left <= 0) {
            break;
        }
        clock.SleepFor(std::chrono::milliseconds(std::min<int64_t>(left, kRestartWaitSliceMs)));
    }
}

void WeatherStation::ProcessReading() {
    // Every derived channel and alarm of this reading reads the same numbers.
    const ChannelNumbers::Scope reading(numbers, values.size());
    CalculateDerivedChannels();
    EvaluateAlarms();
    if (networkOutput && !networkFile.empty()) {
        WriteNetworkFile();
    }
    LogReading();
}

void WeatherStation::CalculateDerivedChannels() {
    const ChannelNumbers::Scope reading(numbers, values.size());
    lastDataTime.store(GetClock().Now());
    const size_t raw = rawChannelCount > 0 ? static_cast<size_t>(rawChannelCount) : 0;
    for (size_t k = 0; k < derived.size(); ++k) {
        const size_t output = raw + k;
        if (output >= values.size()) {
            break;  // the table has no channel for it (inconsistent counts); nothing to write into
        }
        derived[k]->Calculate(static_cast<int>(output));
    }
}

void StationThreadEntry(WeatherStation& station, StationHost& host) {
    station.host = &host;
    station.threadRunning.store(true);
    try {
        station.ThreadFunction(host);
    } catch (const std::exception& e) {
        ReportError(nullptr, station.name + ": " + e.what());
    } catch (...) {
        ReportError(nullptr, station.name + ": unexpected failure in the acquisition thread");
    }
    station.host = nullptr;
    station.threadRunning.store(false);
}

}  // namespace svu
