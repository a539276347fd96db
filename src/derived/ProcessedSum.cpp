#include "derived/ProcessedSum.h"

#include <algorithm>

#include "framework/FieldVisitor.h"

namespace svu {

void ProcessedSum::Calculate(int outputChannel) {
    float sum = 0.0f;
    for (const uint32_t entry : channels) {
        if (const std::optional<double> number = SourceNumber(static_cast<int32_t>(entry))) {
            sum = static_cast<float>(sum + *number);
        }
    }
    WriteNumber(outputChannel, sum);
}

void ProcessedSum::VisitFields(FieldVisitor& v) {
    v.UInt32Array("channels", channels);
}

// Entries are compared as signed indexes, so an entry of -1 (none) never moves.
void ProcessedSum::OnChannelDeleted(int index) {
    std::erase_if(channels, [index](uint32_t entry) { return static_cast<int32_t>(entry) == index; });
    for (uint32_t& entry : channels) {
        int32_t reference = static_cast<int32_t>(entry);
        AdjustForDeletion(reference, index);
        entry = static_cast<uint32_t>(reference);
    }
}

void ProcessedSum::OnChannelInserted(int index) {
    for (uint32_t& entry : channels) {
        int32_t reference = static_cast<int32_t>(entry);
        AdjustForInsertion(reference, index);
        entry = static_cast<uint32_t>(reference);
    }
}

}  // namespace svu
