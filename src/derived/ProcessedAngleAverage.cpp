#include "derived/ProcessedAngleAverage.h"

#include <cmath>

#include "derived/Formulas.h"
#include "framework/FieldVisitor.h"

namespace svu {

namespace {
constexpr double kRadiansPerDegree = 0.01745329251;
}  // namespace

void ProcessedAngleAverage::Calculate(int outputChannel) {
    const std::optional<double> source = SourceNumber(sourceChannel);
    if (!source) {
        return;
    }
    // The same arithmetic on the way in and on the way out, so the exact sums cancel to the bit.
    const auto update = [this](const Sample& previous, const Sample& sample, bool add) {
        const double dt = static_cast<double>(Interval(previous, sample));
        const double angle = sample.value * kRadiansPerDegree;
        const double s = dt * std::sin(angle);
        const double c = dt * std::cos(angle);
        if (add) {
            sineSum.Add(s);
            cosineSum.Add(c);
        } else {
            sineSum.Subtract(s);
            cosineSum.Subtract(c);
        }
    };
    samples.Push(
        Sample{ReadingTime(), static_cast<float>(*source)}, windowSeconds,
        [&update](const Sample& previous, const Sample& sample) { update(previous, sample, true); },
        [&update](const Sample& oldest, const Sample& next) { update(oldest, next, false); });
    if (samples.Size() == 1) {
        WriteNumber(outputChannel, samples.Newest().value);
        return;
    }
    WriteNumber(outputChannel, AngleOfSums(sineSum.Value(), cosineSum.Value()));
}

void ProcessedAngleAverage::VisitFields(FieldVisitor& v) {
    v.Int32("sourceChannel", sourceChannel);
    v.Int32("windowSeconds", windowSeconds);
}

void ProcessedAngleAverage::Reset() {
    samples.Clear();
    sineSum.Clear();
    cosineSum.Clear();
}

}  // namespace svu
