#include "pages/NdrGeneralPages.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <array>
#include <initializer_list>

#include "framework/StringTable.h"
#include "loggers/NdrConfig.h"
#include "pages/PropertyPage.h"

namespace svu {

namespace {

constexpr int kNormalRateRange = 280;
constexpr int kFastRateRange = 281;
constexpr int kShortestLogPeriod = 5;
constexpr int kLongestLogPeriod = 86400;

// One part (hours, minutes or seconds) of a period kept in seconds; each part replaces only itself,
// so the order in which the three are stored does not matter.
Accessor<long long> PeriodPart(int32_t& seconds, int unit) {
    const int span = unit == 3600 ? 1 << 30 : unit * 60;
    return {[&seconds, unit, span] { return static_cast<long long>(seconds % span / unit); },
            [&seconds, unit, span](const long long& v) {
                const int32_t rest = seconds - seconds % span + seconds % unit;
                seconds = static_cast<int32_t>(rest + v * unit);
            }};
}

QStringList Words(std::initializer_list<const char*> words) {
    QStringList list;
    for (const char* w : words) {
        list << QString::fromUtf8(w);
    }
    return list;
}

class GeneralPage : public PropertyPage {
public:
    explicit GeneralPage(NDR& ndr) : PropertyPage(QStringLiteral("General")) {
        BeginGroup(QStringLiteral("Logger"));
        Text(QStringLiteral("loggerText"), QStringLiteral("Text:"), Bind<std::string>(ndr.loggerText));
        Integer(QStringLiteral("loggerNumber"), QStringLiteral("Number:"), Bind<long long>(ndr.loggerNumber), 0, 65535);
        Choice(QStringLiteral("commandFormat"), QStringLiteral("Command format:"),
               Words({"Calyra (Default)", "Emulation"}), Bind<long long>(ndr.commandFormat));
        BeginGroup(QStringLiteral("Logging"));
        Check(QStringLiteral("loggingEnabled"), QStringLiteral("Logging enabled"), BindFlag(ndr.loggingEnabled));
        normal_ = PeriodRow(QStringLiteral("normalRate"), QStringLiteral("Normal log rate:"), ndr.logRate);
        fast_ = PeriodRow(QStringLiteral("fastRate"), QStringLiteral("Fast log rate:"), ndr.fastLogRate);
        BeginRow(QStringLiteral("Scan rate:"));
        Integer(QStringLiteral("scanRate"), {}, Bind<long long>(ndr.dataChannels.scanRate), 1, 86400);
        AddText(QStringLiteral("s   fast:"));
        fastScan_ = &Integer(QStringLiteral("fastScanRate"), {}, Bind<long long>(ndr.dataChannels.fastScanRate), 1,
                             86400);
        AddText(QStringLiteral("s"));
        EndRow();
        Check(QStringLiteral("alarmMode"), QStringLiteral("Alarm mode enabled"), BindFlag(ndr.alarmMode));
        BeginGroup(QStringLiteral("PWM outputs"));
        for (int i = 0; i < 2; ++i) {
            const QString n = QString::number(i + 1);
            BeginRow(QStringLiteral("Output %1:").arg(n));
            CheckField& on = Check(QStringLiteral("pwm%1Enabled").arg(n), QStringLiteral("Enabled"),
                                   BindFlag(ndr.pwm[static_cast<size_t>(i)].enabled));
            AddText(QStringLiteral("input channel"));
            IntegerField& input = Integer(QStringLiteral("pwm%1Input").arg(n), {},
                                          Bind<long long>(ndr.pwm[static_cast<size_t>(i)].inputChannel), 1, 64);
            EndRow();
            EnableWhen({&input}, [&on] { return on.Checked(); });
        }
        BeginGroup(QStringLiteral("Automatic mode"));
        CheckField& automatic =
            Check(QStringLiteral("autoMode"), QStringLiteral("Automatic mode enabled"), BindFlag(ndr.autoMode));
        IntegerField& idle =
            Integer(QStringLiteral("autoIdle"), QStringLiteral("Idle:"), Bind<long long>(ndr.autoIdle), 0, 65535);
        IntegerField& interval = Integer(QStringLiteral("autoInterval"), QStringLiteral("Interval:"),
                                         Bind<long long>(ndr.autoInterval), 0, 65535);
        EnableWhen({&idle, &interval}, [&automatic] { return automatic.Checked(); });
        EndGroup();
        AddStretch();
    }

