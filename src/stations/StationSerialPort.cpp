#include "stations/StationSerialPort.h"

#include "framework/Profile.h"
#include "framework/TextUtil.h"
#include "platform/SerialControl.h"
#include "stations/StationReports.h"
#include "stations/WeatherStation.h"

namespace svu {

StationSerialPort::StationSerialPort(WeatherStation& owner) : owner_(owner) {}

StationSerialPort::StationSerialPort(WeatherStation& owner, const StationSerialPort& other)
    : owner_(owner), settingsPath_(other.settingsPath_) {}

StationSerialPort::~StationSerialPort() = default;

SerialControl& StationSerialPort::Control() {
    if (!control_) {
        control_ = std::make_unique<SerialControl>();
        control_->SetLinkEventHandler([this](SerialControl::LinkEvent event, const std::string& message) {
            ReportError(&owner_, message);
            if (event == SerialControl::LinkEvent::Restored) {
                linkRestored_.store(true);
            }
        });
    }
    return *control_;
}

bool StationSerialPort::Open(int port, int baudRate) {
    SerialControl& control = Control();
    portTable_ = std::make_unique<Profile>(settingsPath_.empty() ? ProgramSettingsPath() : settingsPath_);
    control.SetPortSettings(portTable_.get());
    return control.Open(port, FormatC("%i,n,8,1", baudRate));
}

}  // namespace svu
