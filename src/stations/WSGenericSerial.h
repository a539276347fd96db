#pragma once

#include "stations/WeatherStation.h"

namespace svu {

/// Kind 14, "Generic (Serial)": an instrument read through the user's own scripts, over a serial
/// line or a modem call.
class WSGenericSerial : public WeatherStation {
public:
    static constexpr int32_t kTypeCode = 14;
    static constexpr const char* kClassName = "WSGenericSerial";
    /// Values of `connection`.
    static constexpr int32_t kSerial = 1;
    static constexpr int32_t kModem = 2;

    WSGenericSerial();
    explicit WSGenericSerial(std::string stationName);

    const char* ClassName() const override { return kClassName; }
    std::unique_ptr<WeatherStation> Duplicate() const override;
    bool InitComms(StationHost& host) override;
    void ThreadFunction(StationHost& host) override;
    /// port, baudRate, callInterval, connection, phoneNumber, modemName and the four scripts.
    void VisitKindFields(FieldVisitor& v) override;
    /// The channel-type table always has N entries.
    void FitTables() override;

    int32_t baudRate = 9600;
    int32_t port = 1;
    int32_t callInterval = 60;  // minutes, modem connection
    std::string phoneNumber;
    std::string modemName;
    TimeT nextPoll = 0;
    int32_t connection = kSerial;
    std::string connectScript;
    std::string disconnectScript;
    std::string realtimeScript;
    std::string clockScript;

protected:
    WSGenericSerial(const WSGenericSerial&) = default;
};

}  // namespace svu
