#include "pages/LoggerPages.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "framework/StringTable.h"
#include "loggers/NdrLoggerLink.h"
#include "loggers/WS310320.h"
#include "pages/NdrConfigSheet.h"
#include "stations/OperationHostScope.h"
#include "pages/PropertyPage.h"
#include "pages/PropertySheet.h"

namespace svu {

namespace {

constexpr const char* kCaption = "Stratavue";
constexpr int kEditPeriodTitle = 646;
constexpr int kPeriodLabel = 647;
constexpr int kEditProfileTitle = 648;
constexpr int kProfileLabel = 649;
constexpr int kNameInUse = 650;
constexpr int kPeriodSameAsProfile = 651;
constexpr int kProfileSameAsPeriod = 652;

bool ListHolds(const QListWidget* list, const QString& name, int except) {
    for (int i = 0; i < list->count(); ++i) {
        if (i != except && list->item(i)->text().compare(name, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

class LoggerSetupPage : public PropertyPage {
public:
    LoggerSetupPage(WeatherStation& station, NdrLoggerLink& link)
        : PropertyPage(QStringLiteral("Logger")), station_(station), link_(link) {
        BeginGroup(QStringLiteral("Configuration"));
        AddButton(QStringLiteral("Calyra Configuration..."), QStringLiteral("ndrConfiguration"), [this] { Open(); });
    }

private:
    void Open() {
        // The station's operations report through the sheet's user interface while it is open.
        OperationHostScope lend(station_, Ui());
        NdrConfigSheet sheet(this, link_.LoggerSetup(), &link_, &Ui());
        sheet.Run();
    }

    WeatherStation& station_;
    NdrLoggerLink& link_;
};

class SoundLevelSpecialPage : public PropertyPage {
public:
    explicit SoundLevelSpecialPage(WS310320& station)
        : PropertyPage(QStringLiteral("Special")),
          station_(station),
          periods_(new QListWidget),
          profiles_(new QListWidget) {
        BeginGroup(QStringLiteral("Reset"));
        Check(QStringLiteral("resetOnRead"), QStringLiteral("Reset flags, LEQ && Peak on each reading."),
              BindFlag(station.resetOnRead));
        BeginGroup(QStringLiteral("Online mode"));
        online_ = &Check(QStringLiteral("onlineMode"), QStringLiteral("Communicate using 310/320 'Online' mode."),
                         BindFlag(station.onlineMode));
        periods_->setObjectName(QStringLiteral("periodFunctions"));
        profiles_->setObjectName(QStringLiteral("profileFunctions"));
        periods_->setMinimumHeight(150);
        profiles_->setMaximumHeight(48);
        AddWidget(periods_, QStringLiteral("Period functions:"));
        AddWidget(profiles_, QStringLiteral("Profile functions:"));
        QPushButton* edit = AddButton(QStringLiteral("..."), QStringLiteral("editFunction"), [this] { EditSelected(); });
        EnableWidgetsWhen({periods_, profiles_, edit}, [this] { return online_->Checked(); });
        // One selection across both lists.
        QObject::connect(periods_, &QListWidget::currentRowChanged, this, [this](int row) {
            if (row >= 0) {
                profiles_->setCurrentRow(-1);
            }
        });
        QObject::connect(profiles_, &QListWidget::currentRowChanged, this, [this](int row) {
            if (row >= 0) {
                periods_->setCurrentRow(-1);
            }
        });
        QObject::connect(periods_, &QListWidget::itemDoubleClicked, this, [this] { EditSelected(); });
        QObject::connect(profiles_, &QListWidget::itemDoubleClicked, this, [this] { EditSelected(); });
        AddStretch();
    }

    void Load() override {
        PropertyPage::Load();
        periods_->clear();
        profiles_->clear();
        for (int i = 0; i < kSoundChannels; ++i) {
            const auto at = static_cast<std::size_t>(i);
            const QString text = at < station_.channelNames.size() ? ToQt(station_.channelNames[at]) : QString();
            (i < kPeriodChannels ? periods_ : profiles_)->addItem(text);
        }
        if (online_->Checked()) {
            periods_->setCurrentRow(0);
        }
    }

    void Store() override {
        PropertyPage::Store();
        if (station_.channelNames.size() < static_cast<std::size_t>(kSoundChannels)) {
            station_.channelNames.resize(kSoundChannels);
        }
        for (int i = 0; i < periods_->count() && i < kPeriodChannels; ++i) {
            station_.channelNames[static_cast<std::size_t>(i)] = FromQt(periods_->item(i)->text());
        }
        if (profiles_->count() > 0) {
            station_.channelNames[kPeriodChannels] = FromQt(profiles_->item(0)->text());
        }
    }

private:
    void EditSelected() {
        const bool period = periods_->currentRow() >= 0;
        QListWidget* own = period ? periods_ : profiles_;
        QListWidget* other = period ? profiles_ : periods_;
        const int row = own->currentRow();
        if (row < 0) {
            return;
        }
        QString name = own->item(row)->text();
        if (!EditFunctionName(this, Sheet() != nullptr ? &Sheet()->Ui() : nullptr, period, name)) {
            return;
        }
        if (ListHolds(other, name, -1)) {
            Ui().MessageBox(Str(period ? kPeriodSameAsProfile : kProfileSameAsPeriod), kCaption, MsgButtons::Ok,
                            MsgIcon::Warning);
            return;
        }
        if (ListHolds(own, name, row)) {
            Ui().MessageBox(Str(kNameInUse), kCaption, MsgButtons::Ok, MsgIcon::Warning);
            return;
        }
        own->item(row)->setText(name);
        own->setCurrentRow(row);
    }

    WS310320& station_;
    QListWidget* periods_;
    QListWidget* profiles_;
    CheckField* online_ = nullptr;
};

}  // namespace

std::unique_ptr<PropertyPage> MakeLoggerSetupPage(WeatherStation& station, NdrLoggerLink& link) {
    return std::make_unique<LoggerSetupPage>(station, link);
}

std::unique_ptr<PropertyPage> MakeSoundLevelSpecialPage(WS310320& station) {
    return std::make_unique<SoundLevelSpecialPage>(station);
}

bool EditFunctionName(QWidget* parent, UserInterface* ui, bool period, QString& name) {
    std::string text = FromQt(name);
    PropertySheet sheet(parent, ToQt(Str(period ? kEditPeriodTitle : kEditProfileTitle)), ui);
    sheet.setObjectName(QStringLiteral("functionNameDialog"));
    auto page = std::make_unique<PropertyPage>(QStringLiteral("Name"));
    page->Text(QStringLiteral("functionName"), ToQt(Str(period ? kPeriodLabel : kProfileLabel)),
               Bind<std::string>(text));
    sheet.AddPage(std::move(page));
    sheet.HideTabs();
    if (sheet.Run() != 1) {
        return false;
    }
    name = ToQt(text);
    return true;
}

}  // namespace svu
