#include "outputs/LiveSettings.h"

#include "framework/Settings.h"

namespace svu {

LiveValuesSettings LoadLiveValuesSettings(const Settings& settings) {
    LiveValuesSettings live;
    live.active = settings.GetSettingInt(kSectionLiveValues, kKeyLiveActive, kLiveActiveDefault);
    live.port = settings.GetSettingInt(kSectionLiveValues, kKeyLivePort, kLivePortDefault);
    return live;
}

bool SaveLiveValuesSettings(Settings& settings, const LiveValuesSettings& live) {
    bool ok = settings.WriteSettingInt(kSectionLiveValues, kKeyLiveActive, live.active);
    ok = settings.WriteSettingInt(kSectionLiveValues, kKeyLivePort, live.port) && ok;
    return ok;
}

MqttSettings LoadMqttSettings(const Settings& settings) {
    MqttSettings m;
    const auto text = [&](const char* key, const char* fallback) {
        return settings.GetSettingString(kSectionMqtt, key, fallback);
    };
    m.active = settings.GetSettingInt(kSectionMqtt, kKeyMqttActive, kMqttActiveDefault);
    m.host = text(kKeyMqttHost, kMqttHostDefault);
    m.port = settings.GetSettingInt(kSectionMqtt, kKeyMqttPort, kMqttPortDefault);
    m.prefix = text(kKeyMqttPrefix, kMqttPrefixDefault);
    m.clientId = text(kKeyMqttClientId, "");
    m.user = text(kKeyMqttUser, "");
    m.password = text(kKeyMqttPassword, "");
    m.tls = settings.GetSettingInt(kSectionMqtt, kKeyMqttTls, kMqttTlsDefault);
    m.caFile = text(kKeyMqttCaFile, "");
    m.retain = settings.GetSettingInt(kSectionMqtt, kKeyMqttRetain, kMqttRetainDefault);
    m.homeAssistant = settings.GetSettingInt(kSectionMqtt, kKeyMqttHomeAssistant, kMqttHomeAssistantDefault);
    m.discoveryPrefix = text(kKeyMqttDiscoveryPrefix, kMqttDiscoveryPrefixDefault);
    return m;
}

bool SaveMqttSettings(Settings& settings, const MqttSettings& m) {
    bool ok = true;
    const auto integer = [&](const char* key, int value) {
        ok = settings.WriteSettingInt(kSectionMqtt, key, value) && ok;
    };
    const auto text = [&](const char* key, const std::string& value) {
        ok = settings.WriteSettingString(kSectionMqtt, key, value) && ok;
    };
    integer(kKeyMqttActive, m.active);
    text(kKeyMqttHost, m.host);
    integer(kKeyMqttPort, m.port);
    text(kKeyMqttPrefix, m.prefix);
    text(kKeyMqttClientId, m.clientId);
    text(kKeyMqttUser, m.user);
    text(kKeyMqttPassword, m.password);
    integer(kKeyMqttTls, m.tls);
    text(kKeyMqttCaFile, m.caFile);
    integer(kKeyMqttRetain, m.retain);
    integer(kKeyMqttHomeAssistant, m.homeAssistant);
    text(kKeyMqttDiscoveryPrefix, m.discoveryPrefix);
    return ok;
}

}  // namespace svu
