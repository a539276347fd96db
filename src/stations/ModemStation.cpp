#include "stations/ModemStation.h"

#include "framework/FieldVisitor.h"
#include "stations/KindNotAvailable.h"

namespace svu {

bool ModemStation::InitComms(StationHost& host) {
    return ReportAcquisitionNotAvailable(*this, host);
}

void ModemStation::ThreadFunction(StationHost& host) {
    RunAcquisition(host, [&] { WaitForNextPoll(host); });
}

void ModemStation::VisitKindFields(FieldVisitor& v) {
    v.Int32("callInterval", callInterval);
    v.Int32("baudRate", baudRate);
    v.String("modemName", modemName);
    v.String("phoneNumber", phoneNumber);
}

}  // namespace svu
