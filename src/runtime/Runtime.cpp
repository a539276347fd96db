#include "runtime/Runtime.h"

#include <algorithm>
#include <chrono>

#include "framework/Clock.h"
#include "framework/SafeName.h"
#include "framework/StartupTrace.h"
#include "framework/Settings.h"
#include "framework/StringTable.h"
#include "framework/TextUtil.h"
#include "framework/UserInterface.h"
#include "runtime/ClassTables.h"
#include "runtime/LogHistoryReader.h"
#include "stations/Notifications.h"
#include "stations/StationReports.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

constexpr int kNoDataWarning = 248;
constexpr int kMinimumNoDataPeriod = 60;
constexpr auto kStopPollInterval = std::chrono::milliseconds(5);
constexpr int64_t kRepeatFlushPeriodMs = 1000;
constexpr const char* kCaption = "Stratavue";

// Cuts whole lines off the front of `text` until it holds at most `limit` bytes.
std::size_t TrimOldestLines(std::string& text, std::size_t limit) {
    if (text.size() <= limit) {
        return 0;
    }
    std::size_t cut = text.size() - limit;
    const std::size_t lineEnd = text.find('\n', cut == 0 ? 0 : cut - 1);
    cut = lineEnd == std::string::npos ? text.size() : lineEnd + 1;
    text.erase(0, cut);
    return cut;
}

std::string WebProblemText(WebOutputResult result, const WebOutputSettings& web) {
    switch (result) {
        case WebOutputResult::TemplateUnreadable:
            return "Web output: the template \"" + EscapeControls(web.templateFile) +
                   "\" cannot be read (missing, not a regular file or larger than " +
                   std::to_string(kMaxWebTemplateBytes) + " bytes)";
        case WebOutputResult::OutputUnwritable:
            return "Web output: the page \"" + EscapeControls(web.outputFile) + "\" cannot be written";
        case WebOutputResult::OutputIsTemplate:
            return "Web output: the page \"" + EscapeControls(web.outputFile) +
                   "\" is the template itself; no page is written over it";
        case WebOutputResult::Written:
            break;
    }
    return "Web output: pages are written again";
}

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
      radioChain_([this](WeatherStation& station) {
          std::lock_guard guard(threadsMutex_);
          StartThreadLocked(station);
      }),
      values_(std::make_unique<ValueSource>(stations_)),
      history_(std::make_unique<LogHistoryReader>()),
      live_(std::make_unique<LiveOutputs>()) {
    RegisterAllClasses(classes_);
    live_->SetHistoryReader(history_.get());
    const int minutes = settings.GetSettingInt(kSectionNoDataWarning, kKeyNoDataMinutes, kNoDataMinutesDefault);
    const int hours = settings.GetSettingInt(kSectionNoDataWarning, kKeyNoDataHours, kNoDataHoursDefault);
    noDataPeriod_ = (minutes + hours * 60) * 60;
    web_ = WebOutput(LoadWebOutputSettings(settings));
}

