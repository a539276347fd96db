#include "pages/StationPages.h"

#include <QPushButton>
#include <algorithm>
#include <map>
#include <tuple>

#include "framework/Clock.h"
#include "framework/SafeName.h"
#include "framework/StringTable.h"
#include "pages/PropertyPage.h"
#include "platform/SerialDevices.h"
#include "stations/WSFile.h"
#include "stations/WSNetwork.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

constexpr int kNetworkFileFilter = 148;
constexpr int kNetworkOutputTitle = 149;
constexpr int kLogFileFilter = 150;
constexpr int kNetworkInputTitle = 174;
constexpr int kLogFolderPrompt = 203;
constexpr int kInputFileTitle = 326;

constexpr int32_t kUnitSeconds[] = {1, 60, 3600};
// Ports offered even when the machine shows no device for them, so a station can be set up for
// an adapter that is not plugged in yet.
constexpr int kAlwaysOfferedPorts = 8;

}  // namespace

QStringList BaudRateTexts() {
    QStringList texts;
    for (int32_t rate : kBaudRates) {
        texts << QString::number(rate);
    }
    return texts;
}

std::vector<long long> BaudRateValues() {
    return {std::begin(kBaudRates), std::end(kBaudRates)};
}

// Port numbers with the device each one reaches, the current one always included.
void PortEntries(int32_t current, const Profile* ports, QStringList& texts, std::vector<long long>& values) {
    std::map<int, std::string> devices;
    for (const SerialDeviceInfo& info : ListSerialDevices(ports)) {
        if (info.portNumber > 0) {
            devices.emplace(info.portNumber, info.path);
        }
    }
    for (int n = 1; n <= kAlwaysOfferedPorts; ++n) {
        devices.emplace(n, SerialPortDevice(n, ports));
    }
    if (current > 0) {
        devices.emplace(current, SerialPortDevice(current, ports));
    }
    for (const auto& [number, path] : devices) {
        texts << QStringLiteral("COM%1 (%2)").arg(number).arg(ToQt(path));
        values.push_back(number);
    }
}

std::unique_ptr<PropertyPage> MakeStationNamePage(WeatherStation& station, std::function<void()> advanced) {
    auto page = std::make_unique<PropertyPage>(QStringLiteral("Name"));
    page->BeginGroup(QStringLiteral("Monitoring system"));
    // The name becomes part of the daily log's file name.
    page->Text(QStringLiteral("name"), QStringLiteral("Name:"), Bind<std::string>(station.name)).check =
        [](const std::string& name) {
            const std::string problem = FileNamePartProblem(name);
            return problem.empty() ? problem : "The name " + problem + "; it is part of the log file names.";
        };
    page->Check(QStringLiteral("active"), QStringLiteral("System active"), BindFlag(station.active));
    page->Check(QStringLiteral("logErrors"), QStringLiteral("Log Errors"), BindFlag(station.logErrors));
    if (advanced) {
        page->AddButton(QStringLiteral("Advanced..."), QStringLiteral("advanced"), std::move(advanced));
    }
    return page;
}

std::unique_ptr<PropertyPage> MakeNetworkOutputPage(WeatherStation& station) {
    auto page = std::make_unique<PropertyPage>(QStringLiteral("Network"));
    page->BeginGroup(QStringLiteral("Network"));
    page->Check(QStringLiteral("networkOutput"), QStringLiteral("Enable network output"),
                BindFlag(station.networkOutput));
    page->Path(QStringLiteral("networkFile"), QStringLiteral("Network output file"),
               Bind<std::string>(station.networkFile), PathField::Kind::SaveFile, ToQt(Str(kNetworkOutputTitle)),
               Str(kNetworkFileFilter));
    return page;
}

void LogIntervalDisplay(int32_t intervalSeconds, int32_t& count, int32_t& unitSeconds) {
    if (intervalSeconds >= 3600) {
        unitSeconds = 3600;
    } else if (intervalSeconds < 60) {
        unitSeconds = 1;
    } else {
        unitSeconds = 60;
    }
    count = intervalSeconds / unitSeconds;
}

namespace {

// The "Logging" page keeps what was typed for the count and unit until every field is stored,
// then forms the interval from both.
class LoggingPage : public PropertyPage {
public:
    LoggingPage(WeatherStation& station, Clock& clock) : PropertyPage(QStringLiteral("Logging")), station_(station) {
        BeginGroup(QStringLiteral("Logging"));
        Check(QStringLiteral("loggingEnabled"), QStringLiteral("Enable logging"), BindFlag(station.loggingEnabled));
        CheckField& all =
            Check(QStringLiteral("logAllValues"), QStringLiteral("Log all values"), BindFlag(station.logAllValues));
        BeginRow(QStringLiteral("Log every"));
        IntegerField& count = Integer(
            QStringLiteral("logCount"), {},
            {[this] { return static_cast<long long>(Shown().first); }, [this](const long long& v) { count_ = v; }}, 1,
            59);
        ChoiceField& unit = Choice(
            QStringLiteral("logUnit"), {},
            {QStringLiteral("Second(s)"), QStringLiteral("Minute(s)"), QStringLiteral("Hour(s)")},
            {[this] { return static_cast<long long>(Shown().second); }, [this](const long long& v) { unit_ = v; }},
            {1, 60, 3600});
        EndRow();
        Path(QStringLiteral("logFolder"), QStringLiteral("Folder"), Bind<std::string>(station.logFolder),
             PathField::Kind::Folder, ToQt(Str(kLogFolderPrompt)));
        EnableWhen({&count, &unit}, [&all] { return !all.Checked(); });
        AfterStore([this, &clock] { StoreInterval(clock); });
    }

