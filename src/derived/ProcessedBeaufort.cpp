#include "derived/ProcessedBeaufort.h"

#include "derived/Formulas.h"
#include "framework/FieldVisitor.h"

namespace svu {

void ProcessedBeaufort::Calculate(int outputChannel) {
    const std::optional<double> source = SourceNumber(sourceChannel);
    if (!source) {
        return;
    }
    const int force = BeaufortForce(*source);
    if (textDescription != 0) {
        WriteText(outputChannel, BeaufortText(force));
    } else {
        static constexpr const char* kDigits[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"};
        WriteText(outputChannel, kDigits[force]);
    }
}

void ProcessedBeaufort::VisitFields(FieldVisitor& v) {
    v.Int32("sourceChannel", sourceChannel);
    v.UInt32("textDescription", textDescription);
}

}  // namespace svu
