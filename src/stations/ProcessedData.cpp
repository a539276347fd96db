#include "stations/ProcessedData.h"

#include <cmath>

#include "framework/Archive.h"
#include "framework/FieldVisitor.h"
#include "framework/NumberFormat.h"
#include "stations/WeatherStation.h"

namespace svu {

ProcessedData::ProcessedData(WeatherStation* owner, uint32_t type)
    : name(owner != nullptr ? DefaultDerivedName(*owner) : std::string("Data1")), typeCode(type), station(owner) {}

void ProcessedData::Serialize(Archive& ar) {
    if (ar.IsStoring()) {
        ar.WriteString(name);
        ar.WriteU32(typeCode);
        ar.WriteObject(station);
    } else {
        name = ar.ReadString();
        // The class decides the kind; a stored code that disagrees is not allowed to mislabel it.
        (void)ar.ReadU32();
        Serializable* owner = ar.ReadObjectRef();
        station = dynamic_cast<WeatherStation*>(owner);
        if (owner != nullptr && station == nullptr) {
            throw ArchiveError("derived channel refers to an object that is not a station");
        }
    }
    SerializeFields(ar);
}

void ProcessedData::SerializeFields(Archive& ar) {
    ArchiveFieldVisitor visitor(ar, kSchema);
    VisitFields(visitor);
}

void ProcessedData::OnChannelDeleted(int index) {
    const References r = ChannelReferences();
    for (int i = 0; i < r.count; ++i) {
        AdjustForDeletion(*r.refs[i], index);
    }
}

void ProcessedData::OnChannelInserted(int index) {
    const References r = ChannelReferences();
    for (int i = 0; i < r.count; ++i) {
        AdjustForInsertion(*r.refs[i], index);
    }
}

const std::string* ProcessedData::SourceText(int32_t ref) const {
    return station != nullptr ? ChannelText(*station, ref) : nullptr;
}

std::optional<double> ProcessedData::SourceNumber(int32_t ref) const {
    if (station == nullptr || ChannelText(*station, ref) == nullptr) {
        return std::nullopt;
    }
    return station->ChannelNumber(static_cast<std::size_t>(ref));
}

TimeT ProcessedData::ReadingTime() const {
    return station != nullptr ? station->readingTime : 0;
}

void ProcessedData::WriteNumber(int outputChannel, double value) {
    if (!std::isfinite(value)) {
        return;
    }
    char buf[kNumberTextSize];
    const std::size_t n = FormatG5To(buf, value);
    WriteText(outputChannel, std::string_view(buf, n));
}

void ProcessedData::WriteText(int outputChannel, std::string_view text) {
    if (station == nullptr || outputChannel < 0) {
        return;
    }
    std::vector<std::string>& values = station->values;
    const auto index = static_cast<std::size_t>(outputChannel);
    if (index >= values.size()) {
        values.resize(index + 1);
    }
    values[index].assign(text.data(), text.size());
    // Later channels and the alarms read the number rather than the text.
    station->numbers.Written(index);
}

const std::string* ChannelText(const WeatherStation& station, int32_t channel) {
    if (channel < 0 || channel >= station.channelCount || static_cast<std::size_t>(channel) >= station.values.size()) {
        return nullptr;
    }
    return &station.values[static_cast<std::size_t>(channel)];
}

std::string DefaultDerivedName(const WeatherStation& station) {
    for (int n = 1;; ++n) {
        std::string candidate = "Data" + std::to_string(n);
        bool taken = false;
        for (const auto& d : station.derived) {
            if (d && d->name == candidate) {
                taken = true;
                break;
            }
        }
        if (!taken) {
            return candidate;
        }
    }
}

void AdjustForDeletion(int32_t& reference, int deletedIndex) {
    if (reference < 0) {
        return;
    }
    if (reference == deletedIndex) {
        reference = -1;
    } else if (reference > deletedIndex) {
        --reference;
    }
}

void AdjustForInsertion(int32_t& reference, int insertedIndex) {
    if (reference >= 0 && reference >= insertedIndex) {
        ++reference;
    }
}

}  // namespace svu
