#include "outputs/LiveOutputs.h"

#include "framework/Settings.h"
#include "outputs/LiveSettings.h"

namespace svu {

LiveOutputs::~LiveOutputs() {
    Stop();
}

std::vector<std::string> LiveOutputs::Start(const Settings& settings, const StationList& stations, bool running) {
    Stop();
    std::vector<std::string> problems;
    const LiveValuesSettings live = LoadLiveValuesSettings(settings);
    if (live.active != 0) {
        auto server = std::make_unique<LiveValueServer>();
        server->OnStationsChanged(stations, StationsChange::Loaded);
        server->OnAcquisitionChanged(running);
        LiveValueServer::Options options;
        options.socketPath = settings.FilePath(kLiveSocketName);
        if (live.port != 0) {
            options.tcpPort = live.port;
        }
        if (server->Start(options, problems)) {
            server_ = std::move(server);
        }
    }
    const MqttSettings mqtt = LoadMqttSettings(settings);
    if (mqtt.active != 0) {
        auto publisher = std::make_unique<MqttPublisher>(mqtt);
        publisher->OnStationsChanged(stations, StationsChange::Loaded);
        publisher->OnAcquisitionChanged(running);
        if (publisher->Start(problems)) {
            mqtt_ = std::move(publisher);
        }
    }
    const WebServerSettings web = webOverride_ ? *webOverride_ : LoadWebServerSettings(settings);
    if (web.active != 0) {
        auto server = std::make_unique<WebApiServer>();
        server->SetHistoryReader(history_);
        server->SetDisplay(webDisplay_);
        server->OnStationsChanged(stations, StationsChange::Loaded);
        server->OnAcquisitionChanged(running);
        WebApiServer::Options options;
        options.address = web.address;
        options.port = web.port;
        options.token = web.token;
        options.webFolder = webFolder_.empty() ? FindDashboardFolder() : webFolder_;
        if (server->Start(options, problems)) {
            web_ = std::move(server);
        }
    }
    return problems;
}

void LiveOutputs::Stop() {
    server_.reset();
    mqtt_.reset();
    web_.reset();
}

void LiveOutputs::SetWebDisplay(std::optional<WebDisplay> display) {
    webDisplay_ = display;
    if (web_) {
        web_->SetDisplay(std::move(display));
    }
}

std::vector<LiveOutput*> LiveOutputs::Running() const {
    std::vector<LiveOutput*> outputs;
    if (server_) {
        outputs.push_back(server_.get());
    }
    if (mqtt_) {
        outputs.push_back(mqtt_.get());
    }
    if (web_) {
        outputs.push_back(web_.get());
    }
    return outputs;
}

}  // namespace svu
