#pragma once

#include "loggers/LineInstrumentStation.h"

namespace svu {

/// Kind 5, "Wind Speed and Direction": a sensor that sends "WSD ddd ssss" lines by itself.
class WSSpeedAndDirection : public LineInstrumentStation {
public:
    static constexpr int32_t kTypeCode = 5;
    static constexpr const char* kClassName = "WSSpeedAndDirection";
    static constexpr int32_t kDefaultBaudRate = 4800;

    WSSpeedAndDirection();
    explicit WSSpeedAndDirection(std::string stationName);

    const char* ClassName() const override { return kClassName; }
    std::unique_ptr<WeatherStation> Duplicate() const override;

protected:
    WSSpeedAndDirection(const WSSpeedAndDirection&) = default;
    void HandleLine(const std::string& line) override;
};

}  // namespace svu
