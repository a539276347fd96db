#include "pages/LiveOutputPages.h"

#include <string>

#include "framework/Settings.h"
#include "outputs/LiveSettings.h"
#include "outputs/LiveValueServer.h"
#include "pages/PropertyPage.h"
#include "pages/PropertySheet.h"
#include "pages/Sheets.h"
#include "pages/WebServerPage.h"
#include "runtime/Runtime.h"

namespace svu {

namespace {

constexpr long long kMaxPort = 65535;

class LiveValuesPage : public PropertyPage {
public:
    explicit LiveValuesPage(Settings& settings)
        : PropertyPage(QStringLiteral("Live values")), settings_(settings), live_(LoadLiveValuesSettings(settings)) {
        BeginGroup(QStringLiteral("Live-value server"));
        CheckField& active = Check(QStringLiteral("liveActive"), QStringLiteral("Serve live values to other programs"),
                                   BindFlag(live_.active));
        AddText(QStringLiteral("Socket: %1").arg(ToQt(settings.FilePath(kLiveSocketName))));
        BeginRow(QStringLiteral("TCP port on 127.0.0.1:"));
        IntegerField& port = Integer(QStringLiteral("livePort"), {}, Bind<long long>(live_.port), 0, kMaxPort);
        AddText(QStringLiteral("(0 for none)"));
        EndRow();
        EnableWhen({&port}, [&active] { return active.Checked(); });
        AddStretch();
        AfterStore([this] { SaveLiveValuesSettings(settings_, live_); });
    }

private:
    Settings& settings_;
    LiveValuesSettings live_;
};

class MqttPage : public PropertyPage {
public:
    explicit MqttPage(Settings& settings)
        : PropertyPage(QStringLiteral("MQTT")), settings_(settings), mqtt_(LoadMqttSettings(settings)) {
        BeginGroup(QStringLiteral("Broker"));
        CheckField& active =
            Check(QStringLiteral("mqttActive"), QStringLiteral("Publish readings to an MQTT broker"),
                  BindFlag(mqtt_.active));
        std::vector<FieldBinder*> fields;
        fields.push_back(&Text(QStringLiteral("mqttHost"), QStringLiteral("Host:"), Bind<std::string>(mqtt_.host)));
        fields.push_back(
            &Integer(QStringLiteral("mqttPort"), QStringLiteral("Port:"), Bind<long long>(mqtt_.port), 1, kMaxPort));
        fields.push_back(&Text(QStringLiteral("mqttClientId"), QStringLiteral("Client id:"),
                               Bind<std::string>(mqtt_.clientId)));
        fields.push_back(&Text(QStringLiteral("mqttUser"), QStringLiteral("User name:"), Bind<std::string>(mqtt_.user)));
        fields.push_back(&Text(QStringLiteral("mqttPassword"), QStringLiteral("Password:"),
                               Bind<std::string>(mqtt_.password), true));
        CheckField& tls = Check(QStringLiteral("mqttTls"), QStringLiteral("Use TLS"), BindFlag(mqtt_.tls));
        fields.push_back(&tls);
        PathField& caFile = Path(QStringLiteral("mqttCaFile"), QStringLiteral("Certificate authority file:"),
                                 Bind<std::string>(mqtt_.caFile), PathField::Kind::OpenFile,
                                 QStringLiteral("Certificate Authority File"),
                                 "Certificates (*.pem;*.crt)|*.pem;*.crt|All Files (*.*)|*.*||");

        BeginGroup(QStringLiteral("Topics"));
        fields.push_back(
            &Text(QStringLiteral("mqttPrefix"), QStringLiteral("Topic prefix:"), Bind<std::string>(mqtt_.prefix)));
        fields.push_back(&Check(QStringLiteral("mqttRetain"), QStringLiteral("Retain the values on the broker"),
                                BindFlag(mqtt_.retain)));
        CheckField& homeAssistant = Check(QStringLiteral("mqttHomeAssistant"),
                                          QStringLiteral("Home Assistant discovery"), BindFlag(mqtt_.homeAssistant));
        fields.push_back(&homeAssistant);
        TextField& discovery = Text(QStringLiteral("mqttDiscoveryPrefix"), QStringLiteral("Discovery prefix:"),
                                    Bind<std::string>(mqtt_.discoveryPrefix));
        EnableWhen(fields, [&active] { return active.Checked(); });
        EnableWhen({&caFile}, [&active, &tls] { return active.Checked() && tls.Checked(); });
        EnableWhen({&discovery}, [&active, &homeAssistant] { return active.Checked() && homeAssistant.Checked(); });
        AddStretch();
        AfterStore([this] { SaveMqttSettings(settings_, mqtt_); });
    }

private:
    Settings& settings_;
    MqttSettings mqtt_;
};

}  // namespace

std::unique_ptr<PropertySheet> MakeLiveOutputSheet(QWidget* parent, Settings& settings, UserInterface* ui) {
    auto sheet = std::make_unique<PropertySheet>(parent, QStringLiteral("Live Values and MQTT"), ui);
    sheet->AddPage(std::make_unique<LiveValuesPage>(settings));
    sheet->AddPage(std::make_unique<MqttPage>(settings));
    sheet->AddPage(MakeWebServerPage(settings));
    return sheet;
}

int EditLiveOutputs(QWidget* parent, Settings& settings, Runtime& runtime, UserInterface* ui) {
    auto sheet = MakeLiveOutputSheet(parent, settings, ui);
    const int result = sheet->Run();
    if (result != kSheetOk) {
        return result;
    }
    // The new settings take effect at once.
    const std::vector<std::string> problems = runtime.StartLiveOutputs();
    if (!problems.empty()) {
        std::string text;
        for (const std::string& p : problems) {
            text += (text.empty() ? "" : "\n\n") + p;
        }
        sheet->Ui().MessageBox(text, "Live Values and MQTT", MsgButtons::Ok, MsgIcon::Warning);
    }
    return result;
}

}  // namespace svu
