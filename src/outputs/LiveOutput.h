#pragma once

// What the runtime tells the outputs that follow the readings as they arrive (the live-value
// server, MQTT, and any later one). The runtime keeps one list of them; a slow network peer must
// never reach a station thread, so an output only copies on these calls and does its I/O on a
// thread of its own.

#include "stations/StationFile.h"

namespace svu {

class WeatherStation;

/// Why the station list is being handed over.
enum class StationsChange {
    Loaded,   // the station file was read, or the output has just been started
    Saved,    // the station file was written after an edit (names and channels may have changed)
    Started,  // acquisition is starting (the values were reset)
};

class LiveOutput {
public:
    virtual ~LiveOutput() = default;

    /// A station has stored and processed a reading. Called on the station's thread with the
    /// station's lock held: copy what is needed and return; never wait for I/O or another thread.
    virtual void OnReading(const WeatherStation& station) = 0;
    /// The station list as it now stands (called on the thread that owns the list; each station's
    /// values are to be read under its lock). The list may change after the call returns, so only
    /// copies may be kept; a station's address serves as its key in OnReading.
    virtual void OnStationsChanged(const StationList& stations, StationsChange why) = 0;
    /// Acquisition has been switched on or off.
    virtual void OnAcquisitionChanged(bool running) = 0;
};

}  // namespace svu
