#include "stations/ModemStation.h"

#include "framework/FieldVisitor.h"
#include "platform/SerialControl.h"

namespace svu {

ModemStation::ModemStation() = default;

ModemStation::ModemStation(std::string stationName) : WeatherStation(std::move(stationName)) {}

ModemStation::ModemStation(const ModemStation& other)
    : WeatherStation(other),
      phoneNumber(other.phoneNumber),
      callInterval(other.callInterval),
      modemName(other.modemName),
      baudRate(other.baudRate),
      nextPoll(other.nextPoll) {}

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
    v.Int32("callInterval", callInterval);
    v.Int32("baudRate", baudRate);
    v.String("modemName", modemName);
    v.String("phoneNumber", phoneNumber);
}

}  // namespace svu
