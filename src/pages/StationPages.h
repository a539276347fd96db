#pragma once

// The pages that station kinds share: "Name", "Network", "Logging", "Comms", "Modem", and the
// input pages of the network and file stations.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace svu {

class Clock;
class Profile;
class PropertyPage;
class WSFile;
class WSNetwork;
class WeatherStation;

/// The baud rates the serial pages offer, in drop-down order.
inline constexpr int32_t kBaudRates[] = {300,   1200,  2400,  4800,   9600,   14400, 19200,
                                         38400, 56000, 57600, 115200, 128000, 256000};

/// The baud rates as the drop-downs show them, and their values.
QStringList BaudRateTexts();
std::vector<long long> BaudRateValues();
/// The serial ports a drop-down offers ("COMn (device)") with their numbers; `current` is always
/// among them. `ports` maps port numbers to devices (may be null).
void PortEntries(int32_t current, const Profile* ports, QStringList& texts, std::vector<long long>& values);

/// "Name": the station's name, "System active" and "Log Errors"; with `advanced` an
/// "Advanced..." button that runs it.
std::unique_ptr<PropertyPage> MakeStationNamePage(WeatherStation& station, std::function<void()> advanced = {});

/// "Network": "Enable network output" and the output file.
std::unique_ptr<PropertyPage> MakeNetworkOutputPage(WeatherStation& station);

/// "Logging": "Enable logging", "Log all values", "Log every" count and unit, "Folder". On OK the
/// interval is count × unit and the next log time is aligned with `clock`'s present time.
std::unique_ptr<PropertyPage> MakeLoggingPage(WeatherStation& station, Clock& clock);

/// The count and unit (1, 60 or 3600 seconds) the "Logging" page shows for an interval: hours from
/// an hour up, seconds below a minute, else minutes.
void LogIntervalDisplay(int32_t intervalSeconds, int32_t& count, int32_t& unitSeconds);

/// "Comms": the serial device (as a port number) and the baud rate. `ports` maps port numbers to
/// devices (may be null).
std::unique_ptr<PropertyPage> MakeCommsPage(int32_t& port, int32_t& baudRate, const Profile* ports);

/// "Modem": the modem device, the number, the baud rate and the call interval.
std::unique_ptr<PropertyPage> MakeModemPage(std::string& modemName, std::string& phoneNumber, int32_t& baudRate,
                                            int32_t& callInterval, const Profile* ports);

/// "Input" of the network station: the network file it follows.
std::unique_ptr<PropertyPage> MakeNetworkInputPage(WSNetwork& station);

/// "File" of the file station: the log file it replays, looping and speed.
std::unique_ptr<PropertyPage> MakeFileInputPage(WSFile& station);

}  // namespace svu
