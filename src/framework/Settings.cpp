#include "framework/Settings.h"

#include <filesystem>

namespace svu {

std::string ResolveProgramDir(const std::string& requested) {
    std::string dir = requested;
    if (dir.empty()) {
        std::error_code ec;
        dir = std::filesystem::current_path(ec).string();
        if (ec || dir.empty()) {
            dir = "/";
        }
    }
    if (dir.back() != '/') {
        dir += '/';
    }
    return dir;
}

Settings::Settings(const std::string& programDir)
    : programDir_(ResolveProgramDir(programDir)), profile_(programDir_ + kSettingsFileName) {}

int Settings::GetSettingInt(std::string_view section, std::string_view key, int defaultValue) const {
    return profile_.GetInt(section, key, defaultValue);
}

std::string Settings::GetSettingString(std::string_view section, std::string_view key,
                                       std::string_view defaultValue) const {
    return profile_.GetString(section, key, defaultValue);
}

bool Settings::WriteSettingInt(std::string_view section, std::string_view key, int value) {
    return profile_.WriteInt(section, key, value);
}

bool Settings::WriteSettingString(std::string_view section, std::string_view key, std::string_view value) {
    return profile_.WriteString(section, key, value);
}

bool Settings::DeleteSettingSection(std::string_view section) {
    return profile_.DeleteSection(section);
}

}  // namespace svu
