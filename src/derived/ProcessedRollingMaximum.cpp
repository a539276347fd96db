#include "derived/ProcessedRollingMaximum.h"

#include "framework/FieldVisitor.h"

namespace svu {

void ProcessedRollingMaximum::Calculate(int outputChannel) {
    const std::optional<double> source = SourceNumber(sourceChannel);
    if (!source) {
        return;
    }
    const Sample sample{ReadingTime(), static_cast<float>(*source)};
    const auto none = [](const Sample&, const Sample&) {};
    samples.Push(sample, windowSeconds, none, none);
    maximum.Push(samples.OldestNumber() + samples.Size() - 1, sample.value);
    maximum.DropBefore(samples.OldestNumber());
    if (maximum.HasValue()) {
        WriteNumber(outputChannel, maximum.Value());
    }
}

void ProcessedRollingMaximum::VisitFields(FieldVisitor& v) {
    v.Int32("sourceChannel", sourceChannel);
    v.Int32("windowSeconds", windowSeconds);
}

void ProcessedRollingMaximum::Reset() {
    samples.Clear();
    maximum.Clear();
}

}  // namespace svu
