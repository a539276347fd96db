#pragma once

// The settings of the outputs that follow the readings live: the "LiveValues" and "MQTT" sections
// of the settings file, read by the desktop program and the service alike.

#include <string>

namespace svu {

class Settings;

struct LiveValuesSettings {
    int active = 0;
    int port = 0;  // a TCP port of 127.0.0.1; 0 for none
};

struct MqttSettings {
    int active = 0;
    std::string host = "localhost";
    int port = 1883;
    std::string prefix = "stratavue";
    std::string clientId;  // empty: the broker's library makes one up
    std::string user;
    std::string password;
    int tls = 0;
    std::string caFile;  // empty with TLS: the system's certificate authorities
    int retain = 1;
    int homeAssistant = 0;
    std::string discoveryPrefix = "homeassistant";
};

LiveValuesSettings LoadLiveValuesSettings(const Settings& settings);
/// False when the settings file could not be written.
bool SaveLiveValuesSettings(Settings& settings, const LiveValuesSettings& live);

MqttSettings LoadMqttSettings(const Settings& settings);
/// False when the settings file could not be written.
bool SaveMqttSettings(Settings& settings, const MqttSettings& mqtt);

}  // namespace svu
