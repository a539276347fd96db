#include "stations/WSGenericSerial.h"

#include "framework/FieldVisitor.h"
#include "stations/KindNotAvailable.h"

namespace svu {

WSGenericSerial::WSGenericSerial() {
    typeCode = kTypeCode;
}

WSGenericSerial::WSGenericSerial(std::string stationName) : WeatherStation(std::move(stationName)) {
    typeCode = kTypeCode;
}

std::unique_ptr<WeatherStation> WSGenericSerial::Duplicate() const {
    return std::unique_ptr<WeatherStation>(new WSGenericSerial(*this));
}

bool WSGenericSerial::InitComms(StationHost& host) {
    return ReportAcquisitionNotAvailable(*this, host);
}

void WSGenericSerial::ThreadFunction(StationHost& host) {
    RunAcquisition(host, [&] { WaitForNextPoll(host); });
}

void WSGenericSerial::VisitKindFields(FieldVisitor& v) {
    v.Int32("port", port);
    v.Int32("baudRate", baudRate);
    v.Int32("callInterval", callInterval);
    v.Int32("connection", connection);
    v.String("phoneNumber", phoneNumber);
    v.String("modemName", modemName);
    v.String("connectScript", connectScript);
    v.String("disconnectScript", disconnectScript);
    v.String("realtimeScript", realtimeScript);
    v.String("clockScript", clockScript);
}

void WSGenericSerial::FitTables() {
    channelTypes.resize(static_cast<size_t>(channelCount > 0 ? channelCount : 0), 0);
}

}  // namespace svu
