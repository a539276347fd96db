#pragma once

// The program's settings file and the folder it keeps its own files in. Every section, key and
// default the program uses is named here, so a key is spelt in one place only.

#include <string>
#include <string_view>

#include "framework/Profile.h"

namespace svu {

// Names of the files kept in the program directory.
inline constexpr const char* kSettingsFileName = "stratavue.ini";
inline constexpr const char* kStationFileName = "stratavue.wsf";
inline constexpr const char* kErrorFileName = "error.txt";
inline constexpr const char* kAlarmsFileName = "alarms.txt";
inline constexpr const char* kInstallListFileName = "stratavue.inf";

// [Settings]
inline constexpr const char* kSectionSettings = "Settings";
inline constexpr const char* kKeyEnableDefault = "EnableDefault";
inline constexpr int kEnableDefaultDefault = 0;
inline constexpr const char* kKeyDefaultFilename = "DefaultFilename";
inline constexpr const char* kDefaultFilenameDefault = "";
inline constexpr const char* kKeyPreviewPages = "PreviewPages";
inline constexpr int kPreviewPagesDefault = 0;
inline constexpr const char* kKeyLockLayout = "LockLayout";
inline constexpr const char* kLockLayoutDefault = "No";
inline constexpr const char* kLockLayoutYes = "Yes";
inline constexpr const char* kKeyPassword = "Password";
inline constexpr const char* kPasswordDefault = "";

// [MRU]: recent display files under "File1" .. "File8"
inline constexpr const char* kSectionMru = "MRU";
inline constexpr const char* kMruKeyFormat = "File%d";
inline constexpr int kMruCount = 8;
inline constexpr int kMruDisplayLength = 30;

// [NoDataWarning]
inline constexpr const char* kSectionNoDataWarning = "NoDataWarning";
inline constexpr const char* kKeyNoDataMinutes = "Minutes";
inline constexpr int kNoDataMinutesDefault = 30;
inline constexpr const char* kKeyNoDataHours = "Hours";
inline constexpr int kNoDataHoursDefault = 0;

// [WebOutput]
inline constexpr const char* kSectionWebOutput = "WebOutput";
inline constexpr const char* kKeyWebTemplate = "Template";
inline constexpr const char* kKeyWebOutput = "Output";
inline constexpr const char* kKeyWebInterval = "Interval";
inline constexpr int kWebIntervalDefault = 60;
inline constexpr const char* kKeyWebActive = "Active";
inline constexpr int kWebActiveDefault = 0;
inline constexpr const char* kKeyWebFtp = "FTP";
inline constexpr int kWebFtpDefault = 0;
inline constexpr const char* kKeyWebPreConfig = "PreConfig";
inline constexpr int kWebPreConfigDefault = 1;
inline constexpr const char* kKeyWebUseProxy = "UseProxy";
inline constexpr int kWebUseProxyDefault = 0;
inline constexpr const char* kKeyWebServer = "Server";
inline constexpr const char* kKeyWebRemoteFilename = "RemoteFilename";
inline constexpr const char* kKeyWebUsername = "Username";
inline constexpr const char* kKeyWebPassword = "Password";
inline constexpr const char* kKeyWebProxy = "Proxy";

// [LiveValues]: the live-value server (Unix socket in the program folder, optional TCP port)
inline constexpr const char* kSectionLiveValues = "LiveValues";
inline constexpr const char* kKeyLiveActive = "Active";
inline constexpr int kLiveActiveDefault = 0;
inline constexpr const char* kKeyLivePort = "Port";
inline constexpr int kLivePortDefault = 0;  // no TCP port

// [MQTT]
inline constexpr const char* kSectionMqtt = "MQTT";
inline constexpr const char* kKeyMqttActive = "Active";
inline constexpr int kMqttActiveDefault = 0;
inline constexpr const char* kKeyMqttHost = "Host";
inline constexpr const char* kMqttHostDefault = "localhost";
inline constexpr const char* kKeyMqttPort = "Port";
inline constexpr int kMqttPortDefault = 1883;
inline constexpr const char* kKeyMqttPrefix = "Prefix";
inline constexpr const char* kMqttPrefixDefault = "stratavue";
inline constexpr const char* kKeyMqttClientId = "ClientId";
inline constexpr const char* kKeyMqttUser = "User";
inline constexpr const char* kKeyMqttPassword = "Password";
inline constexpr const char* kKeyMqttTls = "TLS";
inline constexpr int kMqttTlsDefault = 0;
inline constexpr const char* kKeyMqttCaFile = "CAFile";
inline constexpr const char* kKeyMqttRetain = "Retain";
inline constexpr int kMqttRetainDefault = 1;
inline constexpr const char* kKeyMqttHomeAssistant = "HomeAssistant";
inline constexpr int kMqttHomeAssistantDefault = 0;
inline constexpr const char* kKeyMqttDiscoveryPrefix = "DiscoveryPrefix";
inline constexpr const char* kMqttDiscoveryPrefixDefault = "homeassistant";

// [Ports]: "COMn=<device>" maps serial port number n to a device; missing means /dev/ttyS{n-1}
inline constexpr const char* kSectionPorts = "Ports";
inline constexpr const char* kPortKeyFormat = "COM%d";

/// The folder the program keeps its files in: `requested`, or the current directory when it is
/// empty, always ending in a path separator.
std::string ResolveProgramDir(const std::string& requested);

/// The settings operations over the settings file of a program directory.
class Settings {
public:
    /// Settings of the program directory `programDir` (resolved with ResolveProgramDir).
    explicit Settings(const std::string& programDir);

    /// The program directory, ending in a separator.
    const std::string& ProgramDir() const { return programDir_; }
    /// Program directory + "stratavue.ini".
    const std::string& SettingsPath() const { return profile_.Path(); }
    /// Program directory + "stratavue.wsf".
    std::string StationFilePath() const { return programDir_ + kStationFileName; }
    /// Program directory + `fileName`.
    std::string FilePath(std::string_view fileName) const { return programDir_ + std::string(fileName); }

    /// The integer value of a key, `defaultValue` when missing, 0 when not a number.
    int GetSettingInt(std::string_view section, std::string_view key, int defaultValue) const;
    /// The string value of a key (at most 259 characters), `defaultValue` when missing.
    std::string GetSettingString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    /// Writes a key as "%d" text; false when the file could not be written.
    bool WriteSettingInt(std::string_view section, std::string_view key, int value);
    /// Writes a key unchanged; false when the file could not be written.
    bool WriteSettingString(std::string_view section, std::string_view key, std::string_view value);
    /// Removes a whole section; false when the file could not be written.
    bool DeleteSettingSection(std::string_view section);

    /// The underlying profile (for enumerating keys).
    Profile& GetProfile() { return profile_; }
    const Profile& GetProfile() const { return profile_; }

private:
    std::string programDir_;
    Profile profile_;
};

}  // namespace svu
