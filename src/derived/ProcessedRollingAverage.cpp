#include "derived/ProcessedRollingAverage.h"

#include "framework/FieldVisitor.h"

namespace svu {

namespace {
double Weighted(const Sample& previous, const Sample& sample) {
    return static_cast<double>(sample.value) * static_cast<double>(Interval(previous, sample));
}
}  // namespace

void ProcessedRollingAverage::Calculate(int outputChannel) {
    const std::optional<double> source = SourceNumber(sourceChannel);
    if (!source) {
        return;
    }
    samples.Push(
        Sample{ReadingTime(), static_cast<float>(*source)}, windowSeconds,
        [this](const Sample& previous, const Sample& sample) { weightedSum.Add(Weighted(previous, sample)); },
        [this](const Sample& oldest, const Sample& next) { weightedSum.Subtract(Weighted(oldest, next)); });
    const int64_t span = samples.SpanSeconds();
    if (span == 0) {
        // One sample, or every sample at one reading time: no interval to weight by.
        WriteNumber(outputChannel, samples.Newest().value);
        return;
    }
    WriteNumber(outputChannel, weightedSum.Value() / static_cast<double>(span));
}

void ProcessedRollingAverage::VisitFields(FieldVisitor& v) {
    v.Int32("sourceChannel", sourceChannel);
    v.Int32("windowSeconds", windowSeconds);
}

void ProcessedRollingAverage::Reset() {
    samples.Clear();
    weightedSum.Clear();
}

}  // namespace svu
