#include "loggers/WSParticleCounter.h"

namespace svu {

WSParticleCounter::WSParticleCounter() : LineInstrumentStation(kTypeCode, kDefaultBaudRate) {
    SetChannels({"Channel 0", "Channel 1", "Channel 2", "Channel 3"}, {0, 0, 0, 0});
}

WSParticleCounter::WSParticleCounter(std::string stationName)
    : LineInstrumentStation(kTypeCode, kDefaultBaudRate, std::move(stationName)) {
    SetChannels({"Channel 0", "Channel 1", "Channel 2", "Channel 3"}, {0, 0, 0, 0});
}

std::unique_ptr<WeatherStation> WSParticleCounter::Duplicate() const {
    return std::unique_ptr<WeatherStation>(new WSParticleCounter(*this));
}

void WSParticleCounter::HandleLine(const std::string& line) {
    ParticleReading reading;
    if (ParseParticleLine(line, reading) != LineVerdict::Ok) {
        ReportCorrupt();
        return;
    }
    // The counter stamps its lines itself.
    StoreReading(ParseDateTime(reading.date, reading.time), [&](std::vector<std::string>& table) {
        for (std::size_t i = 0; i < reading.rates.size() && i < table.size(); ++i) {
            table[i] = std::move(reading.rates[i]);
        }
    });
}

}  // namespace svu