Runtime::~Runtime() {
    if (acquisitionRunning_ && !StopAcquisition()) {
        // The threads use this object and the stations: it cannot go before they have ended.
        stopTimeout_ = std::chrono::hours(24 * 365);
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

bool Runtime::StartAcquisition() {
    if (acquisitionRunning_) {
        return true;
    }
    pid_t holder = 0;
    std::string error;
    if (!folderLock_.Acquire(settings_.ProgramDir(), holder, error)) {
        const std::string text =
            holder > 0 ? "Another copy of Stratavue (process " + std::to_string(holder) +
                             ") is acquiring with this program folder: " + EscapeControls(settings_.ProgramDir())
                       : "Acquisition cannot start: the program folder cannot be locked (" + EscapeControls(error) + ")";
        ui_.MessageBox(text, kCaption, MsgButtons::Ok, MsgIcon::Stop);
        return false;
    }
    ui_.BeginWaitCursor();
    stopRequested_.store(false);
    NotifyStations(StationsChange::Started);
    std::vector<WeatherStation*> radioStations;
    {
        std::lock_guard guard(threadsMutex_);
        for (const auto& station : stations_) {
            if (!station->active) {
                continue;
            }
            station->lastDataTime.store(clock_.Now());
            if (!station->InitComms(*this)) {
                continue;  // stays idle for this run
            }
            if (IsSharedRadioKind(station->typeCode)) {
                radioStations.push_back(station.get());
            } else {
                StartThreadLocked(*station);
            }
        }
    }
    radioChain_.Begin(std::move(radioStations));
    acquisitionRunning_ = true;
    webReported_.reset();
    alertsSeen_.clear();
    NotifyAcquisition(true);
    ui_.EndWaitCursor();
    return true;
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
    workers_.push_back({std::move(thread), std::move(finished), &station});
}

void Runtime::StartNextRadioStation(WeatherStation& finished) {
    radioChain_.TurnEnded(finished, stopRequested_.load());
}

void Runtime::UpdateRadioChain() {
    if (!acquisitionRunning_) {
        return;
    }
    std::size_t position = 0;
    for (const auto& station : stations_) {
        if (!IsSharedRadioKind(station->typeCode)) {
            continue;
        }
        const bool member = radioChain_.Contains(*station);
        if (!station->active) {
            // Its running turn, if any, ends by itself; it just gets no further one.
            radioChain_.Remove(*station);
            continue;
        }
        if (!member) {
            station->lastDataTime.store(clock_.Now());
            if (!station->InitComms(*this)) {
                continue;
            }
            radioChain_.Insert(*station, position, stopRequested_.load());
        }
        ++position;
    }
    // Members no longer in the list at all leave too.
    for (WeatherStation* member : radioChain_.Members()) {
        const bool listed =
            std::any_of(stations_.begin(), stations_.end(), [member](const auto& s) { return s.get() == member; });
        if (!listed) {
            radioChain_.Remove(*member);
        }
    }
}

void Runtime::JoinStationThreads(const WeatherStation& station, const std::function<void()>& pump) {
    while (true) {
        {
            std::lock_guard guard(threadsMutex_);
            const bool running = std::any_of(workers_.begin(), workers_.end(), [&](const Worker& w) {
                return w.station == &station && !w.finished->load();
            });
            if (!running) {
                std::erase_if(workers_, [&](Worker& w) {
                    if (w.station != &station) {
                        return false;
                    }
                    w.thread.join();
                    return true;
                });
                return;
            }
        }
        // Not under the lock: the ending turn starts its successor, which takes it.
        if (pump) {
            pump();
        }
        std::this_thread::sleep_for(kStopPollInterval);
    }
}

bool Runtime::DeleteStation(WeatherStation& station, const std::function<void()>& pump) {
    const auto it =
        std::find_if(stations_.begin(), stations_.end(), [&](const auto& s) { return s.get() == &station; });
    if (it == stations_.end()) {
        return false;
    }
    if (acquisitionRunning_) {
        if (!IsSharedRadioKind(station.typeCode)) {
            return false;  // its own thread polls it until acquisition stops
        }
        radioChain_.Remove(station);
        JoinStationThreads(station, pump);
        std::lock_guard guard(station.lock);
        station.CloseLogFile();
    }
    alertsSeen_.erase(&station);
    stations_.erase(it);
    return true;
}

void Runtime::RequestStop() {
    if (recorder_ != nullptr) {
        recorder_->Abandon();  // a recording cut short by the stop is not catalogued
    }
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
    }
    radioChain_.Clear();
    for (const auto& station : stations_) {
        std::lock_guard guard(station->lock);
        station->CloseLogFile();
    }
    FlushReportRepeats();
    folderLock_.Release();
    acquisitionRunning_ = false;
    NotifyAcquisition(false);
    return true;
}

bool Runtime::StopAcquisition(const std::function<void()>& pump) {
    RequestStop();
    const auto deadline = std::chrono::steady_clock::now() + stopTimeout_;
    while (!FinishStop()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            std::lock_guard guard(threadsMutex_);
            for (const Worker& w : workers_) {
                if (!w.finished->load() && w.station != nullptr) {
                    const std::string text = "The acquisition thread of " + EscapeControls(w.station->name) +
                                             " did not end within " +
                                             std::to_string(stopTimeout_.count() / 1000.0).substr(0, 4) + " s";
                    ReportError(nullptr, text);
                    PostNotice(nullptr, text);
                }
            }
            return false;
        }
        if (pump) {
            pump();
        }
        std::this_thread::sleep_for(kStopPollInterval);
    }
    return true;
}

