#pragma once

#include "stations/ModemStation.h"

namespace svu {

/// Kind 4, "Modem (Vela)": an instrument with a short text-command protocol behind a modem.
class WSModemVela : public ModemStation {
public:
    static constexpr int32_t kTypeCode = 4;
    static constexpr const char* kClassName = "WSModemVela";

    WSModemVela();
    explicit WSModemVela(std::string stationName);
    const char* ClassName() const override { return kClassName; }
    std::unique_ptr<WeatherStation> Duplicate() const override;

protected:
    WSModemVela(const WSModemVela&) = default;
};

}  // namespace svu
