#pragma once

// Lends a station a host for an operation of the user's made outside acquisition (reading its
// configuration, downloading its memory), so that its messages and questions ("Phone out?") reach
// the person at the program. A station that already has a host (its acquisition is running)
// keeps it.

#include "framework/Clock.h"
#include "stations/StationHost.h"
#include "stations/WeatherStation.h"

namespace svu {

class OperationHostScope : public StationHost {
public:
    OperationHostScope(WeatherStation& station, UserInterface& ui) : station_(station), ui_(ui) {
        if (station_.host == nullptr) {
            station_.host = this;
            lent_ = true;
        }
    }
    ~OperationHostScope() override {
        if (lent_) {
            station_.host = nullptr;
        }
    }
    OperationHostScope(const OperationHostScope&) = delete;
    OperationHostScope& operator=(const OperationHostScope&) = delete;

    /// Nothing stops an operation of the user's; its own time limits end it.
    bool StopRequested() const override { return false; }
    UserInterface& Ui() override { return ui_; }
    Clock& GetClock() override { return SystemClock(); }

private:
    WeatherStation& station_;
    UserInterface& ui_;
    bool lent_ = false;
};

}  // namespace svu
