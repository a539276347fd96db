#include "derived/ProcessedQFE.h"

#include "derived/Formulas.h"
#include "framework/FieldVisitor.h"

namespace svu {

void ProcessedQFE::Calculate(int outputChannel) {
    const std::optional<double> pressure = SourceNumber(pressureChannel);
    if (!pressure) {
        return;
    }
    const std::optional<double> temperature = SourceNumber(temperatureChannel);
    if (!temperature) {
        return;
    }
    WriteNumber(outputChannel, QfePressure(*pressure, *temperature, sensorHeight));
}

void ProcessedQFE::VisitFields(FieldVisitor& v) {
    v.Int32("pressureChannel", pressureChannel);
    v.Int32("temperatureChannel", temperatureChannel);
    v.Float("sensorHeight", sensorHeight);
}

}  // namespace svu
