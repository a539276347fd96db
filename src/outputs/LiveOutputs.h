#pragma once

// The outputs that follow the readings live, as the settings file asks for them: the live-value
// server ("LiveValues"), the MQTT publisher ("MQTT") and the web server ("WebServer"). The desktop program and the service both
// start them through the runtime.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "outputs/LiveOutput.h"
#include "outputs/LiveValueServer.h"
#include "outputs/MqttPublisher.h"
#include "outputs/WebApiServer.h"
#include "outputs/WebServerSettings.h"

namespace svu {

class Settings;

class LiveOutputs {
public:
    LiveOutputs() = default;
    ~LiveOutputs();
    LiveOutputs(const LiveOutputs&) = delete;
    LiveOutputs& operator=(const LiveOutputs&) = delete;

    /// Starts what the settings switch on, each told the station list and the acquisition state
    /// first. Returns the problems met (each a whole sentence saying what to do about it).
    std::vector<std::string> Start(const Settings& settings, const StationList& stations, bool running);
    /// Stops them all.
    void Stop();

    /// Where the web server reads logs for /api/history (must outlive the outputs).
    void SetHistoryReader(HistoryReader* reader) { history_ = reader; }
    /// The web server as these settings say, whatever the settings file says (the service's
    /// --http); none to follow the file again. Takes effect at the next Start.
    void SetWebServerOverride(std::optional<WebServerSettings> web) { webOverride_ = std::move(web); }
    /// The dashboard's folder (empty: FindDashboardFolder's).
    void SetWebFolder(std::string folder) { webFolder_ = std::move(folder); }
    /// The display file's pages for /api/display, now and after every start.
    void SetWebDisplay(std::optional<WebDisplay> display);

    /// The outputs that are running.
    std::vector<LiveOutput*> Running() const;
    LiveValueServer* Server() const { return server_.get(); }
    MqttPublisher* Mqtt() const { return mqtt_.get(); }
    WebApiServer* Web() const { return web_.get(); }

private:
    std::unique_ptr<LiveValueServer> server_;
    std::unique_ptr<MqttPublisher> mqtt_;
    std::unique_ptr<WebApiServer> web_;
    HistoryReader* history_ = nullptr;
    std::optional<WebServerSettings> webOverride_;
    std::string webFolder_;
    std::optional<WebDisplay> webDisplay_;
};

}  // namespace svu
