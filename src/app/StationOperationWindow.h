#pragma once

// The transfer window of a long instrument operation (a logger's memory download): the operation
// runs on a worker thread while the window shows its latest progress line and offers Cancel,
// which becomes the stop request the station's operation looks at.

#include <functional>
#include <string>

class QWidget;

namespace svu {

class UserInterface;
class WeatherStation;

/// Runs `operation` for `station` with a host lent for its duration; messages and questions go to
/// `ui`. Returns once the operation has ended (cancelled or not).
void RunStationOperation(QWidget* parent, WeatherStation& station, UserInterface& ui, const std::string& title,
                         const std::function<void()>& operation);

}  // namespace svu
