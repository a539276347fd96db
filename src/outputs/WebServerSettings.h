#pragma once

// The settings of the built-in web server (the "WebServer" section of the settings file), read by
// the desktop program and the service alike.

#include <string>

namespace svu {

class Settings;

inline constexpr const char* kSectionWebServer = "WebServer";
inline constexpr const char* kKeyWebServerActive = "Active";
inline constexpr const char* kKeyWebServerAddress = "Address";
inline constexpr const char* kKeyWebServerPort = "Port";
inline constexpr const char* kKeyWebServerToken = "Token";

struct WebServerSettings {
    int active = 0;
    std::string address = "127.0.0.1";
    int port = 8080;
    std::string token;  // required on any address other than a loopback one
};

WebServerSettings LoadWebServerSettings(const Settings& settings);
/// The dashboard's files: "web" beside the program, the installed share/stratavue/web, else the
/// source tree's web folder; empty when none exists.
std::string FindDashboardFolder();

/// False when the settings file could not be written.
bool SaveWebServerSettings(Settings& settings, const WebServerSettings& web);

}  // namespace svu
