#include "pages/Sheets.h"

#include <array>

#include "framework/Clock.h"
#include "framework/Settings.h"
#include "framework/StringTable.h"
#include "pages/AlarmPages.h"
#include "pages/DerivedListPage.h"
#include "pages/DerivedPages.h"
#include "pages/GenericSerialPages.h"
#include "pages/InstrumentPages.h"
#include "pages/LoggerChannelsPage.h"
#include "pages/LoggerPages.h"
#include "pages/PropertyPage.h"
#include "pages/PropertySheet.h"
#include "pages/RadioModemPage.h"
#include "pages/StationPages.h"
#include "loggers/LineInstrumentStation.h"
#include "loggers/NdrLoggerLink.h"
#include "loggers/WS310320.h"
#include "loggers/WSCalyraHarburyRadio.h"
#include "loggers/WSCalyraModem.h"
#include "loggers/WSCalyraWandDRadio.h"
#include "loggers/WSRadioModemVela.h"
#include "runtime/StationKinds.h"
#include "stations/ModemStation.h"
#include "stations/WSDirect.h"
#include "stations/WSFile.h"
#include "stations/WSGenericSerial.h"
#include "stations/WSModem.h"
#include "stations/WSNetwork.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

// What a station kind's sheet is made of, built in the order the kind lists its pages.
struct StationSheetBuilder {
    QWidget* parent;
    WeatherStation& station;
    bool withDerived;
    const StationPagesContext& context;
    std::unique_ptr<PropertySheet> sheet;

    const Profile* Ports() const { return context.settings != nullptr ? &context.settings->GetProfile() : nullptr; }

    void Begin(int captionId) {
        const char* caption = LoadString(captionId);
        sheet = std::make_unique<PropertySheet>(
            parent, caption != nullptr ? QString::fromUtf8(caption) : QStringLiteral("Properties"), context.ui);
        sheet->SetStoreLock(&station.lock);
    }
    // "Name"; `advanced` says which pages its "Advanced..." button opens (none: no button).
    enum class Advanced { None, ChannelsOnly, ChannelsAndOthers, LoggerChannels };
    void Name(Advanced advanced = Advanced::None) {
        std::function<void()> open;
        if (advanced == Advanced::LoggerChannels) {
            PropertySheet* owner = sheet.get();
            WeatherStation* target = &station;
            const StationPagesContext* shared = &context;
            open = [owner, target, shared] {
                MakeLoggerChannelSheet(owner, *target, *shared)->Run();
                owner->RefreshAll();
            };
        } else if (advanced != Advanced::None) {
            PropertySheet* owner = sheet.get();
            WeatherStation* target = &station;
            const bool others = advanced == Advanced::ChannelsAndOthers;
            open = [owner, target, others] {
                MakeAdvancedSheet(owner, *target, others, &owner->Ui())->Run();
                // The instrument may have changed the channel list.
                owner->RefreshAll();
            };
        }
        sheet->AddPage(MakeStationNamePage(station, std::move(open)));
    }
    void Network() { sheet->AddPage(MakeNetworkOutputPage(station)); }
    void Alarms() { sheet->AddPage(MakeAlarmsPage(station, context.stations)); }
    void Logging() {
        sheet->AddPage(MakeLoggingPage(station, context.clock != nullptr ? *context.clock : SystemClock()));
    }
    void Derived() {
        if (withDerived) {
            sheet->AddPage(MakeDerivedListPage(station, context));
        }
    }
    // The pages every kind starts with, in the usual order.
    void Common(int captionId, Advanced advanced = Advanced::None) {
        Begin(captionId);
        Name(advanced);
        Network();
        Alarms();
        Logging();
        Derived();
    }
    void Add(std::unique_ptr<PropertyPage> page) { sheet->AddPage(std::move(page)); }
};

constexpr int kDirectCaption = 628;
constexpr int kFileCaption = 629;
constexpr int kModemCaption = 630;
constexpr int kVelaModemCaption = 631;
constexpr int kNetworkCaption = 633;
constexpr int kSoundLevelCaption = 626;
constexpr int kCalyraModemCaption = 636;
constexpr int kCalyraWandDCaption = 637;
constexpr int kCalyraHarburyCaption = 638;
constexpr int kGenericSerialCaption = 641;
constexpr int kNoCaption = 0;

using Advanced = StationSheetBuilder::Advanced;

