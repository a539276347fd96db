#include "runtime/Runtime.h"

#include <algorithm>
#include <chrono>

#include "framework/Clock.h"
#include "framework/Settings.h"
#include "framework/StringTable.h"
#include "framework/UserInterface.h"
#include "runtime/ClassTables.h"
#include "stations/StationReports.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

constexpr int kNoDataWarning = 248;
constexpr int kMinimumNoDataPeriod = 60;
constexpr auto kStopPollInterval = std::chrono::milliseconds(5);

// The kinds that share the radio link take turns on one thread at a time.
bool IsSharedRadioKind(int32_t typeCode) {
    return typeCode == 3 || typeCode == 9 || typeCode == 11;
}

}  // namespace

// The enabled stations as web pages see them; every copy is made under the station's lock.
class Runtime::ValueSource : public WebValueSource {
public:
    explicit ValueSource(const StationList& stations) : stations_(stations) {}

    std::size_t StationCount() const override {
        return static_cast<std::size_t>(
            std::count_if(stations_.begin(), stations_.end(), [](const auto& s) { return s->active != 0; }));
    }
    std::string StationName(std::size_t station) const override { return At(station).name; }
    void CopyChannelNames(std::size_t station, std::vector<std::string>& names) const override {
        const WeatherStation& s = At(station);
        std::lock_guard guard(s.lock);
        names = s.channelNames;
    }
    void CopyValue(std::size_t station, std::size_t channel, std::string& value) const override {
        const WeatherStation& s = At(station);
        std::lock_guard guard(s.lock);
        if (channel < s.values.size()) {
            value = s.values[channel];
        } else {
            value.clear();
        }
    }

private:
    const WeatherStation& At(std::size_t index) const {
        for (const auto& s : stations_) {
            if (s->active && index-- == 0) {
                return *s;
            }
        }
        return *stations_.front();  // not reached: indexes come from StationCount
    }

    const StationList& stations_;
};

Runtime::Runtime(Settings& settings, UserInterface& ui, Clock& clock)
    : settings_(settings),
      ui_(ui),
      clock_(clock),
      values_(std::make_unique<ValueSource>(stations_)),
      live_(std::make_unique<LiveOutputs>()) {
    RegisterAllClasses(classes_);
    const int minutes = settings.GetSettingInt(kSectionNoDataWarning, kKeyNoDataMinutes, kNoDataMinutesDefault);
    const int hours = settings.GetSettingInt(kSectionNoDataWarning, kKeyNoDataHours, kNoDataHoursDefault);
    noDataPeriod_ = (minutes + hours * 60) * 60;
    web_ = WebOutput(LoadWebOutputSettings(settings));
}

Runtime::~Runtime() {
    if (acquisitionRunning_) {
        StopAcquisition();
    }
}

StationFileResult Runtime::LoadStations() {
    StationFileResult result = LoadStationFile(settings_.StationFilePath(), classes_);
    stations_ = std::move(result.stations);
    result.stations.clear();
    NotifyStations(StationsChange::Loaded);
    return result;
}

bool Runtime::SaveStations(std::string* error) {
    if (!SaveStationFile(settings_.StationFilePath(), stations_, error)) {
        return false;
    }
    NotifyStations(StationsChange::Saved);
    return true;
}

WeatherStation* Runtime::FindStation(const std::string& name) const {
    for (const auto& station : stations_) {
        if (station->name == name) {
            return station.get();
        }
    }
    return nullptr;
}

void Runtime::StartAcquisition() {
    if (acquisitionRunning_) {
        return;
    }
    ui_.BeginWaitCursor();
    stopRequested_.store(false);
    NotifyStations(StationsChange::Started);
    {
        std::lock_guard guard(threadsMutex_);
        sharedThreadStations_.clear();
        for (const auto& station : stations_) {
            if (!station->active) {
                continue;
            }
            station->lastDataTime.store(clock_.Now());
            if (!station->InitComms(*this)) {
                continue;  // stays idle for this run
            }
            if (IsSharedRadioKind(station->typeCode)) {
                sharedThreadStations_.push_back(station.get());
            } else {
                StartThreadLocked(*station);
            }
        }
        if (!sharedThreadStations_.empty()) {
            StartThreadLocked(*sharedThreadStations_.front());
        }
    }
    acquisitionRunning_ = true;
    NotifyAcquisition(true);
    ui_.EndWaitCursor();
}

void Runtime::StartThreadLocked(WeatherStation& station) {
    // The radio chain starts a thread per turn: those that have ended are joined here so the list
    // stays short over a long run.
    std::erase_if(workers_, [](Worker& w) {
        if (!w.finished->load()) {
            return false;
        }
        w.thread.join();
        return true;
    });
    auto finished = std::make_shared<std::atomic<bool>>(false);
    std::thread thread([this, &station, finished] {
        StationThreadEntry(station, *this);
        finished->store(true);
    });
    workers_.push_back({std::move(thread), std::move(finished)});
}

void Runtime::StartNextRadioStation(WeatherStation& finished) {
    std::lock_guard guard(threadsMutex_);
    if (stopRequested_.load() || sharedThreadStations_.empty()) {
        return;
    }
    auto it = std::find(sharedThreadStations_.begin(), sharedThreadStations_.end(), &finished);
    if (it == sharedThreadStations_.end() || ++it == sharedThreadStations_.end()) {
        it = sharedThreadStations_.begin();
    }
    StartThreadLocked(**it);
}