    void Store() override {
        // A field the user left alone is not written back, so start from what the page showed.
        std::tie(count_, unit_) = Shown();
        PropertyPage::Store();
    }

private:
    std::pair<int32_t, int32_t> Shown() const {
        int32_t count = 0;
        int32_t unit = 0;
        LogIntervalDisplay(station_.logInterval, count, unit);
        return {count, unit};
    }

    void StoreInterval(Clock& clock) {
        // A count left disabled (and out of range) by "Log all values" keeps the interval.
        if (count_ < 1 || count_ > 59 ||
            std::find(std::begin(kUnitSeconds), std::end(kUnitSeconds), unit_) == std::end(kUnitSeconds)) {
            return;
        }
        // An interval the page cannot show exactly (90 minutes shows as 1 hour) stays as it is
        // unless the user changed the count or the unit.
        if (std::make_pair(count_, unit_) != std::pair<long long, long long>(Shown())) {
            station_.logInterval = static_cast<int32_t>(count_ * unit_);
        }
        station_.nextLogTime = AlignedLogStart(clock.Now(), static_cast<int>(count_), static_cast<int>(unit_));
    }

    WeatherStation& station_;
    long long count_ = 0;
    long long unit_ = 0;
};

}  // namespace

std::unique_ptr<PropertyPage> MakeLoggingPage(WeatherStation& station, Clock& clock) {
    return std::make_unique<LoggingPage>(station, clock);
}

std::unique_ptr<PropertyPage> MakeCommsPage(int32_t& port, int32_t& baudRate, const Profile* ports) {
    auto page = std::make_unique<PropertyPage>(QStringLiteral("Comms"));
    QStringList texts;
    std::vector<long long> values;
    PortEntries(port, ports, texts, values);
    page->BeginGroup(QStringLiteral("Comms"));
    page->Choice(QStringLiteral("port"), QStringLiteral("Device:"), texts, Bind<long long>(port), values);
    page->Choice(QStringLiteral("baudRate"), QStringLiteral("Baud rate:"), BaudRateTexts(), Bind<long long>(baudRate),
                 BaudRateValues());
    return page;
}

std::unique_ptr<PropertyPage> MakeModemPage(std::string& modemName, std::string& phoneNumber, int32_t& baudRate,
                                            int32_t& callInterval, const Profile* ports) {
    auto page = std::make_unique<PropertyPage>(QStringLiteral("Modem"));
    page->BeginGroup(QStringLiteral("Modem"));
    // The modem is named by its device; the machine's devices are offered, any may be typed.
    QStringList devices;
    for (const SerialDeviceInfo& info : ListSerialDevices(ports)) {
        devices << ToQt(info.path);
    }
    page->ComboText(QStringLiteral("modemName"), QStringLiteral("Modem:"), devices, Bind<std::string>(modemName));
    page->Text(QStringLiteral("phoneNumber"), QStringLiteral("Number:"), Bind<std::string>(phoneNumber));
    page->Choice(QStringLiteral("modemBaudRate"), QStringLiteral("Baud rate:"), BaudRateTexts(),
                 Bind<long long>(baudRate), BaudRateValues());
    page->BeginRow(QStringLiteral("Call every"));
    page->Integer(QStringLiteral("callInterval"), {}, Bind<long long>(callInterval), 1, 9999);
    page->AddText(QStringLiteral("minutes"));
    page->EndRow();
    return page;
}

std::unique_ptr<PropertyPage> MakeNetworkInputPage(WSNetwork& station) {
    auto page = std::make_unique<PropertyPage>(QStringLiteral("Input"));
    page->BeginGroup(QStringLiteral("Network input file"));
    page->Path(QStringLiteral("inputFile"), {}, Bind<std::string>(station.inputFile), PathField::Kind::OpenFile,
               ToQt(Str(kNetworkInputTitle)), Str(kNetworkFileFilter));
    return page;
}

std::unique_ptr<PropertyPage> MakeFileInputPage(WSFile& station) {
    auto page = std::make_unique<PropertyPage>(QStringLiteral("File"));
    page->BeginGroup(QStringLiteral("File"));
    page->Path(QStringLiteral("inputFile"), QStringLiteral("Input (log) file"), Bind<std::string>(station.inputFile),
               PathField::Kind::OpenFile, ToQt(Str(kInputFileTitle)), Str(kLogFileFilter));
    page->Check(QStringLiteral("loop"), QStringLiteral("Loop continuously"), BindFlag(station.loop));
    page->BeginRow(QStringLiteral("Speed:"));
    page->Radio(QStringLiteral("speed"),
                {QStringLiteral("Maximum"), QStringLiteral("1 per second"), QStringLiteral("Actual speed")},
                Bind<long long>(station.speed), {}, false);
    page->EndRow();
    return page;
}

}  // namespace svu
