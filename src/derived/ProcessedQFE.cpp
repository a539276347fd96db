#include "derived/ProcessedQFE.h"

#include "derived/Formulas.h"
#include "derived/ValueParse.h"
#include "framework/FieldVisitor.h"

namespace svu {

void ProcessedQFE::Calculate(int outputChannel) {
    const std::string* pressure = SourceText(pressureChannel);
    if (pressure == nullptr) {
        return;
    }
    const std::string* temperature = SourceText(temperatureChannel);
    if (temperature == nullptr) {
        return;
    }
    WriteNumber(outputChannel, QfePressure(ParseValue(*pressure), ParseValue(*temperature), sensorHeight));
}

void ProcessedQFE::VisitFields(FieldVisitor& v) {
    v.Int32("pressureChannel", pressureChannel);
    v.Int32("temperatureChannel", temperatureChannel);
    v.Float("sensorHeight", sensorHeight);
}

}  // namespace svu
