#pragma once

// Kinds whose record is complete but whose instrument protocol is not part of this version yet.
// They load, save, copy and show like every station; starting acquisition tells the user and
// leaves them idle.

namespace svu {

class StationHost;
class WeatherStation;

/// Tells the user that real-time acquisition is not available for this station; returns false so
/// the station takes no part in the run.
bool ReportAcquisitionNotAvailable(const WeatherStation& station, StationHost& host);

/// One idle poll period of a loop that has nothing to poll yet.
void WaitForNextPoll(StationHost& host);

}  // namespace svu
