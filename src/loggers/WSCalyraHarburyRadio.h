#pragma once

#include <functional>
#include <memory>
#include <string>

#include "loggers/NdrConfig.h"
#include "loggers/NdrLoggerLink.h"
#include "loggers/WSRadioModemVela.h"

namespace svu {

class NdrByteStream;
class NdrSession;
class UserInterface;

/// Kind 9, "Calyra (Harbury radio)": the data logger behind the radio modem the Vela kind uses.
/// On its turn in the radio chain the modem is tuned and addressed ("ATT" with the station's own
/// transmit address), the logger walked into its command line, one real-time line taken, the
/// logger sent back to its menu and the radio handed on. The logger operations (clearing, the
/// set-up transfers) each tune the radio for themselves.
class WSCalyraHarburyRadio : public WSRadioModemVela, public NdrLoggerLink {
public:
    static constexpr int32_t kTypeCode = 9;
    static constexpr const char* kClassName = "WSCalyraHarburyRadio";
    /// Escapes tried before the logger is taken for absent.
    static constexpr int kMenuAttempts = 3;

    WSCalyraHarburyRadio();
    explicit WSCalyraHarburyRadio(std::string stationName);
    ~WSCalyraHarburyRadio() override;

    const char* ClassName() const override { return kClassName; }
    std::unique_ptr<WeatherStation> Duplicate() const override;
    /// The logger's set-up, then port, baudRate, address, txAddress, frequency, extra and
    /// radioType (records of schema 9 on).
    void VisitKindFields(FieldVisitor& v) override;

    /// One command on the logger's command line (the radio must be connected): its answer.
    std::string Transact(const std::string& command) override;
    /// A command on the logger's command line, awaiting only its echo.
    bool SendOnly(const std::string& command) override;
    bool ClearMemory() override;
    /// Receives the logger's memory over a radio connection of its own and converts it into a log
    /// at targetPath under the station's raw channel names.
    void Download(const std::string& targetPath) override;
    /// Whether the last download did its work, and the records it wrote.
    bool LastOperationSucceeded() const { return lastOperationOk_; }
    long DownloadedRecords() const { return downloaded_; }
    /// Whether the last download found the logger's memory empty (no file is written then).
    bool LoggerWasEmpty() const { return loggerEmpty_; }
    bool ReadConfiguration() override;
    bool WriteConfiguration() override;

    NDR& LoggerSetup() override { return ndr; }
    bool WithCommandLine(const std::function<bool(NdrCommandLine&)>& work) override;
    bool ClearLoggerMemory() override { return ClearMemory(); }

    NDR ndr;
    int32_t txAddress = 2;  // "ATT%02i"

protected:
    WSCalyraHarburyRadio(const WSCalyraHarburyRadio& other);
    void RunTurn(StationHost& host) override;
    int32_t TransmitAddress() const override { return txAddress; }

private:
    NdrSession& Session();
    /// Tunes the radio and walks the logger into its command line; false (reported) otherwise.
    bool Connect();
    /// Escape: the logger goes back to its menu.
    void LeaveCommandMode();
    UserInterface& Ui();

    std::unique_ptr<NdrByteStream> stream_;
    std::unique_ptr<NdrSession> session_;
    bool lastOperationOk_ = false;
    bool loggerEmpty_ = false;
    long downloaded_ = 0;
};

}  // namespace svu
