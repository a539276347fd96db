#include "derived/ProcessedWetBulb.h"

#include "derived/Formulas.h"
#include "framework/FieldVisitor.h"

namespace svu {

void ProcessedWetBulb::Calculate(int outputChannel) {
    const std::optional<double> pressure = SourceNumber(pressureChannel);
    if (!pressure) {
        return;
    }
    const std::optional<double> humidity = SourceNumber(humidityChannel);
    if (!humidity) {
        return;
    }
    const std::optional<double> temperature = SourceNumber(temperatureChannel);
    if (!temperature) {
        return;
    }
    // Without humidity there is no dew point and so no wet bulb: the output keeps its text.
    if (const auto wetBulb = WetBulbTemperature(static_cast<float>(*temperature), *humidity,
                                                *pressure)) {
        WriteNumber(outputChannel, *wetBulb);
    }
}

void ProcessedWetBulb::VisitFields(FieldVisitor& v) {
    v.Int32("pressureChannel", pressureChannel);
    v.Int32("humidityChannel", humidityChannel);
    v.Int32("temperatureChannel", temperatureChannel);
}

}  // namespace svu
