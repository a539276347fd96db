#pragma once

#include <string>
#include <vector>

#include "stations/ModemStation.h"

namespace svu {

/// Kind 4, "Modem (Vela)": a logger with a short text-command protocol behind a modem. The first
/// call clears it and starts its logging; each later call collects every line logged since the
/// previous one ("U", then "CLAST") and stores their average as one reading.
class WSModemVela : public ModemStation {
public:
    static constexpr int32_t kTypeCode = 4;
    static constexpr const char* kClassName = "WSModemVela";
    /// How long a line of the logger's answer may take.
    static constexpr int kLineTimeoutMs = 5000;
    /// Lines taken from one answer at most.
    static constexpr std::size_t kMaxLines = 100000;

    WSModemVela();
    explicit WSModemVela(std::string stationName);

    const char* ClassName() const override { return kClassName; }
    std::unique_ptr<WeatherStation> Duplicate() const override;
    void ThreadFunction(StationHost& host) override;
    /// The first call: CLEAR, then LOGON; the next call is due one interval later. When it fails
    /// the user is told and no call is made in this run.
    bool StartRealtime() override;

    /// One call of the worker thread; false when it failed (to be made again).
    bool Call();

protected:
    WSModemVela(const WSModemVela&) = default;

private:
    bool Send(const std::string& command);
};

/// The average of the logger's lines "date,time,v1,v2,...": channel i is field i + 2. Channels of
/// type 3 (wind direction) are averaged as vectors, the others arithmetically; each value is
/// written with "%.5G" (empty when no line has the field).
std::vector<std::string> AverageVelaLines(const std::vector<std::string>& lines, int rawChannels,
                                          const std::vector<uint32_t>& channelTypes);

}  // namespace svu
