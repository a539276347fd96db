#include "pages/WebServerPage.h"

#include "framework/Settings.h"
#include "outputs/WebServerSettings.h"
#include "pages/PropertyPage.h"

namespace svu {

namespace {

constexpr long long kMaxPort = 65535;

class WebServerPage : public PropertyPage {
public:
    explicit WebServerPage(Settings& settings)
        : PropertyPage(QStringLiteral("Web server")), settings_(settings), web_(LoadWebServerSettings(settings)) {
        BeginGroup(QStringLiteral("Web server"));
        CheckField& active =
            Check(QStringLiteral("webActive"), QStringLiteral("Serve the dashboard, the JSON API and metrics over HTTP"),
                  BindFlag(web_.active));
        std::vector<FieldBinder*> fields;
        fields.push_back(
            &Text(QStringLiteral("webAddress"), QStringLiteral("Address:"), Bind<std::string>(web_.address)));
        fields.push_back(
            &Integer(QStringLiteral("webPort"), QStringLiteral("Port:"), Bind<long long>(web_.port), 1, kMaxPort));
        fields.push_back(&Text(QStringLiteral("webToken"), QStringLiteral("Access token:"),
                               Bind<std::string>(web_.token), true));
        AddText(QStringLiteral("127.0.0.1 serves this computer only. On any other address (0.0.0.0 for every "
                               "network) the access token is required: open the dashboard as "
                               "http://ADDRESS:PORT/?token=TOKEN."));
        EnableWhen(fields, [&active] { return active.Checked(); });
        AddStretch();
        AfterStore([this] {
            if (web_.address.empty()) {
                web_.address = WebServerSettings().address;
            }
            SaveWebServerSettings(settings_, web_);
        });
    }

private:
    Settings& settings_;
    WebServerSettings web_;
};

}  // namespace

std::unique_ptr<PropertyPage> MakeWebServerPage(Settings& settings) {
    return std::make_unique<WebServerPage>(settings);
}

}  // namespace svu
