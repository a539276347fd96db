#include "pages/DerivedPages.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "derived/ProcessedChannelRatio.h"
#include "derived/ProcessedSum.h"
#include "framework/TextUtil.h"
#include "pages/DerivedClassPages.h"
#include "pages/PropertyPage.h"
#include "pages/PropertySheet.h"
#include "pages/Sheets.h"
#include "pages/StationChannelPage.h"
#include "runtime/DerivedKinds.h"
#include "stations/ProcessedData.h"
#include "stations/WeatherStation.h"

namespace svu {

QStringList StationChannelNames(const WeatherStation* station) {
    QStringList names;
    if (station == nullptr) {
        return names;
    }
    const size_t count =
        std::min(station->channelNames.size(), static_cast<size_t>(std::max(station->channelCount, 0)));
    for (size_t i = 0; i < count; ++i) {
        names << ToQt(station->channelNames[i]);
    }
    return names;
}

std::unique_ptr<PropertyPage> MakeDerivedNamePage(ProcessedData& data) {
    auto page = std::make_unique<PropertyPage>(QStringLiteral("Name"));
    page->BeginGroup(QStringLiteral("Processed data"));
    page->Text(QStringLiteral("name"), QStringLiteral("Name:"), Bind<std::string>(data.name));
    return page;
}

std::unique_ptr<PropertyPage> MakeSourcePage(const QString& tabName, const WeatherStation* station,
                                             int32_t& reference) {
    auto page = std::make_unique<PropertyPage>(tabName);
    page->BeginGroup(QStringLiteral("Data source"));
    page->NameList(QStringLiteral("dataChannel"), QStringLiteral("Data channel:"), StationChannelNames(station),
                   Bind<long long>(reference));
    return page;
}

namespace {

class RemoteChannelPage : public StationChannelPage {
public:
    RemoteChannelPage(ProcessedChannelRatio& ratio, const std::vector<std::unique_ptr<WeatherStation>>* stations)
        : StationChannelPage(QStringLiteral("Remote channel"), QStringLiteral("remoteChannel"), stations),
          ratio_(ratio) {}

    void Load() override {
        Select(ratio_.remoteStation, ratio_.remoteChannel);
        PropertyPage::Load();
    }

