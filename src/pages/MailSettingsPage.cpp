#include "pages/MailSettingsPage.h"

#include <QLabel>
#include <QPushButton>
#include <string>

#include "framework/Settings.h"
#include "outputs/MailOutbox.h"
#include "pages/PropertyPage.h"
#include "pages/PropertySheet.h"

namespace svu {

namespace {

constexpr long long kMaxPort = 65535;

class MailSettingsPage : public PropertyPage {
public:
    MailSettingsPage(Settings& settings, Clock& clock)
        : PropertyPage(QStringLiteral("Mail")), settings_(settings), clock_(clock), mail_(LoadMailSettings(settings)) {
        BeginGroup(QStringLiteral("Mail server for alarm e-mail"));
        fields_.push_back(
            &Text(QStringLiteral("mailServer"), QStringLiteral("Server:"), Bind<std::string>(mail_.server)));
        BeginRow(QStringLiteral("Port:"));
        fields_.push_back(&Integer(QStringLiteral("mailPort"), {}, Bind<long long>(mail_.port), 0, kMaxPort));
        AddText(QStringLiteral("(0 for the usual port: 25, 587 with STARTTLS, 465 with TLS)"));
        EndRow();
        fields_.push_back(&Choice(QStringLiteral("mailTls"), QStringLiteral("TLS:"),
                                  {QStringLiteral("None"), QStringLiteral("STARTTLS"), QStringLiteral("TLS")},
                                  Accessor<long long>{[this] { return static_cast<long long>(mail_.security); },
                                                      [this](const long long& v) {
                                                          mail_.security = static_cast<MailSettings::Security>(v);
                                                      }},
                                  {0, 1, 2}));
        fields_.push_back(&Text(QStringLiteral("mailUser"), QStringLiteral("User:"), Bind<std::string>(mail_.user)));
        fields_.push_back(&Text(QStringLiteral("mailPassword"), QStringLiteral("Password:"),
                                Bind<std::string>(mail_.password), true));
        fields_.push_back(&Text(QStringLiteral("mailFrom"), QStringLiteral("From:"), Bind<std::string>(mail_.from)));

        BeginGroup(QStringLiteral("Test"));
        testButton_ =
            AddButton(QStringLiteral("Send test message"), QStringLiteral("mailTest"), [this] { SendTest(); });
        result_ = AddText({});
        result_->setObjectName(QStringLiteral("mailTestResult"));
        result_->setWordWrap(true);
        AddStretch();
        AfterStore([this] { SaveMailSettings(settings_, mail_); });
    }

    // The test message may still be going out: the outbox waits for it before the page goes.
    ~MailSettingsPage() override { outbox_.reset(); }

private:
    // Sends one message with the settings as they stand on the page (not yet saved), to the
    // sender's own address, and shows how it went.
    void SendTest() {
        for (FieldBinder* field : fields_) {
            QString message;
            if (!field->Validate(message)) {
                result_->setText(message);
                return;
            }
        }
        for (FieldBinder* field : fields_) {
            field->Store();
        }
        if (!mail_.Configured()) {
            result_->setText(QStringLiteral("Enter the server and the From address first."));
            return;
        }
        const QString to = ToQt(mail_.from);
        QLabel* label = result_;
        QPushButton* button = testButton_;
        auto transport = [this, to, label, button](const MailSettings& s, const MailMessage& m, TimeT now) {
            const std::string error = SendMailMessage(s, m, now);
            const QString text = error.empty() ? QStringLiteral("Test message sent to %1.").arg(to)
                                               : QStringLiteral("The test message was not sent: %1").arg(ToQt(error));
            // Back on the page's thread (the label and button are the page's children, and a call
            // still queued when the page goes is dropped with it).
            QMetaObject::invokeMethod(
                this,
                [label, button, text] {
                    label->setText(text);
                    button->setEnabled(true);
                },
                Qt::QueuedConnection);
            return error;
        };
        outbox_ = std::make_unique<MailOutbox>(mail_, clock_, transport);
        testButton_->setEnabled(false);
        result_->setText(QStringLiteral("Sending a test message to %1...").arg(to));
        outbox_->Send(
            MailRequest{{mail_.from},
                        "Stratavue test message",
                        "This test message shows that alarm e-mail can be sent through " + mail_.server + ".\r\n"});
    }

    Settings& settings_;
    Clock& clock_;
    MailSettings mail_;
    std::vector<FieldBinder*> fields_;
    QPushButton* testButton_ = nullptr;
    QLabel* result_ = nullptr;
    std::unique_ptr<MailOutbox> outbox_;
};

}  // namespace

std::unique_ptr<PropertySheet> MakeMailSettingsSheet(QWidget* parent, Settings& settings, Clock& clock,
                                                     UserInterface* ui) {
    auto sheet = std::make_unique<PropertySheet>(parent, QStringLiteral("Mail"), ui);
    sheet->AddPage(std::make_unique<MailSettingsPage>(settings, clock));
    sheet->HideTabs();
    return sheet;
}

int EditMailSettings(QWidget* parent, Settings& settings, Clock& clock, UserInterface* ui) {
    return MakeMailSettingsSheet(parent, settings, clock, ui)->Run();
}

}  // namespace svu
