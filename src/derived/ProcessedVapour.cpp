#include "derived/ProcessedVapour.h"

#include "derived/Formulas.h"
#include "derived/ValueParse.h"
#include "framework/FieldVisitor.h"

namespace svu {

void ProcessedVapour::Calculate(int outputChannel) {
    const std::string* temperature = SourceText(temperatureChannel);
    if (temperature == nullptr) {
        return;
    }
    const std::string* humidity = SourceText(humidityChannel);
    if (humidity == nullptr) {
        return;
    }
    WriteNumber(outputChannel, VapourPressure(static_cast<float>(ParseValue(*temperature)), ParseValue(*humidity)));
}

void ProcessedVapour::VisitFields(FieldVisitor& v) {
    v.Int32("temperatureChannel", temperatureChannel);
    v.Int32("humidityChannel", humidityChannel);
}

}  // namespace svu
