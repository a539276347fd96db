#pragma once

// The outputs that follow the readings live, as the settings file asks for them: the live-value
// server ("LiveValues") and the MQTT publisher ("MQTT"). The desktop program and the service both
// start them through the runtime.

#include <memory>
#include <string>
#include <vector>

#include "outputs/LiveOutput.h"
#include "outputs/LiveValueServer.h"
#include "outputs/MqttPublisher.h"

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
    /// Stops both.
    void Stop();

    /// The outputs that are running.
    std::vector<LiveOutput*> Running() const;
    LiveValueServer* Server() const { return server_.get(); }
    MqttPublisher* Mqtt() const { return mqtt_.get(); }

private:
    std::unique_ptr<LiveValueServer> server_;
    std::unique_ptr<MqttPublisher> mqtt_;
};

}  // namespace svu
