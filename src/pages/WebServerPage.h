#pragma once

// The "Web server" page: the built-in web server's settings (the "WebServer" section of the
// settings file, which the service reads as well).

#include <memory>

namespace svu {

class PropertyPage;
class Settings;

std::unique_ptr<PropertyPage> MakeWebServerPage(Settings& settings);

}  // namespace svu
