#include "derived/ProcessedIntegrationDay.h"

#include "framework/FieldVisitor.h"

namespace svu {

namespace {
constexpr double kDaysPerSecond = 1.1574074074074073e-05;
}  // namespace

void ProcessedIntegrationDay::Calculate(int outputChannel) {
    const std::optional<double> source = SourceNumber(sourceChannel);
    if (!source) {
        return;
    }
    const TimeT now = ReadingTime();
    const int day = localTime.Get(now).day;
    if (day != lastDay) {
        accumulated = 0.0;
        restart = true;
    }
    if (!restart) {
        // The value at the end of an interval stands for the whole interval.
        const double dt = static_cast<double>(now - lastTime);
        const double x = *source;
        if (above != 0 && x > referenceValue) {
            accumulated += (x - referenceValue) * kDaysPerSecond * dt;
        } else if (above == 0 && x < referenceValue) {
            accumulated += (referenceValue - x) * kDaysPerSecond * dt;
        }
        WriteNumber(outputChannel, accumulated);
    }
    lastTime = now;
    lastDay = day;
    restart = false;
}

void ProcessedIntegrationDay::VisitFields(FieldVisitor& v) {
    v.Int32("sourceChannel", sourceChannel);
    v.UInt32("above", above);
    v.Float("referenceValue", referenceValue);
}

void ProcessedIntegrationDay::Reset() {
    restart = true;
    accumulated = 0.0;
    lastTime = 0;
    lastDay = 0;
}

}  // namespace svu
