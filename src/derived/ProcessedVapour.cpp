#include "derived/ProcessedVapour.h"

#include "derived/Formulas.h"
#include "framework/FieldVisitor.h"

namespace svu {

void ProcessedVapour::Calculate(int outputChannel) {
    const std::optional<double> temperature = SourceNumber(temperatureChannel);
    if (!temperature) {
        return;
    }
    const std::optional<double> humidity = SourceNumber(humidityChannel);
    if (!humidity) {
        return;
    }
    WriteNumber(outputChannel, VapourPressure(static_cast<float>(*temperature), *humidity));
}

void ProcessedVapour::VisitFields(FieldVisitor& v) {
    v.Int32("temperatureChannel", temperatureChannel);
    v.Int32("humidityChannel", humidityChannel);
}

}  // namespace svu
