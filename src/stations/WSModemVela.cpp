#include "stations/WSModemVela.h"

namespace svu {

WSModemVela::WSModemVela() {
    typeCode = kTypeCode;
}

WSModemVela::WSModemVela(std::string stationName) : ModemStation(std::move(stationName)) {
    typeCode = kTypeCode;
}

std::unique_ptr<WeatherStation> WSModemVela::Duplicate() const {
    return std::unique_ptr<WeatherStation>(new WSModemVela(*this));
}

}  // namespace svu
