#include "outputs/WebServerSettings.h"

#include <unistd.h>

#include <filesystem>
#include <vector>

#include "framework/Settings.h"

namespace svu {

WebServerSettings LoadWebServerSettings(const Settings& settings) {
    const WebServerSettings defaults;
    WebServerSettings web;
    web.active = settings.GetSettingInt(kSectionWebServer, kKeyWebServerActive, defaults.active);
    web.address = settings.GetSettingString(kSectionWebServer, kKeyWebServerAddress, defaults.address.c_str());
    if (web.address.empty()) {
        web.address = defaults.address;
    }
    web.port = settings.GetSettingInt(kSectionWebServer, kKeyWebServerPort, defaults.port);
    web.token = settings.GetSettingString(kSectionWebServer, kKeyWebServerToken, "");
    return web;
}

std::string FindDashboardFolder() {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    std::vector<fs::path> candidates;
    if (!ec) {
        candidates.push_back(program.parent_path() / "web");
        candidates.push_back(program.parent_path() / ".." / "share" / "stratavue" / "web");
    }
#ifdef SVU_SOURCE_WEB_DIR
    candidates.emplace_back(SVU_SOURCE_WEB_DIR);
#endif
    for (const fs::path& folder : candidates) {
        if (fs::is_regular_file(folder / "index.html", ec)) {
            return fs::weakly_canonical(folder, ec).string();
        }
    }
    return {};
}

bool SaveWebServerSettings(Settings& settings, const WebServerSettings& web) {
    bool ok = settings.WriteSettingInt(kSectionWebServer, kKeyWebServerActive, web.active);
    ok = settings.WriteSettingString(kSectionWebServer, kKeyWebServerAddress, web.address) && ok;
    ok = settings.WriteSettingInt(kSectionWebServer, kKeyWebServerPort, web.port) && ok;
    ok = settings.WriteSettingString(kSectionWebServer, kKeyWebServerToken, web.token) && ok;
    return ok;
}

}  // namespace svu
