#include "runtime/StationKinds.h"

#include "framework/Archive.h"
#include "framework/ClassRegistry.h"
#include "loggers/WS310320.h"
#include "loggers/WSCalyraHarburyRadio.h"
#include "loggers/WSCalyraModem.h"
#include "loggers/WSCalyraWandDRadio.h"
#include "loggers/WSNDR.h"
#include "loggers/WSParticleCounter.h"
#include "loggers/WSRadioModemVela.h"
#include "loggers/WSSpeedAndDirection.h"
#include "loggers/WSTriscan.h"
#include "stations/Alarm.h"
#include "stations/WSDirect.h"
#include "stations/WSFile.h"
#include "stations/WSGenericSerial.h"
#include "stations/WSModem.h"
#include "stations/WSModemVela.h"
#include "stations/WSNetwork.h"

namespace svu {

namespace {

template <class T>
std::function<std::unique_ptr<WeatherStation>(std::string)> Maker() {
    return [](std::string name) -> std::unique_ptr<WeatherStation> { return std::make_unique<T>(std::move(name)); };
}

}  // namespace

const std::vector<StationKind>& StationKinds() {
    static const std::vector<StationKind> kinds = {
        {0, "Direct", WSDirect::kClassName, Maker<WSDirect>()},
        {1, "Modem", WSModem::kClassName, Maker<WSModem>()},
        {2, "Network", WSNetwork::kClassName, Maker<WSNetwork>()},
        {3, "Radio Modem (Vela)", WSRadioModemVela::kClassName, Maker<WSRadioModemVela>()},
        {4, "Modem (Vela)", WSModemVela::kClassName, Maker<WSModemVela>()},
        {5, "Wind Speed and Direction", WSSpeedAndDirection::kClassName, Maker<WSSpeedAndDirection>()},
        {6, "Particle Counter", WSParticleCounter::kClassName, Maker<WSParticleCounter>()},
        {7, "Triscan", WSTriscan::kClassName, Maker<WSTriscan>()},
        {8, "Calyra (direct RS232)", WSNDR::kClassName, Maker<WSNDR>()},
        {9, "Calyra (Harbury radio)", WSCalyraHarburyRadio::kClassName, Maker<WSCalyraHarburyRadio>()},
        {10, "Calyra (Modem)", WSCalyraModem::kClassName, Maker<WSCalyraModem>()},
        {11, "Calyra (Wood & Douglas radio)", WSCalyraWandDRadio::kClassName, Maker<WSCalyraWandDRadio>()},
        {12, "File", WSFile::kClassName, Maker<WSFile>()},
        {13, "310/320", WS310320::kClassName, Maker<WS310320>()},
        {14, "Generic (Serial)", WSGenericSerial::kClassName, Maker<WSGenericSerial>()},
    };
    return kinds;
}

const StationKind* FindStationKind(int typeCode) {
    const auto& kinds = StationKinds();
    if (typeCode < 0 || static_cast<size_t>(typeCode) >= kinds.size()) {
        return nullptr;
    }
    return &kinds[static_cast<size_t>(typeCode)];
}

std::unique_ptr<WeatherStation> CreateStation(int typeCode, std::string name, std::string* error) {
    const StationKind* kind = FindStationKind(typeCode);
    if (kind == nullptr) {
        if (error != nullptr) {
            *error = kStationTypeNotSupported;
        }
        return nullptr;
    }
    if (!kind->create) {
        if (error != nullptr) {
            *error = std::string("The station type \"") + kind->dropDownText + "\" is not available in this version.";
        }
        return nullptr;
    }
    return kind->create(std::move(name));
}

void RegisterStationClasses(ClassRegistry& reg) {
    reg.RegisterClass<Alarm>(Alarm::kClassName);
    for (const StationKind& kind : StationKinds()) {
        if (kind.create) {
            auto create = kind.create;
            reg.Register(kind.className, [create] { return std::unique_ptr<Serializable>(create(std::string())); });
        } else {
            const std::string className = kind.className;
            reg.Register(className, [className]() -> std::unique_ptr<Serializable> {
                throw ArchiveError("archive: the station kind " + className + " is not available in this version");
            });
        }
    }
}

}  // namespace svu
