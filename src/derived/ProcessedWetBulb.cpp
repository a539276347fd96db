#include "derived/ProcessedWetBulb.h"

#include "derived/Formulas.h"
#include "derived/ValueParse.h"
#include "framework/FieldVisitor.h"

namespace svu {

void ProcessedWetBulb::Calculate(int outputChannel) {
    const std::string* pressure = SourceText(pressureChannel);
    if (pressure == nullptr) {
        return;
    }
    const std::string* humidity = SourceText(humidityChannel);
    if (humidity == nullptr) {
        return;
    }
    const std::string* temperature = SourceText(temperatureChannel);
    if (temperature == nullptr) {
        return;
    }
    // Without humidity there is no dew point and so no wet bulb: the output keeps its text.
    if (const auto wetBulb = WetBulbTemperature(static_cast<float>(ParseValue(*temperature)), ParseValue(*humidity),
                                                ParseValue(*pressure))) {
        WriteNumber(outputChannel, *wetBulb);
    }
}

void ProcessedWetBulb::VisitFields(FieldVisitor& v) {
    v.Int32("pressureChannel", pressureChannel);
    v.Int32("humidityChannel", humidityChannel);
    v.Int32("temperatureChannel", temperatureChannel);
}

}  // namespace svu
