#pragma once

#include "stations/WeatherStation.h"

namespace svu {

/// Kind 0, "Direct": an instrument with a terminal menu on a serial cable.
class WSDirect : public WeatherStation {
public:
    static constexpr int32_t kTypeCode = 0;
    static constexpr const char* kClassName = "WSDirect";

    WSDirect();
    explicit WSDirect(std::string stationName);

    const char* ClassName() const override { return kClassName; }
    std::unique_ptr<WeatherStation> Duplicate() const override;
    bool InitComms(StationHost& host) override;
    void ThreadFunction(StationHost& host) override;
    /// port, then baudRate.
    void VisitKindFields(FieldVisitor& v) override;

    int32_t baudRate = 9600;
    int32_t port = 1;  // "COM%i"

protected:
    WSDirect(const WSDirect&) = default;
};

}  // namespace svu
