#include "pages/NdrChannelPages.h"

#include <QComboBox>
#include <QLineEdit>

#include "framework/UserInterface.h"
#include "loggers/NdrConfig.h"
#include "loggers/NdrReplies.h"
#include "pages/PropertyPage.h"

namespace svu {

namespace {

template <size_t N>
QStringList Words(const char* const (&words)[N]) {
    QStringList list;
    for (const char* w : words) {
        list << QString::fromUtf8(w);
    }
    return list;
}

// A page whose fields show the item picked in its drop-down; changing the pick stores the fields
// into the item shown so far, so edits of several items all survive until OK or Cancel.
class PickedItemPage : public PropertyPage {
public:
    PickedItemPage(const QString& tab, const QString& what, int count) : PropertyPage(tab), picker_(new QComboBox) {
        picker_->setObjectName(QStringLiteral("picker"));
        for (int i = 1; i <= count; ++i) {
            picker_->addItem(QStringLiteral("%1 %2").arg(what).arg(i));
        }
        AddWidget(picker_, what + QStringLiteral(":"));
        QObject::connect(picker_, &QComboBox::currentIndexChanged, this, [this](int index) {
            if (index < 0 || index == shown_) {
                return;
            }
            QString message;
            QWidget* focus = nullptr;
            if (!PropertyPage::Validate(message, focus)) {
                // A value that cannot be taken stays on screen with its item.
                picker_->setCurrentIndex(shown_);
                ShowInvalid(message, focus);
                return;
            }
            PropertyPage::Store();
            shown_ = index;
            PropertyPage::Load();
        });
    }
    void ShowInvalid(const QString& message, QWidget* focus);

protected:
    size_t Shown() const { return static_cast<size_t>(shown_); }

private:
    QComboBox* picker_;
    int shown_ = 0;
};

void PickedItemPage::ShowInvalid(const QString& message, QWidget* focus) {
    if (focus != nullptr) {
        focus->setFocus(Qt::OtherFocusReason);
    }
    Ui().MessageBox(FromQt(message), "Stratavue", MsgButtons::Ok, MsgIcon::Warning);
}

// Accessors to a field of the item shown.
template <class T, class Item, class Field>
Accessor<T> Of(std::function<Item&()> item, Field Item::*member) {
    return {[item, member] { return static_cast<T>(item().*member); },
            [item, member](const T& v) { item().*member = static_cast<Field>(v); }};
}

template <class Item, class Field>
Accessor<bool> FlagOf(std::function<Item&()> item, Field Item::*member) {
    return {[item, member] { return item().*member != 0; }, [item, member](const bool& v) { item().*member = v ? 1 : 0; }};
}

class ChannelsPage : public PickedItemPage {
public:
    explicit ChannelsPage(NDR& ndr) : PickedItemPage(QStringLiteral("Channels"), QStringLiteral("Channel"), ndr::kChannels) {
        std::function<NDR_Channel&()> ch = [this, &ndr]() -> NDR_Channel& { return ndr.dataChannels.channels[Shown()]; };
        BeginGroup(QStringLiteral("Channel"));
        BeginRow();
        CheckField& on = Check(QStringLiteral("enabled"), QStringLiteral("Enabled"), FlagOf(ch, &NDR_Channel::enabled));
        Check(QStringLiteral("logging"), QStringLiteral("Logged"), FlagOf(ch, &NDR_Channel::logging));
        EndRow();
        ChoiceField& type = Choice(QStringLiteral("type"), QStringLiteral("Type:"), Words(NDR_Channel::kTypes),
                                   Of<long long>(ch, &NDR_Channel::type));
        Text(QStringLiteral("description"), QStringLiteral("Description:"), Of<std::string>(ch, &NDR_Channel::description));
        BeginRow(QStringLiteral("Unit:"));
        Text(QStringLiteral("unit"), {}, Of<std::string>(ch, &NDR_Channel::unit));
        AddText(QStringLiteral("Width"));
        Integer(QStringLiteral("formatWidth"), {}, Of<long long>(ch, &NDR_Channel::formatWidth), 0, 99);
        AddText(QStringLiteral("Decimals"));
        Integer(QStringLiteral("formatDecimals"), {}, Of<long long>(ch, &NDR_Channel::formatDecimals), 0, 99);
        EndRow();
        BeginGroup(QStringLiteral("Calibration"));
        BeginRow(QStringLiteral("Polynomial:"));
        for (int i = 0; i < 8; ++i) {
            Decimal(QStringLiteral("poly%1").arg(i + 1), {},
                    {[ch, i] { return ch().polynomial[static_cast<size_t>(i)]; },
                     [ch, i](const double& v) { ch().polynomial[static_cast<size_t>(i)] = v; }})
                .Edit()
                ->setMaximumWidth(56);
        }
        EndRow();
        BeginRow(QStringLiteral("Limits:"));
        Decimal(QStringLiteral("limitLow"), {}, Of<double>(ch, &NDR_Channel::limitLow));
        Decimal(QStringLiteral("limitHigh"), {}, Of<double>(ch, &NDR_Channel::limitHigh));
        EndRow();
        BeginRow(QStringLiteral("Inputs:"));
        for (int i = 0; i < 4; ++i) {
            Integer(QStringLiteral("input%1").arg(i + 1), {},
                    {[ch, i] { return static_cast<long long>(ch().inputs[static_cast<size_t>(i)]); },
                     [ch, i](const long long& v) { ch().inputs[static_cast<size_t>(i)] = static_cast<int32_t>(v); }},
                    0, 255);
        }
        EndRow();
        BeginGroup(QStringLiteral("Function"));
        QStringList functions;
        for (const char* f : NDR_Channel::kFunctions) {
            QString text = QString::fromUtf8(f);
            functions << (text.endsWith(QLatin1Char('(')) ? text + QStringLiteral("...)") : text);
        }
        ChoiceField& function = Choice(QStringLiteral("function"), QStringLiteral("Function:"), functions,
                                       Of<long long>(ch, &NDR_Channel::function));
        BeginRow(QStringLiteral("Arguments:"));
        IntegerField& count = Integer(QStringLiteral("functionCount"), {}, Of<long long>(ch, &NDR_Channel::functionCount), 0, 255);
        AddText(QStringLiteral("base"));
        DecimalField& base = Decimal(QStringLiteral("degreeDayBase"), {}, Of<double>(ch, &NDR_Channel::degreeDayBase));
        ChoiceField& loss = Choice(QStringLiteral("functionLoss"), {}, QStringList{QStringLiteral("gain"), QStringLiteral("loss")},
                                   Of<long long>(ch, &NDR_Channel::functionLoss));
        AddText(QStringLiteral("threshold"));
        DecimalField& sun = Decimal(QStringLiteral("sunshineThreshold"), {}, Of<double>(ch, &NDR_Channel::sunshineThreshold));
        EndRow();
        EnableWhen({&count}, [&function] { return function.Current() == 3 || function.Current() == 4; });
        EnableWhen({&base, &loss}, [&function] { return function.Current() == 5; });
        EnableWhen({&sun}, [&function] { return function.Current() == 11; });
        BeginGroup(QStringLiteral("Input"));
        ChoiceField& countType = Choice(QStringLiteral("countType"), QStringLiteral("Count type:"),
                                        Words(NDR_Channel::kCountTypes), Of<long long>(ch, &NDR_Channel::countType));
        ChoiceField& reset = Choice(QStringLiteral("countReset"), QStringLiteral("Count reset:"),
                                    Words(NDR_Channel::kCountResets), Of<long long>(ch, &NDR_Channel::countReset));
        ChoiceField& analogue = Choice(QStringLiteral("analogueType"), QStringLiteral("Analogue input:"),
                                       Words(NDR_Channel::kAnalogueTypes), Of<long long>(ch, &NDR_Channel::analogueType));
        BeginRow(QStringLiteral("Gain:"));
        IntegerField& gain = Integer(QStringLiteral("analogueGain"), {}, Of<long long>(ch, &NDR_Channel::analogueGain), 0, 255);
        AddText(QStringLiteral("Current"));
        IntegerField& current =
            Integer(QStringLiteral("analogueCurrent"), {}, Of<long long>(ch, &NDR_Channel::analogueCurrent), 0, 255);
        EndRow();
        ChoiceField& instrument = Choice(QStringLiteral("instrumentType"), QStringLiteral("Instrument:"),
                                         Words(NDR_Channel::kInstrumentTypes), Of<long long>(ch, &NDR_Channel::instrumentType));
        DecimalField& data = Decimal(QStringLiteral("dataValue"), QStringLiteral("Data value:"), Of<double>(ch, &NDR_Channel::dataValue));
        EndGroup();
        EnableWhen({&countType, &reset}, [&type] { return type.Current() == 1; });
        EnableWhen({&analogue, &gain, &current}, [&type] { return type.Current() == 0; });
        EnableWhen({&instrument}, [&type] { return type.Current() == 3; });
        EnableWhen({&data}, [&type] { return type.Current() == 2 || type.Current() == 5; });
        (void)on;
        AddStretch();
    }
};

class AlarmsPage : public PickedItemPage {
public:
    explicit AlarmsPage(NDR& ndr) : PickedItemPage(QStringLiteral("Alarms"), QStringLiteral("Alarm"), ndr::kAlarms) {
        std::function<NDR_Alarm&()> al = [this, &ndr]() -> NDR_Alarm& { return ndr.alarms[Shown()]; };
        BeginGroup(QStringLiteral("Alarm"));
        CheckField& on = Check(QStringLiteral("enabled"), QStringLiteral("Enabled"), FlagOf(al, &NDR_Alarm::enabled));
        std::vector<FieldBinder*> rest;
        rest.push_back(&Text(QStringLiteral("text"), QStringLiteral("Text:"), Of<std::string>(al, &NDR_Alarm::text)));
        rest.push_back(&Integer(QStringLiteral("inputChannel"), QStringLiteral("Input channel:"),
                                Of<long long>(al, &NDR_Alarm::inputChannel), 1, ndr::kChannels));
        rest.push_back(&Choice(QStringLiteral("test"), QStringLiteral("Test:"), Words(NDR_Alarm::kTests),
                               Of<long long>(al, &NDR_Alarm::test)));
        BeginRow(QStringLiteral("Limits:"));
        rest.push_back(&Decimal(QStringLiteral("limitLow"), {}, Of<double>(al, &NDR_Alarm::limitLow)));
        rest.push_back(&Decimal(QStringLiteral("limitHigh"), {}, Of<double>(al, &NDR_Alarm::limitHigh)));
        EndRow();
        BeginRow(QStringLiteral("Delays (s):"));
        rest.push_back(&Integer(QStringLiteral("delayOn"), {}, Of<long long>(al, &NDR_Alarm::delayOn), 0, 65535));
        rest.push_back(&Integer(QStringLiteral("delayOff"), {}, Of<long long>(al, &NDR_Alarm::delayOff), 0, 65535));
        EndRow();
        BeginRow(QStringLiteral("Channel list:"));
        rest.push_back(&Choice(QStringLiteral("action"), {}, Words(NDR_Alarm::kActions), Of<long long>(al, &NDR_Alarm::action)));
        TextField& list = Text(QStringLiteral("channelList"), {},
                               {[al] { return ndr::ChannelListText(al().channelList); },
                                [al](const std::string& v) {
                                    if (const auto flags = ndr::ParseChannelList(v)) {
                                        al().channelList = *flags;
                                    }
                                }});
        list.check = [](const std::string& v) {
            return ndr::ParseChannelList(v) ? std::string()
                                            : std::string("The channel list holds channel numbers 1 to 64, "
                                                          "separated by commas.");
        };
        rest.push_back(&list);
        EndRow();
        BeginGroup(QStringLiteral("Outputs"));
        BeginRow();
        const char* flagTexts[] = {"Sound", "Digital", "Value", "Fast logging", "Phone", "SMS"};
        int32_t NDR_Alarm::*flags[] = {&NDR_Alarm::sound, &NDR_Alarm::digital, &NDR_Alarm::value,
                                       &NDR_Alarm::fast,  &NDR_Alarm::phone,   &NDR_Alarm::sms};
        for (int i = 0; i < 6; ++i) {
            rest.push_back(&Check(QStringLiteral("flag_%1").arg(QString::fromLatin1(NDR_Alarm::kFlagNames[i])),
                                  QString::fromUtf8(flagTexts[i]), FlagOf(al, flags[i])));
        }
        EndRow();
        BeginRow(QStringLiteral("Data output:"));
        rest.push_back(&Integer(QStringLiteral("dataOutput"), {}, Of<long long>(al, &NDR_Alarm::dataOutput), 1, 65535));
        AddText(QStringLiteral("Digital output"));
        rest.push_back(&Integer(QStringLiteral("digitalOutput"), {}, Of<long long>(al, &NDR_Alarm::digitalOutput), 0, 255));
        EndRow();
        BeginRow(QStringLiteral("Values:"));
        rest.push_back(&Decimal(QStringLiteral("valueOn"), {}, Of<double>(al, &NDR_Alarm::valueOn)));
        rest.push_back(&Decimal(QStringLiteral("valueOff"), {}, Of<double>(al, &NDR_Alarm::valueOff)));
        EndRow();
        rest.push_back(&Text(QStringLiteral("telephone"), QStringLiteral("Telephone:"), Of<std::string>(al, &NDR_Alarm::telephone)));
        for (int i = 0; i < 4; ++i) {
            rest.push_back(&Text(QStringLiteral("smsNumber%1").arg(i + 1), QStringLiteral("SMS number %1:").arg(i + 1),
                                 {[al, i] { return al().smsNumbers[static_cast<size_t>(i)]; },
                                  [al, i](const std::string& v) { al().smsNumbers[static_cast<size_t>(i)] = v; }}));
        }
        EndGroup();
        // A disabled alarm is sent as disabled and nothing else.
        EnableWhen(rest, [&on] { return on.Checked(); });
        AddStretch();
    }
};

}  // namespace

std::unique_ptr<PropertyPage> MakeNdrChannelsPage(NDR& ndr) { return std::make_unique<ChannelsPage>(ndr); }
std::unique_ptr<PropertyPage> MakeNdrAlarmsPage(NDR& ndr) { return std::make_unique<AlarmsPage>(ndr); }

}  // namespace svu
