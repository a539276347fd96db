#include "pages/AlarmPages.h"

#include <QListWidget>
#include <QPushButton>
#include <algorithm>
#include <set>

#include "framework/StringTable.h"
#include "outputs/AlarmSpeech.h"
#include "pages/DerivedPages.h"
#include "pages/PropertyPage.h"
#include "pages/PropertySheet.h"
#include "pages/Sheets.h"
#include "stations/Alarm.h"
#include "stations/StationFile.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

constexpr int kEnabledText = 145;
constexpr int kDisabledText = 146;
constexpr int kAskDeleteAlarm = 147;
constexpr long long kMaxDelayMinutes = 1440;
constexpr long long kMaxRecordSeconds = 3600;

SpokenAlarms*& SpokenSettings() {
    static SpokenAlarms* spoken = nullptr;
    return spoken;
}

class AlarmPage : public PropertyPage {
public:
    AlarmPage(Alarm& alarm, const WeatherStation& station, bool* speak) : PropertyPage(QStringLiteral("Alarm")) {
        BeginGroup(QStringLiteral("Alarm"));
        Text(QStringLiteral("name"), QStringLiteral("Name:"), Bind<std::string>(alarm.name));
        NameList(QStringLiteral("channel"), QStringLiteral("Channel:"), StationChannelNames(&station),
                 Bind<long long>(alarm.channel));
        Choice(QStringLiteral("condition"), QStringLiteral("Operator:"),
               {QStringLiteral("<"), QStringLiteral("<="), QStringLiteral("="), QStringLiteral("<>"),
                QStringLiteral(">="), QStringLiteral(">")},
               Bind<long long>(alarm.condition));
        Decimal(QStringLiteral("threshold"), QStringLiteral("Value:"), Bind<double>(alarm.threshold));
        Check(QStringLiteral("enabled"), QStringLiteral("Enabled"), BindFlag(alarm.enabled));
        // Any kind above 0 is an Alarm; the page shows it as such and writes 0 or 1.
        Radio(QStringLiteral("kind"), {QStringLiteral("Alert"), QStringLiteral("Alarm")},
              {[&alarm] { return alarm.kind > 0 ? 1LL : 0LL; },
               [&alarm](const long long& v) { alarm.kind = static_cast<int32_t>(v); }},
              {}, false);
        BeginRow(QStringLiteral("Reactivation delay:"));
        Integer(QStringLiteral("reactivationDelay"), {}, Bind<long long>(alarm.reactivationDelay), 0, kMaxDelayMinutes);
        AddText(QStringLiteral("minutes"));
        EndRow();

        BeginGroup(QStringLiteral("E-mail"));
        AddText(QStringLiteral("Comma separated list of e-mail addresses (empty for no notification):"));
        Text(QStringLiteral("recipients"), {}, Bind<std::string>(alarm.recipients));
        BeginRow(QStringLiteral("Minimum resend delay:"));
        Integer(QStringLiteral("resendDelay"), {}, Bind<long long>(alarm.resendDelay), 0, kMaxDelayMinutes);
        AddText(QStringLiteral("minutes"));
        EndRow();

        BeginGroup(QStringLiteral("Recording"));
        Check(QStringLiteral("recordSound"), QStringLiteral("Record"), BindFlag(alarm.recordSound));
        BeginRow(QStringLiteral("Length of recording:"));
        Integer(QStringLiteral("recordLength"), {}, Bind<long long>(alarm.recordLength), 1, kMaxRecordSeconds);
        AddText(QStringLiteral("seconds"));
        EndRow();
        Path(QStringLiteral("recordFolder"), QStringLiteral("Folder:"), Bind<std::string>(alarm.recordFolder),
             PathField::Kind::Folder, QStringLiteral("Folder:"));
        Choice(QStringLiteral("recordRate"), QStringLiteral("Samples per second:"),
               {QStringLiteral("8000"), QStringLiteral("11025"), QStringLiteral("22050"), QStringLiteral("44100")},
               Bind<long long>(alarm.recordRate), {8000, 11025, 22050, 44100});
        Radio(QStringLiteral("recordBits"), {QStringLiteral("8 Bits"), QStringLiteral("16 Bits")},
              Bind<long long>(alarm.recordBits), {8, 16}, false);

        // Kept in the settings file by station and alarm name, not in the alarm's record: the
        // caller holds the flag and writes it when it applies the alarm.
        if (speak != nullptr && SpokenSettings() != nullptr) {
            BeginGroup(QStringLiteral("Speech"));
            Check(QStringLiteral("speak"), QStringLiteral("Speak the message and the value when it triggers"),
                  {[speak] { return *speak; }, [speak](const bool& on) { *speak = on; }});
        }
    }
};

