#include "derived/ProcessedSunshineHours.h"

#include "framework/FieldVisitor.h"

namespace svu {

namespace {
constexpr float kHoursPerSecond = 0.00027777778f;
}  // namespace

void ProcessedSunshineHours::Calculate(int outputChannel) {
    const std::optional<double> source = SourceNumber(sourceChannel);
    if (!source) {
        return;
    }
    const TimeT now = ReadingTime();
    const int day = localTime.Get(now).day;
    const float value = static_cast<float>(*source);
    if (started) {
        if (day != lastDay) {
            hours = 0.0;
        } else if (lastValue >= threshold && value >= threshold) {
            hours += static_cast<double>(now - lastTime) * kHoursPerSecond;
        }
    }
    started = true;
    lastTime = now;
    lastDay = day;
    lastValue = value;
    WriteNumber(outputChannel, hours);
}

void ProcessedSunshineHours::VisitFields(FieldVisitor& v) {
    v.Int32("sourceChannel", sourceChannel);
    v.Float("threshold", threshold);
}

void ProcessedSunshineHours::Reset() {
    started = false;
    hours = 0.0;
}

}  // namespace svu