void Runtime::RequestStop() {
    if (acquisitionRunning_) {
        ui_.BeginWaitCursor();
        stopRequested_.store(true);
        ui_.EndWaitCursor();
    }
}

bool Runtime::FinishStop() {
    if (!acquisitionRunning_) {
        return true;
    }
    if (!stopRequested_.load()) {
        return false;
    }
    {
        std::lock_guard guard(threadsMutex_);
        for (const Worker& w : workers_) {
            if (!w.finished->load()) {
                return false;
            }
        }
        for (Worker& w : workers_) {
            w.thread.join();
        }
        workers_.clear();
        sharedThreadStations_.clear();
    }
    for (const auto& station : stations_) {
        std::lock_guard guard(station->lock);
        station->CloseLogFile();
    }
    acquisitionRunning_ = false;
    NotifyAcquisition(false);
    return true;
}

void Runtime::StopAcquisition(const std::function<void()>& pump) {
    RequestStop();
    while (!FinishStop()) {
        if (pump) {
            pump();
        }
        std::this_thread::sleep_for(kStopPollInterval);
    }
}

std::size_t Runtime::StartedThreadCount() const {
    std::lock_guard guard(threadsMutex_);
    return workers_.size();
}

RefreshResult Runtime::Refresh() {
    RefreshResult result;
    if (!acquisitionRunning_) {
        return result;
    }
    const bool someEnabled = CheckNoData();
    if (DisableAllAlarms().load() == 0 && someEnabled) {
        result.alertsChanged = BuildAlertsText();
    }
    result.webPageProduced = web_.Tick(clock_.TickMs(), clock_.Now(), *values_);
    return result;
}

bool Runtime::CheckNoData() {
    bool someEnabled = false;
    const TimeT now = clock_.Now();
    // Every enabled station is watched, not only the first: one silent station among several
    // must not go unnoticed.
    for (const auto& station : stations_) {
        if (!station->active) {
            continue;
        }
        someEnabled = true;
        if (noDataPeriod_ < kMinimumNoDataPeriod || now - station->lastDataTime.load() <= noDataPeriod_) {
            continue;
        }
        station->lastDataTime.store(now);
        const std::string warning = FormatString(kNoDataWarning, FormatUserTime(now), FormatUserDate(now));
        std::lock_guard guard(station->lock);
        station->alarmText += warning;
    }
    return someEnabled;
}

bool Runtime::BuildAlertsText() {
    std::string text;
    for (const auto& station : stations_) {
        std::lock_guard guard(station->lock);
        if (station->alarmText.empty()) {
            continue;
        }
        if (alertsResetRequested_) {
            station->alarmText.clear();
        } else {
            text += station->name;
            text += ":\r\n";
            text += station->alarmText;
        }
    }
    alertsResetRequested_ = false;
    if (text.empty() || text == alertsText_) {
        return false;
    }
    alertsText_ = std::move(text);
    return true;
}

void Runtime::ResetAlerts() {
    alertsText_.clear();
    alertsResetRequested_ = true;
}

const WebValueSource& Runtime::Values() const {
    return *values_;
}

void Runtime::OnRewind(WeatherStation& station) {
    if (rewindHook_) {
        rewindHook_(station);
    }
}

void Runtime::OnAlarmStateChanged(WeatherStation& station) {
    if (alarmHook_) {
        alarmHook_(station);
    }
}

// ---- Outputs that follow the readings ----

void Runtime::AddOutput(LiveOutput& output) {
    std::unique_lock guard(outputsMutex_);
    if (std::find(outputs_.begin(), outputs_.end(), &output) == outputs_.end()) {
        outputs_.push_back(&output);
    }
}

void Runtime::RemoveOutput(LiveOutput& output) {
    // Waits for a reading being handed to it on a station thread to finish.
    std::unique_lock guard(outputsMutex_);
    std::erase(outputs_, &output);
}

std::vector<LiveOutput*> Runtime::OutputsCopy() const {
    std::shared_lock guard(outputsMutex_);
    return outputs_;
}

void Runtime::OnReading(WeatherStation& station) {
    std::shared_lock guard(outputsMutex_);
    for (LiveOutput* output : outputs_) {
        output->OnReading(station);
    }
}

void Runtime::NotifyStations(StationsChange why) {
    // Not under the list's lock: the outputs take each station's lock to copy its values, and a
    // station thread holding its own lock may be waiting for ours.
    for (LiveOutput* output : OutputsCopy()) {
        output->OnStationsChanged(stations_, why);
    }
}

void Runtime::NotifyAcquisition(bool running) {
    for (LiveOutput* output : OutputsCopy()) {
        output->OnAcquisitionChanged(running);
    }
}

std::vector<std::string> Runtime::StartLiveOutputs() {
    StopLiveOutputs();
    std::vector<std::string> problems = live_->Start(settings_, stations_, acquisitionRunning_);
    for (LiveOutput* output : live_->Running()) {
        AddOutput(*output);
    }
    for (const std::string& problem : problems) {
        ReportError(nullptr, problem);
    }
    return problems;
}

void Runtime::StopLiveOutputs() {
    for (LiveOutput* output : live_->Running()) {
        RemoveOutput(*output);
    }
    live_->Stop();
}

}  // namespace svu
