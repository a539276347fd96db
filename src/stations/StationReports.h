#pragma once

// error.txt and alarms.txt: the program-wide report files in the program folder. Every worker
// thread and the user-interface thread write to them; one process-wide lock puts each report in
// the file whole, one after the other.

#include <string>
#include <string_view>
#include <vector>

namespace svu {

class Clock;
class WeatherStation;

/// The folder that holds error.txt and alarms.txt (the program folder). Set once at start; until
/// then reports go to the current folder.
void SetReportFolder(const std::string& folder);
std::string ReportFolder();
/// The settings file of that folder (where serial ports are mapped to devices).
std::string ProgramSettingsPath();

/// The clock that stamps error reports (the system clock unless set; nullptr restores it).
void SetReportClock(Clock* clock);

/// Seconds during which the same report of the same station is counted instead of written again.
inline constexpr int kReportRepeatWindowSeconds = 60;

/// Appends one line to error.txt: the current local date and time, the station's name when a
/// station is given, then the message. A station whose logErrors is 0 reports nothing. Reports that
/// cannot be written are dropped. A report that repeats one written less than a minute before (same
/// station, same message up to its bracketed detail) is only counted; the count is written as
/// "(repeated N times)" after the next one written, or by FlushReportRepeats.
void ReportError(const WeatherStation* station, std::string_view message);

/// Writes the pending repeat counts: all of them (at the end of acquisition, so none is lost), or
/// only those whose minute is over (from the refresh cycle).
void FlushReportRepeats(bool all = true);

/// Appends the text (which carries its own line ends) to alarms.txt; dropped when it cannot be written.
void AppendAlarmsFile(std::string_view text);

/// A problem the person running the program must hear about at once (a log that cannot be
/// written, say), besides error.txt, which may sit on the same full disk. Queued for the refresh
/// cycle, which shows it through the user interface (the service prints it to standard error).
void PostNotice(const WeatherStation* station, std::string_view message);

/// Takes the notices posted since the last call.
std::vector<std::string> TakeNotices();

}  // namespace svu
