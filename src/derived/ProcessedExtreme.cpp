#include "derived/ProcessedExtreme.h"

#include "framework/FieldVisitor.h"

namespace svu {

void ProcessedExtreme::Calculate(int outputChannel) {
    const std::string* source = SourceText(sourceChannel);
    if (source == nullptr) {
        return;
    }
    const int day = localTime.Get(ReadingTime()).day;
    if (day != dayOfMonth) {
        restart = true;
        dayOfMonth = day;
    }
    // Compared in single precision on both sides, so a later reading equal to the extreme never
    // replaces its text, for the minimum as for the maximum.
    const float value = static_cast<float>(*SourceNumber(sourceChannel));
    if (restart) {
        restart = false;
        extremeValue = value;
        extremeText = *source;
    } else if (maximum != 0 ? value > extremeValue : value < extremeValue) {
        extremeText = *source;
        extremeValue = value;
    }
    WriteText(outputChannel, extremeText);
}

void ProcessedExtreme::VisitFields(FieldVisitor& v) {
    v.Int32("sourceChannel", sourceChannel);
    v.UInt32("maximum", maximum);
}

void ProcessedExtreme::Reset() {
    dayOfMonth = 0;
    restart = true;
}

}  // namespace svu
