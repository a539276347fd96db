#include "stations/WSDirect.h"

#include "framework/FieldVisitor.h"
#include "stations/KindNotAvailable.h"

namespace svu {

WSDirect::WSDirect() {
    typeCode = kTypeCode;
}

WSDirect::WSDirect(std::string stationName) : WeatherStation(std::move(stationName)) {
    typeCode = kTypeCode;
}

std::unique_ptr<WeatherStation> WSDirect::Duplicate() const {
    return std::unique_ptr<WeatherStation>(new WSDirect(*this));
}

bool WSDirect::InitComms(StationHost& host) {
    return ReportAcquisitionNotAvailable(*this, host);
}

void WSDirect::ThreadFunction(StationHost& host) {
    RunAcquisition(host, [&] { WaitForNextPoll(host); });
}

void WSDirect::VisitKindFields(FieldVisitor& v) {
    v.Int32("port", port);
    v.Int32("baudRate", baudRate);
}

}  // namespace svu
