#pragma once

// error.txt and alarms.txt: the program-wide report files in the program folder. Every worker
// thread and the user-interface thread write to them; one process-wide lock puts each report in
// the file whole, one after the other.

#include <string>
#include <string_view>

namespace svu {

class Clock;
class WeatherStation;

/// The folder that holds error.txt and alarms.txt (the program folder). Set once at start; until
/// then reports go to the current folder.
void SetReportFolder(const std::string& folder);
std::string ReportFolder();

/// The clock that stamps error reports (the system clock unless set; nullptr restores it).
void SetReportClock(Clock* clock);

/// Appends one line to error.txt: the current local date and time, the station's name when a
/// station is given, then the message. A station whose logErrors is 0 reports nothing. Reports that
/// cannot be written are dropped.
void ReportError(const WeatherStation* station, std::string_view message);

/// Appends the text (which carries its own line ends) to alarms.txt; dropped when it cannot be written.
void AppendAlarmsFile(std::string_view text);

}  // namespace svu
