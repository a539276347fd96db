#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "loggers/InstrumentLines.h"
#include "stations/StationSerialPort.h"
#include "stations/WeatherStation.h"

namespace svu {

class Profile;
class SerialControl;

/// What the stations share whose instrument sends text lines on a serial cable by itself (wind
/// speed and direction, particle counter, Triscan): the port and speed with their record, the
/// serial control, and a worker loop that takes whole lines from the line. A device that goes
/// away is reported and opened again by the control; a line broken off by the loss is dropped.
class LineInstrumentStation : public WeatherStation {
public:
    /// The worker thread's sleep between two looks at the line.
    static constexpr int kPollPeriodMs = 20;

    ~LineInstrumentStation() override;

    /// Creates the serial control; the port is opened by StartRealtime.
    bool InitComms(StationHost& host) override;
    /// Opens the port.
    bool StartRealtime() override;
    void ClosePort() override;
    /// port, then baudRate.
    void VisitKindFields(FieldVisitor& v) override;
    /// StartRealtime, then every complete line to HandleLine until the stop request.
    void ThreadFunction(StationHost& host) override;

    /// Opens the port when it is not open: message and report when it cannot be.
    bool OpenPort();
    /// The settings file whose [Ports] section maps port numbers to devices; by default the
    /// program folder's settings file.
    void SetPortSettingsPath(std::string path) { serial_.SetSettingsPath(std::move(path)); }
    /// The serial control (created by InitComms or the first operation).
    SerialControl* Comm() { return serial_.Get(); }

    int32_t port = 1;  // "COM%i"
    int32_t baudRate = 9600;

protected:
    LineInstrumentStation(int32_t kindCode, int32_t defaultBaudRate);
    LineInstrumentStation(int32_t kindCode, int32_t defaultBaudRate, std::string stationName);
    /// Copies the settings; the copy has its own, not yet created, control.
    LineInstrumentStation(const LineInstrumentStation& other);

    /// One complete line received in real time (worker thread).
    virtual void HandleLine(const std::string& line) = 0;
    /// The link came back after the device had gone: instruments that must be told to stream
    /// again are told here.
    virtual void OnLinkRestored() {}
    /// Sets the raw channels (names and type codes) of a new station.
    void SetChannels(std::initializer_list<const char*> names, std::initializer_list<uint32_t> types);
    /// Reports "Real time data is corrupt".
    void ReportCorrupt();
    UserInterface& Ui();

    InstrumentLineAssembler assembler_;

private:
    void PollLine();
    void SetPortOpen(bool open);

    StationSerialPort serial_{*this};
};

}  // namespace svu
