#include "stations/ModemStation.h"

#include "framework/FieldVisitor.h"
#include "platform/SerialControl.h"

namespace svu {

ModemStation::ModemStation() = default;

ModemStation::ModemStation(std::string stationName) : WeatherStation(std::move(stationName)) {}

ModemStation::ModemStation(const ModemStation& other)
    : WeatherStation(other), ModemCallSettings(other), baudRate(other.baudRate) {}

ModemStation::~ModemStation() = default;

bool ModemStation::InitComms(StationHost&) {
    if (!comm_) {
        comm_ = std::make_unique<SerialControl>();
    }
    return true;
}

bool ModemStation::Dial(bool ask) {
    if (!comm_) {
        comm_ = std::make_unique<SerialControl>();
    }
    return line_.Dial(*this, *comm_, modemName, phoneNumber, baudRate, ask);
}

void ModemStation::HangUp() {
    line_.HangUp();
    portOpen = 0;
}

void ModemStation::ClosePort() {
    HangUp();
}

void ModemStation::VisitKindFields(FieldVisitor& v) {
    VisitCallFields(v, baudRate);
}

}  // namespace svu