void DirectSheet(StationSheetBuilder& b) {
    auto* direct = dynamic_cast<WSDirect*>(&b.station);
    b.Common(kDirectCaption, direct != nullptr ? Advanced::ChannelsAndOthers : Advanced::None);
    if (direct == nullptr) {
        return;
    }
    b.Add(MakeCommsPage(direct->port, direct->baudRate, b.Ports()));
    // A port opened under the old setting must not outlive a change of "System active".
    const int32_t wasActive = direct->active;
    b.sheet->AfterApply([direct, wasActive] {
        if (direct->active != wasActive) {
            direct->ClosePort();
        }
    });
}

void ModemSheet(StationSheetBuilder& b, int captionId, Advanced advanced) {
    auto* modem = dynamic_cast<ModemStation*>(&b.station);
    auto* direct = dynamic_cast<WSModem*>(&b.station);
    b.Common(captionId, modem != nullptr || direct != nullptr ? advanced : Advanced::None);
    if (modem != nullptr) {
        b.Add(MakeModemPage(modem->modemName, modem->phoneNumber, modem->baudRate, modem->callInterval, b.Ports()));
    } else if (direct != nullptr) {
        b.Add(MakeModemPage(direct->modemName, direct->phoneNumber, direct->baudRate, direct->callInterval, b.Ports()));
    }
}

void NetworkSheet(StationSheetBuilder& b) {
    auto* network = dynamic_cast<WSNetwork*>(&b.station);
    // The derived channels follow the file's channels, so the list is read before it is shown.
    if (network != nullptr && b.withDerived) {
        std::lock_guard guard(network->lock);
        network->ReadConfiguration();
    }
    b.Common(kNetworkCaption);
    if (network != nullptr) {
        b.Add(MakeNetworkInputPage(*network));
    }
}

void FileSheet(StationSheetBuilder& b) {
    auto* file = dynamic_cast<WSFile*>(&b.station);
    if (file != nullptr && b.withDerived) {
        std::lock_guard guard(file->lock);
        file->ReadConfiguration();
    }
    b.Begin(kFileCaption);
    b.Name();
    if (file != nullptr) {
        b.Add(MakeFileInputPage(*file));
        b.sheet->AfterApply([file] {
            std::lock_guard guard(file->lock);
            file->ReadConfiguration();
        });
    }
    b.Network();
    b.Alarms();
    b.Logging();
    b.Derived();
}

void GenericSerialSheet(StationSheetBuilder& b) {
    auto* generic = dynamic_cast<WSGenericSerial*>(&b.station);
    b.Begin(kGenericSerialCaption);
    // "Advanced..." opens the scripts.
    std::function<void()> scripts;
    if (generic != nullptr) {
        PropertySheet* owner = b.sheet.get();
        const StationPagesContext* context = &b.context;
        scripts = [owner, generic, context] {
            MakeGenericScriptSheet(owner, *generic, *context)->Run();
            owner->RefreshAll();
        };
    }
    b.sheet->AddPage(MakeStationNamePage(b.station, std::move(scripts)));
    b.Network();
    b.Alarms();
    b.Logging();
    b.Derived();
    if (generic != nullptr) {
        b.Add(MakeCommsPage(generic->port, generic->baudRate, b.Ports()));
        b.Add(MakeModemPage(generic->modemName, generic->phoneNumber, generic->baudRate, generic->callInterval,
                            b.Ports()));
    }
}

// The wind sensor, the particle counter, Triscan and the data logger: the common pages and "Comms".
void LineInstrumentSheet(StationSheetBuilder& b) {
    auto* instrument = dynamic_cast<LineInstrumentStation*>(&b.station);
    const bool logger = dynamic_cast<NdrLoggerLink*>(&b.station) != nullptr;
    b.Common(kNoCaption, logger ? Advanced::LoggerChannels : Advanced::None);
    if (instrument != nullptr) {
        b.Add(MakeCommsPage(instrument->port, instrument->baudRate, b.Ports()));
    }
    if (auto* logger = dynamic_cast<NdrLoggerLink*>(&b.station)) {
        b.Add(MakeLoggerSetupPage(b.station, *logger));
    }
}

void SoundLevelSheet(StationSheetBuilder& b) {
    auto* meter = dynamic_cast<WS310320*>(&b.station);
    b.Common(kSoundLevelCaption);
    if (meter == nullptr) {
        return;
    }
    b.Add(MakeCommsPage(meter->port, meter->baudRate, b.Ports()));
    b.Add(MakeSoundLevelSpecialPage(*meter));
    b.sheet->AfterApply([meter] {
        std::lock_guard guard(meter->lock);
        if (!meter->onlineMode) {
            meter->SetStandardNames();
        }
        meter->Prepare();
    });
}

