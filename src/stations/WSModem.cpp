#include "stations/WSModem.h"

namespace svu {

WSModem::WSModem() {
    typeCode = kTypeCode;
}

WSModem::WSModem(std::string stationName) : ModemStation(std::move(stationName)) {
    typeCode = kTypeCode;
}

std::unique_ptr<WeatherStation> WSModem::Duplicate() const {
    return std::unique_ptr<WeatherStation>(new WSModem(*this));
}

}  // namespace svu