// The settings the dialog edits, from the page's copy back into the station's alarm; the trigger
// state and times of the station's alarm stay as they are.
void CopySettings(const Alarm& from, Alarm& to) {
    to.name = from.name;
    to.channel = from.channel;
    to.threshold = from.threshold;
    to.enabled = from.enabled;
    to.condition = from.condition;
    to.kind = from.kind;
    to.recipients = from.recipients;
    to.recordLength = from.recordLength;
    to.recordFolder = from.recordFolder;
    to.recordRate = from.recordRate;
    to.recordBits = from.recordBits;
    to.recordSound = from.recordSound;
    to.reactivationDelay = from.reactivationDelay;
    to.resendDelay = from.resendDelay;
}

class AlarmsPage : public PropertyPage {
public:
    AlarmsPage(WeatherStation& station, const StationList* stations)
        : PropertyPage(QStringLiteral("Alarms")),
          station_(station),
          stations_(stations),
          keyedName_(station.name),
          list_(new QListWidget) {
        BeginGroup(QStringLiteral("Alarms"));
        list_->setObjectName(QStringLiteral("alarmList"));
        AddWidget(list_);
        BeginRow();
        AddButton(QStringLiteral("Add..."), QStringLiteral("addAlarm"), [this] { AddAlarm(); });
        QPushButton* remove =
            AddButton(QStringLiteral("Delete..."), QStringLiteral("deleteAlarm"), [this] { DeleteAlarm(); });
        QPushButton* properties =
            AddButton(QStringLiteral("Properties..."), QStringLiteral("alarmProperties"), [this] { EditSelected(); });
        EndRow();
        Check(QStringLiteral("logAlarms"), QStringLiteral("Log alarms to Alarms.txt"), BindFlag(station.logAlarms));
        EnableWidgetsWhen({remove, properties}, [this] { return list_->currentRow() >= 0; });
        QObject::connect(list_, &QListWidget::currentRowChanged, this, [this] { ApplyRules(); });
        QObject::connect(list_, &QListWidget::itemDoubleClicked, this, [this] { EditSelected(); });
    }

    void Load() override {
        if (!afterApplyAdded_ && Sheet() != nullptr) {
            // The station's name is written by another page, in any order: its alarms' settings
            // follow it once the whole sheet has been applied.
            afterApplyAdded_ = true;
            Sheet()->AfterApply([this] { FollowStationName(); });
        }
        touchedNames_.clear();
        entries_.clear();
        SpokenAlarms* spoken = SpokenSettings();
        for (const auto& alarm : station_.alarms) {
            touchedNames_.insert(alarm->name);
            const bool speak = spoken != nullptr && spoken->IsSpoken(keyedName_, alarm->name);
            entries_.push_back({alarm.get(), alarm->Copy(), speak, alarm->channel});
        }
        Fill();
        PropertyPage::Load();
    }

    void Store() override {
        PropertyPage::Store();
        StoreSpeak();
        std::vector<std::unique_ptr<Alarm>> kept;
        for (Entry& entry : entries_) {
            if (entry.original == nullptr) {
                kept.push_back(std::move(entry.edit));
                continue;
            }
            // A channel dialog ("Advanced...") may have moved the alarm's channel since the page
            // was loaded: the page's copy overrides it only when the user chose another channel.
            const auto channel = entry.original->channel;
            CopySettings(*entry.edit, *entry.original);
            if (entry.edit->channel == entry.loadedChannel) {
                entry.original->channel = channel;
            }
            auto owned = std::find_if(station_.alarms.begin(), station_.alarms.end(),
                                      [&entry](const auto& a) { return a.get() == entry.original; });
            kept.push_back(std::move(*owned));
        }
        station_.alarms = std::move(kept);
        entries_.clear();
        Load();
    }

private:
    struct Entry {
        Alarm* original;  // the station's alarm, null for one added on this page
        std::unique_ptr<Alarm> edit;
        bool speak;  // its Speak setting, written with the rest on OK
        decltype(Alarm::channel) loadedChannel = -1;
    };

