#pragma once

#include "loggers/LineInstrumentStation.h"

namespace svu {

/// Kind 6, "Particle Counter": a counter that sends a time-stamped line of four counts and its
/// sampling period; the station stores counts per minute.
class WSParticleCounter : public LineInstrumentStation {
public:
    static constexpr int32_t kTypeCode = 6;
    static constexpr const char* kClassName = "WSParticleCounter";
    static constexpr int32_t kDefaultBaudRate = 38400;

    WSParticleCounter();
    explicit WSParticleCounter(std::string stationName);

    const char* ClassName() const override { return kClassName; }
    std::unique_ptr<WeatherStation> Duplicate() const override;

protected:
    WSParticleCounter(const WSParticleCounter&) = default;
    void HandleLine(const std::string& line) override;
};

}  // namespace svu
