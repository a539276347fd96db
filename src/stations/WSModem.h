#pragma once

#include "stations/ModemStation.h"

namespace svu {

/// Kind 1, "Modem": the Direct station's instrument behind a dial-up modem.
class WSModem : public ModemStation {
public:
    static constexpr int32_t kTypeCode = 1;
    static constexpr const char* kClassName = "WSModem";

    WSModem();
    explicit WSModem(std::string stationName);
    const char* ClassName() const override { return kClassName; }
    std::unique_ptr<WeatherStation> Duplicate() const override;

protected:
    WSModem(const WSModem&) = default;
};

}  // namespace svu
