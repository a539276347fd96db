#include <string>

#include "framework/Settings.h"
#include "framework/StringTable.h"
#include "pages/PropertyPage.h"
#include "pages/PropertySheet.h"
#include "pages/Sheets.h"

namespace svu {

namespace {

constexpr int kHtmlFilter = 486;
constexpr int kTemplateTitle = 487;
constexpr int kOutputTitle = 488;

// The dialog edits its own copy of the "WebOutput" keys and writes them all on OK.
class WebOutputPage : public PropertyPage {
public:
    explicit WebOutputPage(Settings& settings) : PropertyPage(QStringLiteral("Web Output")), settings_(settings) {
        Read();
        BeginGroup(QStringLiteral("Web output"));
        Check(QStringLiteral("active"), QStringLiteral("Active"), BindFlag(active_));
        BeginRow(QStringLiteral("Interval:"));
        Spin(QStringLiteral("interval"), {}, Bind<long long>(interval_), 1, 3600);
        AddText(QStringLiteral("seconds"));
        EndRow();
        const std::string filter = Str(kHtmlFilter);
        Path(QStringLiteral("template"), QStringLiteral("Template file:"), Bind<std::string>(template_),
             PathField::Kind::OpenFile, ToQt(Str(kTemplateTitle)), filter);
        Path(QStringLiteral("output"), QStringLiteral("Output file:"), Bind<std::string>(output_),
             PathField::Kind::SaveFile, ToQt(Str(kOutputTitle)), filter);

        BeginGroup(QStringLiteral("FTP"));
        CheckField& ftp = Check(QStringLiteral("ftp"), QStringLiteral("Upload by FTP"), BindFlag(ftp_));
        TextField& server = Text(QStringLiteral("server"), QStringLiteral("Server:"), Bind<std::string>(server_));
        TextField& remote =
            Text(QStringLiteral("remoteFilename"), QStringLiteral("Remote file:"), Bind<std::string>(remoteFilename_));
        TextField& user = Text(QStringLiteral("username"), QStringLiteral("User name:"), Bind<std::string>(username_));
        TextField& password =
            Text(QStringLiteral("password"), QStringLiteral("Password:"), Bind<std::string>(password_), true);
        CheckField& preConfig = Check(QStringLiteral("preConfig"), QStringLiteral("Use preconfigured Internet access"),
                                      BindFlag(preConfig_));
        CheckField& useProxy = Check(QStringLiteral("useProxy"), QStringLiteral("Use proxy"), BindFlag(useProxy_));
        TextField& proxy = Text(QStringLiteral("proxy"), QStringLiteral("Proxy:"), Bind<std::string>(proxy_));

        EnableWhen({&server, &remote, &user, &password, &preConfig}, [&ftp] { return ftp.Checked(); });
        EnableWhen({&useProxy}, [&ftp, &preConfig] { return ftp.Checked() && !preConfig.Checked(); });
        EnableWhen({&proxy}, [&ftp, &preConfig, &useProxy] {
            return ftp.Checked() && !preConfig.Checked() && useProxy.Checked();
        });
        AfterStore([this] { Write(); });
    }

private:
    void Read() {
        const Settings& s = settings_;
        template_ = s.GetSettingString(kSectionWebOutput, kKeyWebTemplate, "");
        output_ = s.GetSettingString(kSectionWebOutput, kKeyWebOutput, "");
        interval_ = s.GetSettingInt(kSectionWebOutput, kKeyWebInterval, kWebIntervalDefault);
        active_ = s.GetSettingInt(kSectionWebOutput, kKeyWebActive, kWebActiveDefault);
        ftp_ = s.GetSettingInt(kSectionWebOutput, kKeyWebFtp, kWebFtpDefault);
        preConfig_ = s.GetSettingInt(kSectionWebOutput, kKeyWebPreConfig, kWebPreConfigDefault);
        useProxy_ = s.GetSettingInt(kSectionWebOutput, kKeyWebUseProxy, kWebUseProxyDefault);
        server_ = s.GetSettingString(kSectionWebOutput, kKeyWebServer, "");
        remoteFilename_ = s.GetSettingString(kSectionWebOutput, kKeyWebRemoteFilename, "");
        username_ = s.GetSettingString(kSectionWebOutput, kKeyWebUsername, "");
        password_ = s.GetSettingString(kSectionWebOutput, kKeyWebPassword, "");
        proxy_ = s.GetSettingString(kSectionWebOutput, kKeyWebProxy, "");
    }

    void Write() {
        Settings& s = settings_;
        s.WriteSettingString(kSectionWebOutput, kKeyWebTemplate, template_);
        s.WriteSettingString(kSectionWebOutput, kKeyWebOutput, output_);
        s.WriteSettingInt(kSectionWebOutput, kKeyWebInterval, interval_);
        s.WriteSettingInt(kSectionWebOutput, kKeyWebActive, active_);
        s.WriteSettingInt(kSectionWebOutput, kKeyWebFtp, ftp_);
        s.WriteSettingInt(kSectionWebOutput, kKeyWebPreConfig, preConfig_);
        s.WriteSettingInt(kSectionWebOutput, kKeyWebUseProxy, useProxy_);
        s.WriteSettingString(kSectionWebOutput, kKeyWebServer, server_);
        s.WriteSettingString(kSectionWebOutput, kKeyWebRemoteFilename, remoteFilename_);
        s.WriteSettingString(kSectionWebOutput, kKeyWebUsername, username_);
        s.WriteSettingString(kSectionWebOutput, kKeyWebPassword, password_);
        s.WriteSettingString(kSectionWebOutput, kKeyWebProxy, proxy_);
    }

    Settings& settings_;
    std::string template_;
    std::string output_;
    int interval_ = kWebIntervalDefault;
    int active_ = kWebActiveDefault;
    int ftp_ = kWebFtpDefault;
    int preConfig_ = kWebPreConfigDefault;
    int useProxy_ = kWebUseProxyDefault;
    std::string server_;
    std::string remoteFilename_;
    std::string username_;
    std::string password_;
    std::string proxy_;
};

}  // namespace

std::unique_ptr<PropertySheet> MakeWebOutputSheet(QWidget* parent, Settings& settings, UserInterface* ui) {
    auto sheet = std::make_unique<PropertySheet>(parent, QStringLiteral("Web Output"), ui);
    sheet->AddPage(std::make_unique<WebOutputPage>(settings));
    sheet->HideTabs();
    return sheet;
}

int EditWebOutput(QWidget* parent, Settings& settings, UserInterface* ui) {
    return MakeWebOutputSheet(parent, settings, ui)->Run();
}

}  // namespace svu