std::size_t Runtime::StartedThreadCount() const {
    std::lock_guard guard(threadsMutex_);
    return workers_.size();
}

RefreshResult Runtime::Refresh() {
    RefreshResult result;
    if (recorder_ != nullptr) {
        recorder_->Poll();
    }
    if (!acquisitionRunning_) {
        return result;
    }
    const bool someEnabled = CheckNoData();
    if (DisableAllAlarms().load() == 0 && someEnabled) {
        result.alertsChanged = BuildAlertsText(result.newAlerts);
    }
    result.webPageProduced = web_.Tick(clock_.TickMs(), clock_.Now(), *values_);
    const int64_t tick = clock_.TickMs();
    if (tick - lastRepeatFlushMs_ >= kRepeatFlushPeriodMs || tick < lastRepeatFlushMs_) {
        lastRepeatFlushMs_ = tick;
        FlushReportRepeats(false);
    }
    ShowNotices();
    return result;
}

void Runtime::ShowNotices() {
    if (showingNotices_) {
        return;  // a message box of ours is open and its event loop ticked again
    }
    std::vector<std::string> notices = TakeNotices();
    if (web_.LastResult() && web_.LastResult() != webReported_ &&
        (webReported_ || *web_.LastResult() != WebOutputResult::Written)) {
        webReported_ = web_.LastResult();
        const std::string text = WebProblemText(*webReported_, web_.Config());
        ReportError(nullptr, text);
        notices.push_back(text);
    }
    showingNotices_ = true;
    for (const std::string& text : notices) {
        ui_.MessageBox(text, kCaption, MsgButtons::Ok, MsgIcon::Warning);
    }
    showingNotices_ = false;
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

bool Runtime::BuildAlertsText(std::string& added) {
    std::string text;
    for (const auto& station : stations_) {
        std::lock_guard guard(station->lock);
        std::size_t& seen = alertsSeen_[station.get()];
        if (station->alarmText.empty()) {
            seen = 0;
            continue;
        }
        if (alertsResetRequested_) {
            station->alarmText.clear();
            seen = 0;
            continue;
        }
        if (seen > station->alarmText.size()) {
            seen = 0;  // replaced by a shorter text meanwhile
        }
        const std::string name = EscapeControls(station->name);
        if (seen < station->alarmText.size()) {
            added += name;
            added += ":\r\n";
            added.append(station->alarmText, seen, std::string::npos);
            seen = station->alarmText.size();
        }
        // Kept bounded over a long run: the oldest lines go first.
        const std::size_t cut = TrimOldestLines(station->alarmText, kMaxAlertBytesPerStation);
        seen -= std::min(seen, cut);
        text += name;
        text += ":\r\n";
        text += station->alarmText;
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

void Runtime::OnAlarmTriggered(WeatherStation& station, const Alarm& alarm) {
    if (alarmTriggerHook_) {
        alarmTriggerHook_(station, alarm);
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
    if (station.logFile.IsOpen()) {
        static std::atomic<bool> logged{false};
        TraceStartup(logged, "first logged record");
    }
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
