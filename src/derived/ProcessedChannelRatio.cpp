#include "derived/ProcessedChannelRatio.h"

#include "derived/RemoteChannelRead.h"
#include "derived/ValueParse.h"
#include "framework/Archive.h"
#include "framework/FieldVisitor.h"
#include "stations/WeatherStation.h"

namespace svu {

void ProcessedChannelRatio::Calculate(int outputChannel) {
    const std::optional<double> numerator = SourceNumber(numeratorChannel);
    if (!numerator || remoteStation == nullptr || station == nullptr) {
        return;
    }
    if (!CopyRemoteValue(*station, *remoteStation, remoteChannel, divisorText)) {
        return;
    }
    const double divisor = ParseValue(divisorText);
    if (divisor == 0.0) {
        WriteText(outputChannel, "");
        return;
    }
    const float n = static_cast<float>(*numerator);
    WriteNumber(outputChannel, n / divisor);
}

void ProcessedChannelRatio::VisitFields(FieldVisitor& v) {
    v.Int32("numeratorChannel", numeratorChannel);
    v.Int32("remoteChannel", remoteChannel);
}

void ProcessedChannelRatio::SerializeFields(Archive& ar) {
    ProcessedData::SerializeFields(ar);
    if (ar.IsStoring()) {
        ar.WriteObject(remoteStation);
        return;
    }
    Serializable* object = ar.ReadObjectRef();
    remoteStation = dynamic_cast<WeatherStation*>(object);
    if (object != nullptr && remoteStation == nullptr) {
        throw ArchiveError("channel ratio refers to an object that is not a station");
    }
}

ProcessedData::References ProcessedChannelRatio::ChannelReferences() {
    if (remoteStation != nullptr && remoteStation == station) {
        return {{&numeratorChannel, &remoteChannel}, 2};
    }
    return {{&numeratorChannel}, 1};
}

void ProcessedChannelRatio::OnStationRemoved(const WeatherStation& removed) {
    if (remoteStation == &removed) {
        remoteStation = nullptr;
        remoteChannel = -1;
    }
}

}  // namespace svu