    bool Validate(QString& message, QWidget*& focus) override {
        if (!PropertyPage::Validate(message, focus)) {
            return false;
        }
        const long long normal = Seconds(normal_);
        if (normal < kShortestLogPeriod || normal > kLongestLogPeriod) {
            message = ToQt(Str(kNormalRateRange));
            focus = normal_[0]->FocusWidget();
            return false;
        }
        long long fastScan = 0;
        ParseInteger(fastScan_->Edit()->text(), fastScan);
        const long long fast = Seconds(fast_);
        if (fast < kShortestLogPeriod || fast < fastScan) {
            message = ToQt(Str(kFastRateRange));
            focus = fast_[0]->FocusWidget();
            return false;
        }
        return true;
    }

private:
    using Period = std::array<IntegerField*, 3>;

    Period PeriodRow(const QString& name, const QString& label, int32_t& seconds) {
        Period fields{};
        BeginRow(label);
        const char* units[] = {"h", "m", "s"};
        const int spans[] = {3600, 60, 1};
        for (int i = 0; i < 3; ++i) {
            fields[static_cast<size_t>(i)] = &Integer(name + QString::fromLatin1(units[i]), {},
                                                      PeriodPart(seconds, spans[i]), 0, i == 0 ? 24 : 59);
            fields[static_cast<size_t>(i)]->Edit()->setMaximumWidth(40);
            AddText(QString::fromLatin1(units[i]));
        }
        EndRow();
        return fields;
    }

    static long long Seconds(const Period& p) {
        long long total = 0;
        const int spans[] = {3600, 60, 1};
        for (int i = 0; i < 3; ++i) {
            long long v = 0;
            ParseInteger(p[static_cast<size_t>(i)]->Edit()->text(), v);
            total += v * spans[i];
        }
        return total;
    }

