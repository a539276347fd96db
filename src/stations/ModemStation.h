#pragma once

#include "stations/WeatherStation.h"

namespace svu {

/// What the two dial-up kinds share: the modem settings and their record.
class ModemStation : public WeatherStation {
public:
    bool InitComms(StationHost& host) override;
    void ThreadFunction(StationHost& host) override;
    /// callInterval, baudRate, modemName, phoneNumber.
    void VisitKindFields(FieldVisitor& v) override;

    std::string phoneNumber;
    int32_t callInterval = 60;  // minutes
    std::string modemName;
    int32_t baudRate = 9600;
    TimeT nextPoll = 0;

protected:
    ModemStation() = default;
    explicit ModemStation(std::string stationName) : WeatherStation(std::move(stationName)) {}
    ModemStation(const ModemStation&) = default;
};

}  // namespace svu
