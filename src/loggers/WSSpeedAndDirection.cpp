#include "loggers/WSSpeedAndDirection.h"

#include "framework/Clock.h"

namespace svu {

WSSpeedAndDirection::WSSpeedAndDirection() : LineInstrumentStation(kTypeCode, kDefaultBaudRate) {
    SetChannels({"Wind direction (deg)", "Wind speed (m/s)"}, {3, 1});
}

WSSpeedAndDirection::WSSpeedAndDirection(std::string stationName)
    : LineInstrumentStation(kTypeCode, kDefaultBaudRate, std::move(stationName)) {
    SetChannels({"Wind direction (deg)", "Wind speed (m/s)"}, {3, 1});
}

std::unique_ptr<WeatherStation> WSSpeedAndDirection::Duplicate() const {
    return std::unique_ptr<WeatherStation>(new WSSpeedAndDirection(*this));
}

void WSSpeedAndDirection::HandleLine(const std::string& line) {
    const TimeT now = GetClock().Now();
    if (now == readingTime) {
        return;  // one reading per second
    }
    WindReading reading;
    switch (ParseSpeedDirectionLine(line, reading)) {
        case LineVerdict::Ignored:
            return;
        case LineVerdict::Corrupt:
            ReportCorrupt();
            return;
        case LineVerdict::Ok:
            break;
    }
    StoreReading(now, [&](std::vector<std::string>& table) {
        if (table.size() >= 2) {
            table[0] = std::move(reading.direction);
            table[1] = std::move(reading.speed);
        }
    });
}

}  // namespace svu
