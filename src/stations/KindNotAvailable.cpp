#include "stations/KindNotAvailable.h"

#include <chrono>

#include "framework/Clock.h"
#include "framework/UserInterface.h"
#include "stations/StationHost.h"
#include "stations/WeatherStation.h"

namespace svu {

bool ReportAcquisitionNotAvailable(const WeatherStation& station, StationHost& host) {
    host.Ui().MessageBox("Real-time acquisition for " + station.name + " (" + station.ClassName() +
                             ") is not available in this version.",
                         "Stratavue", MsgButtons::Ok, MsgIcon::Info);
    return false;
}

void WaitForNextPoll(StationHost& host) {
    host.GetClock().SleepFor(std::chrono::milliseconds(100));
}

}  // namespace svu