    // Every alarm name the page had or has now gets the setting of the alarms that carry it
    // after the edits: a renamed alarm takes its setting along, a deleted one leaves none behind
    // (alarms of one name share a key). The keys are still under the name the station had when
    // the sheet opened.
    void StoreSpeak() {
        SpokenAlarms* spoken = SpokenSettings();
        if (spoken == nullptr) {
            return;
        }
        for (const Entry& entry : entries_) {
            touchedNames_.insert(entry.edit->name);
        }
        for (const std::string& name : touchedNames_) {
            spoken->SetSpoken(keyedName_, name, std::any_of(entries_.begin(), entries_.end(), [&name](const Entry& e) {
                                  return e.speak && e.edit->name == name;
                              }));
        }
    }

    void FollowStationName() {
        SpokenAlarms* spoken = SpokenSettings();
        if (station_.name == keyedName_) {
            return;
        }
        if (spoken != nullptr) {
            // Stations of the same name share their settings: another one's are left as they are.
            const auto otherIsNamed = [this](const std::string& name) {
                return stations_ != nullptr &&
                       std::any_of(stations_->begin(), stations_->end(),
                                   [&](const auto& s) { return s.get() != &station_ && s->name == name; });
            };
            spoken->RenameStation(keyedName_, station_.name, otherIsNamed(keyedName_), otherIsNamed(station_.name));
        }
        keyedName_ = station_.name;
    }

    void Fill() {
        const int row = list_->currentRow();
        list_->clear();
        for (const Entry& entry : entries_) {
            list_->addItem(ToQt(entry.edit->name) + QLatin1Char('\t') +
                           ToQt(Str(entry.edit->enabled != 0 ? kEnabledText : kDisabledText)));
        }
        list_->setCurrentRow(std::min(row, list_->count() - 1));
        ApplyRules();
    }

    std::string NextName() const {
        for (int i = 1;; ++i) {
            std::string name = "Alarm" + std::to_string(i);
            if (std::none_of(entries_.begin(), entries_.end(),
                             [&name](const Entry& e) { return e.edit->name == name; })) {
                return name;
            }
        }
    }

    int RunAlarmSheet(Alarm& alarm, bool& speak) {
        auto sheet = MakeAlarmSheet(this, alarm, station_, &Ui(), &speak);
        sheet->SetStoreLock(&station_.lock);
        return sheet->Run();
    }

    void AddAlarm() {
        auto alarm = std::make_unique<Alarm>();
        alarm->name = NextName();
        bool speak = false;
        if (RunAlarmSheet(*alarm, speak) != kSheetOk) {
            return;
        }
        entries_.insert(entries_.begin(), Entry{nullptr, std::move(alarm), speak});
        Fill();
        list_->setCurrentRow(0);
    }

    void DeleteAlarm() {
        const int row = list_->currentRow();
        if (row < 0 || !AskYesNo(Ui(), ToQt(Str(kAskDeleteAlarm)))) {
            return;
        }
        touchedNames_.insert(entries_[static_cast<size_t>(row)].edit->name);
        entries_.erase(entries_.begin() + row);
        Fill();
    }

    void EditSelected() {
        const int row = list_->currentRow();
        if (row < 0) {
            return;
        }
        Entry& entry = entries_[static_cast<size_t>(row)];
        if (RunAlarmSheet(*entry.edit, entry.speak) == kSheetOk) {
            Fill();
        }
    }

    WeatherStation& station_;
    const StationList* stations_;
    std::string keyedName_;  // the station name its alarms' Speak settings are kept under
    QListWidget* list_;
    std::vector<Entry> entries_;
    std::set<std::string> touchedNames_;  // names alarms had on the page since it was loaded
    bool afterApplyAdded_ = false;
};

}  // namespace

void SetSpokenAlarmSettings(SpokenAlarms* spoken) {
    SpokenSettings() = spoken;
}

std::unique_ptr<PropertySheet> MakeAlarmSheet(QWidget* parent, Alarm& alarm, const WeatherStation& station,
                                              UserInterface* ui, bool* speak) {
    auto sheet = std::make_unique<PropertySheet>(parent, QStringLiteral("Alarm Properties"), ui);
    sheet->AddPage(std::make_unique<AlarmPage>(alarm, station, speak));
    sheet->HideTabs();
    return sheet;
}

std::unique_ptr<PropertyPage> MakeAlarmsPage(WeatherStation& station, const StationList* stations) {
    return std::make_unique<AlarmsPage>(station, stations);
}

void ForgetSpokenAlarms(const WeatherStation& station, const StationList& stations) {
    SpokenAlarms* spoken = SpokenSettings();
    if (spoken == nullptr || std::any_of(stations.begin(), stations.end(), [&station](const auto& s) {
            return s.get() != &station && s->name == station.name;
        })) {
        return;  // another station of the same name keeps them
    }
    spoken->ForgetStation(station.name);
}

}  // namespace svu