    Period normal_{};
    Period fast_{};
    IntegerField* fastScan_ = nullptr;
};

// The multi-line text of the special commands, kept exactly as typed.
class CommandsPage : public PropertyPage {
public:
    explicit CommandsPage(NDR& ndr) : PropertyPage(QStringLiteral("Special Commands")), ndr_(ndr), edit_(new QPlainTextEdit) {
        edit_->setObjectName(QStringLiteral("specialCommands"));
        edit_->setMinimumHeight(200);
        AddText(QStringLiteral("Commands sent after the set-up, one per line. End the last one with a line end."));
        AddWidget(edit_);
    }
    void Load() override {
        PropertyPage::Load();
        edit_->setPlainText(ToQt(ndr_.specialCommands));
    }
    void Store() override {
        PropertyPage::Store();
        ndr_.specialCommands = FromQt(edit_->toPlainText());
    }

private:
    NDR& ndr_;
    QPlainTextEdit* edit_;
};

}  // namespace

std::unique_ptr<PropertyPage> MakeNdrGeneralPage(NDR& ndr) { return std::make_unique<GeneralPage>(ndr); }

std::unique_ptr<PropertyPage> MakeNdrCommsPage(NDR& ndr) {
    auto page = std::make_unique<PropertyPage>(QStringLiteral("Communications"));
    const QStringList bauds = Words({"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"});
    const std::vector<long long> baudValues = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
    for (size_t p = 0; p < ndr.comms.size(); ++p) {
        NDR_Comms& c = ndr.comms[p];
        const QString n = QString::number(p + 1);
        page->BeginGroup(QStringLiteral("Serial port %1").arg(n));
        page->Choice(QStringLiteral("port%1Baud").arg(n), QStringLiteral("Baud rate:"), bauds,
                     Bind<long long>(c.baudRate), baudValues);
        page->Choice(QStringLiteral("port%1Data").arg(n), QStringLiteral("Data bits:"), Words({"7", "8"}),
                     Bind<long long>(c.dataBits), {7, 8});
        page->Choice(QStringLiteral("port%1Stop").arg(n), QStringLiteral("Stop bits:"), Words({"1", "2"}),
                     Bind<long long>(c.stopBits), {1, 2});
        page->Choice(QStringLiteral("port%1Parity").arg(n), QStringLiteral("Parity:"), Words({"None", "Odd", "Even"}),
                     Bind<long long>(c.parity));
        page->Choice(QStringLiteral("port%1Flow").arg(n), QStringLiteral("Flow control:"),
                     Words({"None", "Software"}), Bind<long long>(c.flow));
    }
    page->EndGroup();
    page->AddStretch();
    return page;
}

std::unique_ptr<PropertyPage> MakeNdrModemPage(NDR& ndr) {
    auto page = std::make_unique<PropertyPage>(QStringLiteral("Modem"));
    NDR_Modem& m = ndr.modem;
    page->BeginGroup(QStringLiteral("Modem"));
    page->Check(QStringLiteral("modemEnabled"), QStringLiteral("Modem enabled"), BindFlag(m.enabled));
    page->Text(QStringLiteral("modemText"), QStringLiteral("Text:"), Bind<std::string>(m.text));
    page->Choice(QStringLiteral("modemPort"), QStringLiteral("Serial port:"), Words({"1", "2"}),
                 Bind<long long>(m.port), {1, 2});
    const char* labels[] = {"Status on:", "Status off:", "Initialise:", "Dial:", "Interrupt:", "Hang up:",
                            "Error:", "OK:", "Busy:", "Connect:", "No carrier:", "No dial tone:", "No answer:"};
    page->BeginGroup(QStringLiteral("Commands and replies"));
    for (size_t i = 0; i < m.strings.size(); ++i) {
        if (i % 2 == 0) {
            page->BeginRow(QString::fromUtf8(labels[i]));
        } else {
            page->AddText(QString::fromUtf8(labels[i]));
        }
        page->Text(QStringLiteral("modem_%1").arg(QString::fromLatin1(NDR_Modem::kStringNames[i])), {},
                   Bind<std::string>(m.strings[i]));
        if (i % 2 == 1 || i + 1 == m.strings.size()) {
            page->EndRow();
        }
    }
    page->BeginGroup(QStringLiteral("Times (s)"));
    page->BeginRow(QStringLiteral("Status:"));
    page->Integer(QStringLiteral("statusTime"), {}, Bind<long long>(m.statusTime), 0, 255);
    page->AddText(QStringLiteral("Initialise:"));
    page->Integer(QStringLiteral("initTime"), {}, Bind<long long>(m.initTime), 0, 255);
    page->AddText(QStringLiteral("Connect:"));
    page->Integer(QStringLiteral("connectTime"), {}, Bind<long long>(m.connectTime), 0, 65535);
    page->EndRow();
    page->BeginRow(QStringLiteral("Interrupt:"));
    page->Integer(QStringLiteral("interruptTime"), {}, Bind<long long>(m.interruptTime), 0, 255);
    page->AddText(QStringLiteral("Hang up:"));
    page->Integer(QStringLiteral("hangUpTime"), {}, Bind<long long>(m.hangUpTime), 0, 255);
    page->EndRow();
    page->BeginGroup(QStringLiteral("Short messages"));
    page->Text(QStringLiteral("smsText"), QStringLiteral("Text mode:"), Bind<std::string>(m.smsText));
    page->Text(QStringLiteral("smsDial"), QStringLiteral("Dial:"), Bind<std::string>(m.smsDial));
    page->BeginRow(QStringLiteral("Enter:"));
    page->Text(QStringLiteral("smsEnter"), {}, Bind<std::string>(m.smsEnter));
    page->AddText(QStringLiteral("wait"));
    page->Integer(QStringLiteral("smsEnterTime"), {}, Bind<long long>(m.smsEnterTime), 0, 255);
    page->AddText(QStringLiteral("s"));
    page->EndRow();
    page->EndGroup();
    page->AddStretch();
    return page;
}

std::unique_ptr<PropertyPage> MakeNdrCommandsPage(NDR& ndr) { return std::make_unique<CommandsPage>(ndr); }

}  // namespace svu
