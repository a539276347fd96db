#pragma once

// The main loop without a window, shared by the desktop program and the service: the station list
// and its file, real-time acquisition on and off, and the steps of the 10 ms refresh cycle that do
// not draw (no-data warning, alerts text, web output), and the one list of outputs that follow
// the readings as they arrive (live values, MQTT).

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "framework/ClassRegistry.h"
#include "outputs/LiveOutput.h"
#include "outputs/LiveOutputs.h"
#include "framework/FolderLock.h"
#include "outputs/WebOutput.h"
#include "stations/StationFile.h"
#include "stations/StationHost.h"

namespace svu {

class Clock;
class Settings;
class UserInterface;
class WeatherStation;

/// What one refresh tick did.
struct RefreshResult {
    bool alertsChanged = false;  // the alerts text was replaced (the window shows it and signals)
    bool webPageProduced = false;
    std::string newAlerts;  // the alert lines added since the last tick, under their station names
};

class Runtime : public StationHost {
public:
    /// Reads the "NoDataWarning" and "WebOutput" settings. The settings, interface and clock must
    /// outlive the runtime.
    Runtime(Settings& settings, UserInterface& ui, Clock& clock);
    /// Stops acquisition (waiting for the threads) when it still runs.
    ~Runtime() override;
    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;

    // ---- The station list and its file ----

    /// Loads the station definition file of the program folder (replacing the list). On failure
    /// the list is left empty and the result says why.
    StationFileResult LoadStations();
    /// Writes the list to the station definition file; false (with `error`) when it cannot be written.
    bool SaveStations(std::string* error = nullptr);
    /// The stations, in definition order. Change the list only while acquisition is off.
    StationList& Stations() { return stations_; }
    const StationList& Stations() const { return stations_; }
    /// The first station of that name, or nullptr.
    WeatherStation* FindStation(const std::string& name) const;
    /// The archive classes of station files.
    const ClassRegistry& Classes() const { return classes_; }

    // ---- Acquisition ----

    /// Starts every active station whose communications open: its own worker thread, or a turn in
    /// the shared radio chain. Does nothing while acquisition runs. First takes the program
    /// folder's lock: when another copy holds it, says so through the user interface and returns
    /// false without starting anything.
    bool StartAcquisition();
    /// Sets the stop request and returns at once; the threads end at their next poll.
    void RequestStop();
    /// After RequestStop: when every station thread has ended, joins them, closes the logs, marks
    /// acquisition stopped and returns true; otherwise returns false at once. A caller with its own
    /// event loop calls it from there until it is true.
    bool FinishStop();
    /// RequestStop, then FinishStop until it succeeds, calling `pump` (the caller's event processing)
    /// between checks. A station thread that has not ended after the stop time-out is reported and
    /// false returned; acquisition then stays marked running (the thread still uses its station).
    bool StopAcquisition(const std::function<void()>& pump = {});
    /// How long StopAcquisition waits for the threads (30 s unless set).
    void SetStopTimeout(std::chrono::milliseconds timeout) { stopTimeout_ = timeout; }
    bool AcquisitionRunning() const { return acquisitionRunning_; }
    /// Stations that have a thread running or waiting to be joined.
    std::size_t StartedThreadCount() const;

    // ---- The refresh cycle ----

    /// One tick of the refresh cycle (every 10 ms while the program runs): the no-data warning,
    /// the alerts text and web output. Does nothing while acquisition is off.
    RefreshResult Refresh();
    /// Bytes of alert text kept per station; the oldest lines go first.
    static constexpr std::size_t kMaxAlertBytesPerStation = 32 * 1024;
    /// The alerts text as last built ("Alerts & Alarms").
    const std::string& AlertsText() const { return alertsText_; }
    /// "Reset": empties the shown text; the next tick empties every station's message text.
    void ResetAlerts();
    /// No-data period in seconds; below 60 the warning is off.
    int NoDataPeriod() const { return noDataPeriod_; }
    void SetNoDataPeriod(int seconds) { noDataPeriod_ = seconds; }
    /// Web page output (settings, timing, upload hook).
    WebOutput& Web() { return web_; }
    /// The enabled stations' names and values, as web pages and other outputs read them.
    const WebValueSource& Values() const;

    // ---- Outputs that follow the readings ----