void RadioModemVelaSheet(StationSheetBuilder& b) {
    auto* radio = dynamic_cast<WSRadioModemVela*>(&b.station);
    b.Common(kNoCaption);
    if (radio != nullptr) {
        b.Add(MakeRadioModemPage(
            {&radio->port, &radio->baudRate, &radio->address, nullptr, &radio->frequency, &radio->radioType},
            b.Ports()));
    }
}

void WandDRadioSheet(StationSheetBuilder& b) {
    auto* radio = dynamic_cast<WSCalyraWandDRadio*>(&b.station);
    b.Common(kCalyraWandDCaption, radio != nullptr ? Advanced::LoggerChannels : Advanced::None);
    if (radio != nullptr) {
        b.Add(MakeRadioChannelPage(radio->port, radio->radioChannel, b.Ports()));
    }
}

void HarburyRadioSheet(StationSheetBuilder& b) {
    auto* radio = dynamic_cast<WSCalyraHarburyRadio*>(&b.station);
    b.Common(kCalyraHarburyCaption, radio != nullptr ? Advanced::LoggerChannels : Advanced::None);
    if (radio != nullptr) {
        b.Add(MakeRadioModemPage({&radio->port, &radio->baudRate, &radio->address, &radio->txAddress,
                                  &radio->frequency, &radio->radioType},
                                 b.Ports()));
        b.Add(MakeLoggerSetupPage(b.station, *radio));
    }
}

void CalyraModemSheet(StationSheetBuilder& b) {
    auto* logger = dynamic_cast<WSCalyraModem*>(&b.station);
    b.Common(kCalyraModemCaption, logger != nullptr ? Advanced::LoggerChannels : Advanced::None);
    if (logger != nullptr) {
        b.Add(MakeModemPage(logger->modemName, logger->phoneNumber, logger->baudRate, logger->callInterval, b.Ports()));
        b.Add(MakeLoggerSetupPage(b.station, *logger));
    }
}

using StationSheetFunction = void (*)(StationSheetBuilder&);

// In type-code order. Kinds whose own pages are not built yet get the pages every kind has.
const std::array<StationSheetFunction, 15> kStationSheets = {
    DirectSheet,
    [](StationSheetBuilder& b) { ModemSheet(b, kModemCaption, Advanced::ChannelsAndOthers); },
    NetworkSheet,
    RadioModemVelaSheet,
    [](StationSheetBuilder& b) { ModemSheet(b, kVelaModemCaption, Advanced::ChannelsOnly); },
    LineInstrumentSheet,
    LineInstrumentSheet,
    LineInstrumentSheet,
    LineInstrumentSheet,
    HarburyRadioSheet,
    CalyraModemSheet,
    WandDRadioSheet,
    FileSheet,
    SoundLevelSheet,
    GenericSerialSheet,
};

}  // namespace

std::unique_ptr<PropertySheet> MakeStationSheet(QWidget* parent, WeatherStation& station, bool withDerivedPage,
                                                const StationPagesContext& context) {
    StationSheetBuilder builder{parent, station, withDerivedPage, context, nullptr};
    if (station.typeCode >= 0 && static_cast<size_t>(station.typeCode) < kStationSheets.size()) {
        kStationSheets[static_cast<size_t>(station.typeCode)](builder);
    } else {
        builder.Common(kNoCaption);
    }
    return std::move(builder.sheet);
}

int EditStationProperties(QWidget* parent, WeatherStation& station, bool withDerivedPage,
                          const StationPagesContext& context) {
    return MakeStationSheet(parent, station, withDerivedPage, context)->Run();
}

int EditDerivedProperties(QWidget* parent, ProcessedData& data, const StationPagesContext& context) {
    return MakeDerivedSheet(parent, data, context)->Run();
}

int ChooseStationType(QWidget* parent, UserInterface* ui) {
    long long chosen = -1;
    QStringList entries;
    for (const StationKind& kind : StationKinds()) {
        entries << QString::fromUtf8(kind.dropDownText);
    }
    PropertySheet sheet(parent, QStringLiteral("New Monitoring System"), ui);
    auto page = std::make_unique<PropertyPage>(QStringLiteral("New Monitoring System"));
    page->BeginGroup(QStringLiteral("Monitoring system"));
    page->NameList(QStringLiteral("type"), QStringLiteral("Type"), entries, Bind<long long>(chosen));
    sheet.AddPage(std::move(page));
    sheet.HideTabs();
    if (sheet.Run() != kSheetOk) {
        return -1;
    }
    return static_cast<int>(chosen);
}

}  // namespace svu
