#include "pages/RadioModemPage.h"

#include "pages/PropertyPage.h"
#include "pages/StationPages.h"

namespace svu {

namespace {

constexpr long long kMaxAddress = 99;  // sent as two digits
constexpr long long kMaxRadioChannel = 127;

}  // namespace

std::unique_ptr<PropertyPage> MakeRadioModemPage(const RadioModemSettings& settings, const Profile* ports) {
    auto page = std::make_unique<PropertyPage>(QStringLiteral("Radio Modem"));
    page->BeginGroup(QStringLiteral("Radio"));
    QStringList texts;
    std::vector<long long> values;
    PortEntries(*settings.port, ports, texts, values);
    page->Choice(QStringLiteral("port"), QStringLiteral("Device:"), texts, Bind<long long>(*settings.port), values);
    page->Choice(QStringLiteral("baudRate"), QStringLiteral("Baud rate:"), BaudRateTexts(),
                 Bind<long long>(*settings.baudRate), BaudRateValues());
    page->Spin(QStringLiteral("rxAddress"), QStringLiteral("Rx Address:"), Bind<long long>(*settings.rxAddress), 0,
               kMaxAddress);
    if (settings.txAddress != nullptr) {
        page->Spin(QStringLiteral("txAddress"), QStringLiteral("Tx Address:"), Bind<long long>(*settings.txAddress), 0,
                   kMaxAddress);
    }
    page->BeginRow(QStringLiteral("Frequency:"));
    page->Decimal(QStringLiteral("frequency"), {}, Bind<double>(*settings.frequency), kRadioFrequencyMin,
                  kRadioFrequencyMax);
    page->AddText(QStringLiteral("MHz"));
    page->EndRow();
    // How the modem takes its channel number: one character, or two digits.
    page->Choice(QStringLiteral("radioType"), QStringLiteral("Model:"),
                 {QStringLiteral("Channel as a character"), QStringLiteral("Channel as two digits")},
                 Bind<long long>(*settings.radioType), {0, 1});
    return page;
}

std::unique_ptr<PropertyPage> MakeRadioChannelPage(int32_t& port, uint8_t& radioChannel, const Profile* ports) {
    auto page = std::make_unique<PropertyPage>(QStringLiteral("Radio Modem"));
    page->BeginGroup(QStringLiteral("Radio"));
    QStringList texts;
    std::vector<long long> values;
    PortEntries(port, ports, texts, values);
    page->Choice(QStringLiteral("port"), QStringLiteral("Port:"), texts, Bind<long long>(port), values);
    page->Spin(QStringLiteral("radioChannel"), QStringLiteral("Channel:"), Bind<long long>(radioChannel), 0,
               kMaxRadioChannel);
    return page;
}

}  // namespace svu
