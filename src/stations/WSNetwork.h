#pragma once

#include <string>
#include <vector>

#include "stations/WeatherStation.h"

namespace svu {

/// Kind 2, "Network": follows the network output file another copy of the program rewrites.
class WSNetwork : public WeatherStation {
public:
    static constexpr int32_t kTypeCode = 2;
    static constexpr const char* kClassName = "WSNetwork";

    WSNetwork();
    explicit WSNetwork(std::string stationName);

    const char* ClassName() const override { return kClassName; }
    std::unique_ptr<WeatherStation> Duplicate() const override;
    /// True when the input file exists.
    bool InitComms(StationHost& host) override;
    /// Takes the channel list from the network file when it is complete and new.
    bool ReadConfiguration() override;
    /// Reads the configuration; always true.
    bool StartRealtime() override;
    /// Stores every reading published with a new time until the stop request.
    void ThreadFunction(StationHost& host) override;
    /// inputFile.
    void VisitKindFields(FieldVisitor& v) override;

    /// Reads the network file when it changed since the last read: the count line n and the 2n + 2
    /// lines after it (date, time, then a name and a value per channel), line ends removed. False
    /// when nothing changed or the file cannot be read or is shorter than its count says (both
    /// reported).
    bool ReadNetworkFile(std::vector<std::string>& lines);

    std::string inputFile;
    TimeT inputFileTime = 0;  // modification time when last read; 0 before the first read

protected:
    WSNetwork(const WSNetwork&) = default;

private:
    /// One poll: stores the file's reading when it is new and fits the channel count.
    void Poll(StationHost& host);

    long inputFileNanoseconds_ = 0;  // the sub-second part of the modification time
    std::vector<std::string> lines_;
};

}  // namespace svu
