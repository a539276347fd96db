#include "derived/ProcessedTimeInSector.h"

#include <bit>

#include "derived/Formulas.h"
#include "framework/FieldVisitor.h"

namespace svu {

bool ProcessedTimeInSector::Inside(const Sample& sample) const {
    return InSector(sample.value, countedFrom, countedTo);
}

int64_t ProcessedTimeInSector::InsideSeconds(const Sample& previous, const Sample& sample) const {
    return Inside(sample) ? Interval(previous, sample) : 0;
}

void ProcessedTimeInSector::FollowSector() {
    if (std::bit_cast<uint32_t>(sectorFrom) == std::bit_cast<uint32_t>(countedFrom) &&
        std::bit_cast<uint32_t>(sectorTo) == std::bit_cast<uint32_t>(countedTo)) {
        return;
    }
    countedFrom = sectorFrom;
    countedTo = sectorTo;
    insideSeconds = 0;
    for (std::size_t i = 1; i < samples.Size(); ++i) {
        insideSeconds += InsideSeconds(samples[i - 1], samples[i]);
    }
}

void ProcessedTimeInSector::Calculate(int outputChannel) {
    const std::optional<double> direction = SourceNumber(directionChannel);
    if (!direction) {
        return;
    }
    FollowSector();
    samples.Push(
        Sample{ReadingTime(), static_cast<float>(*direction)}, windowSeconds,
        [this](const Sample& previous, const Sample& sample) { insideSeconds += InsideSeconds(previous, sample); },
        [this](const Sample& oldest, const Sample& next) { insideSeconds -= InsideSeconds(oldest, next); });
    const int64_t span = samples.SpanSeconds();
    if (span == 0) {
        // One sample, or every sample at one reading time: the newest sample's indicator.
        WriteNumber(outputChannel, Inside(samples.Newest()) ? 1.0 : 0.0);
        return;
    }
    WriteNumber(outputChannel, static_cast<double>(insideSeconds) / static_cast<double>(span));
}

void ProcessedTimeInSector::VisitFields(FieldVisitor& v) {
    v.Int32("directionChannel", directionChannel);
    v.Float("sectorFrom", sectorFrom);
    v.Float("sectorTo", sectorTo);
    v.Int32("windowSeconds", windowSeconds);
}

void ProcessedTimeInSector::Reset() {
    samples.Clear();
    insideSeconds = 0;
}

}  // namespace svu