    void Store() override {
        PropertyPage::Store();
        WeatherStation* station = ChosenStation();
        const int channel = ChosenChannel();
        if (station != nullptr && channel >= 0) {
            ratio_.remoteStation = station;
            ratio_.remoteChannel = channel;
        } else {
            ratio_.remoteStation = nullptr;
            ratio_.remoteChannel = -1;
        }
    }

private:
    ProcessedChannelRatio& ratio_;
};

// Channels are matched by name in the two lists, ignoring letter case.
bool ListHas(const QListWidget& list, const QString& name) {
    for (int i = 0; i < list.count(); ++i) {
        if (list.item(i)->text().compare(name, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

class SumPage : public PropertyPage {
public:
    explicit SumPage(ProcessedSum& sum)
        : PropertyPage(QStringLiteral("Sum")),
          sum_(sum),
          included_(new QListWidget),
          available_(new QListWidget),
          toAvailable_(new QPushButton(QStringLiteral(">>"))),
          toIncluded_(new QPushButton(QStringLiteral("<<"))) {
        included_->setObjectName(QStringLiteral("included"));
        available_->setObjectName(QStringLiteral("available"));
        toAvailable_->setObjectName(QStringLiteral("exclude"));
        toIncluded_->setObjectName(QStringLiteral("include"));
        BeginGroup(QStringLiteral("Channels"));
        auto* lists = new QWidget;
        auto* grid = new QGridLayout(lists);
        grid->setContentsMargins(0, 0, 0, 0);
        grid->addWidget(new QLabel(QStringLiteral("Included:")), 0, 0);
        grid->addWidget(new QLabel(QStringLiteral("Available:")), 0, 1);
        grid->addWidget(included_, 1, 0);
        grid->addWidget(available_, 1, 1);
        grid->addWidget(toAvailable_, 2, 0, Qt::AlignHCenter);
        grid->addWidget(toIncluded_, 2, 1, Qt::AlignHCenter);
        AddWidget(lists);
        QObject::connect(included_, &QListWidget::itemSelectionChanged, this,
                         [this] { toAvailable_->setEnabled(!included_->selectedItems().isEmpty()); });
        QObject::connect(available_, &QListWidget::itemSelectionChanged, this,
                         [this] { toIncluded_->setEnabled(!available_->selectedItems().isEmpty()); });
        QObject::connect(toAvailable_, &QPushButton::clicked, this,
                         [this] { Move(*included_, *available_, *toAvailable_); });
        QObject::connect(toIncluded_, &QPushButton::clicked, this,
                         [this] { Move(*available_, *included_, *toIncluded_); });
    }

    void Load() override {
        const QStringList names = StationChannelNames(sum_.station);
        included_->clear();
        available_->clear();
        for (uint32_t channel : sum_.channels) {
            if (channel < static_cast<uint32_t>(names.size())) {
                included_->addItem(names[static_cast<int>(channel)]);
            }
        }
        for (const QString& name : names) {
            if (!ListHas(*included_, name)) {
                available_->addItem(name);
            }
        }
        toAvailable_->setEnabled(false);
        toIncluded_->setEnabled(false);
        PropertyPage::Load();
    }

    void Store() override {
        PropertyPage::Store();
        const QStringList names = StationChannelNames(sum_.station);
        sum_.channels.clear();
        for (int i = 0; i < names.size(); ++i) {
            if (ListHas(*included_, names[i])) {
                sum_.channels.push_back(static_cast<uint32_t>(i));
            }
        }
    }

private:
    static void Move(QListWidget& from, QListWidget& to, QPushButton& button) {
        const int row = from.currentRow();
        if (row >= 0) {
            to.addItem(from.takeItem(row));  // the taken item is ours until the other list owns it
        }
        from.clearSelection();
        button.setEnabled(false);
    }

    ProcessedSum& sum_;
    QListWidget* included_;
    QListWidget* available_;
    QPushButton* toAvailable_;
    QPushButton* toIncluded_;
};

}  // namespace

std::unique_ptr<PropertyPage> MakeRemoteChannelPage(ProcessedChannelRatio& ratio,
                                                    const std::vector<std::unique_ptr<WeatherStation>>* stations) {
    return std::make_unique<RemoteChannelPage>(ratio, stations);
}

std::unique_ptr<PropertyPage> MakeSumPage(ProcessedSum& sum) {
    return std::make_unique<SumPage>(sum);
}

std::unique_ptr<PropertySheet> MakeDerivedSheet(QWidget* parent, ProcessedData& data,
                                                const StationPagesContext& context) {
    const DerivedKind* kind = FindDerivedKind(data.typeCode);
    auto sheet = std::make_unique<PropertySheet>(
        parent, kind != nullptr ? QString::fromUtf8(kind->sheetTitle) : QStringLiteral("Properties"), context.ui);
    if (data.station != nullptr) {
        sheet->SetStoreLock(&data.station->lock);
    }
    sheet->AddPage(MakeDerivedNamePage(data));
    for (auto& page : MakeDerivedClassPages(data, context)) {
        sheet->AddPage(std::move(page));
    }
    return sheet;
}

int ChooseDerivedType(QWidget* parent, UserInterface* ui) {
    long long chosen = -1;
    QStringList entries;
    for (const DerivedKind& kind : DerivedKinds()) {
        entries << QString::fromUtf8(kind.chooserEntry);
    }
    PropertySheet sheet(parent, QStringLiteral("Data type"), ui);
    auto page = std::make_unique<PropertyPage>(QStringLiteral("Data type"));
    page->BeginGroup(QStringLiteral("Type"));
    page->NameList(QStringLiteral("type"), {}, entries, Bind<long long>(chosen));
    sheet.AddPage(std::move(page));
    sheet.HideTabs();
    if (sheet.Run() != kSheetOk) {
        return -1;
    }
    return static_cast<int>(chosen);
}

}  // namespace svu