    /// Registers an output: from now on it hears of every processed reading (on the station's
    /// thread), of the station list being loaded, saved or started, and of acquisition on and off.
    /// It must be removed before it is destroyed.
    void AddOutput(LiveOutput& output);
    void RemoveOutput(LiveOutput& output);
    /// (Re)starts the live-value server and MQTT as the settings file asks. The problems met are
    /// written to error.txt and returned.
    std::vector<std::string> StartLiveOutputs();
    /// Stops both.
    void StopLiveOutputs();
    /// The live-value server and MQTT publisher started by StartLiveOutputs.
    const LiveOutputs& Live() const { return *live_; }
    /// The same, to set up before StartLiveOutputs (the web server's address, display, files).
    LiveOutputs& LiveSetup() { return *live_; }

    // ---- Hooks for the display ----

    /// Called when a replayed input starts again (display items restart their history).
    void SetRewindHook(std::function<void(WeatherStation&)> hook) { rewindHook_ = std::move(hook); }
    /// Called when an alarm changes state (pages repaint their backgrounds).
    void SetAlarmStateHook(std::function<void(WeatherStation&)> hook) { alarmHook_ = std::move(hook); }

    // ---- StationHost ----

    bool StopRequested() const override { return stopRequested_.load(); }
    UserInterface& Ui() override { return ui_; }
    Clock& GetClock() override { return clock_; }
    void OnRewind(WeatherStation& station) override;
    void StartNextRadioStation(WeatherStation& finished) override;
    void OnAlarmStateChanged(WeatherStation& station) override;
    MailSender* Mail() override { return mail_; }
    Recorder* SoundRecorder() override { return recorder_; }

    // ---- Notifications ----

    /// Where alarm e-mails and recordings go (nullptr: nowhere). Each must outlive acquisition.
    void SetMailSender(MailSender* sender) { mail_ = sender; }
    void SetSoundRecorder(Recorder* recorder) { recorder_ = recorder; }
    void OnReading(WeatherStation& station) override;

private:
    class ValueSource;
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> finished;
        WeatherStation* station = nullptr;
    };

    /// Starts a worker thread for the station (under threadsMutex_).
    void StartThreadLocked(WeatherStation& station);
    /// Appends the no-data warning to stations that have been silent too long; true when any
    /// station is enabled.
    bool CheckNoData();
    /// Rebuilds the alerts text; true when it changed. What was added since the last build goes
    /// to `added`.
    bool BuildAlertsText(std::string& added);
    /// Shows the notices the stations posted and a change in web output's state.
    void ShowNotices();
    /// The registered outputs, copied (for calls made from the thread that owns the list).
    std::vector<LiveOutput*> OutputsCopy() const;
    void NotifyStations(StationsChange why);
    void NotifyAcquisition(bool running);

    Settings& settings_;
    UserInterface& ui_;
    Clock& clock_;
    ClassRegistry classes_;
    StationList stations_;
    std::vector<WeatherStation*> sharedThreadStations_;

    std::atomic<bool> stopRequested_{false};
    bool acquisitionRunning_ = false;
    mutable std::mutex threadsMutex_;
    std::vector<Worker> workers_;

    int noDataPeriod_ = 0;
    std::string alertsText_;
    std::map<const WeatherStation*, std::size_t> alertsSeen_;  // bytes of each text already shown as new
    std::optional<WebOutputResult> webReported_;
    bool showingNotices_ = false;
    int64_t lastRepeatFlushMs_ = 0;
    std::chrono::milliseconds stopTimeout_{30000};
    FolderLock folderLock_;
    bool alertsResetRequested_ = false;
    WebOutput web_;
    std::unique_ptr<ValueSource> values_;

    std::function<void(WeatherStation&)> rewindHook_;
    std::function<void(WeatherStation&)> alarmHook_;
    MailSender* mail_ = nullptr;
    Recorder* recorder_ = nullptr;

    // Station threads read the list on every reading; it changes only on the owning thread.
    mutable std::shared_mutex outputsMutex_;
    std::vector<LiveOutput*> outputs_;
    std::unique_ptr<HistoryReader> history_;  // the web server's reader of the logs
    std::unique_ptr<LiveOutputs> live_;  // last: stopped before anything it was told about goes
};

}  // namespace svu
