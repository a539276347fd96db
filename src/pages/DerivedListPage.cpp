#include "pages/DerivedListPage.h"

#include <QListWidget>
#include <QPushButton>
#include <mutex>

#include "pages/DerivedPages.h"
#include "pages/PropertyPage.h"
#include "pages/PropertySheet.h"
#include "pages/Sheets.h"
#include "runtime/DerivedKinds.h"
#include "stations/ProcessedData.h"
#include "stations/WeatherStation.h"

namespace svu {

void AppendDerivedChannel(WeatherStation& station, std::unique_ptr<ProcessedData> data) {
    // The worker thread walks `derived` and the value table under this lock.
    std::lock_guard guard(station.lock);
    station.channelNames.resize(static_cast<size_t>(std::max(station.channelCount, 0)));
    station.channelNames.push_back(data->name);
    station.derived.push_back(std::move(data));
    ++station.channelCount;
    station.values.resize(static_cast<size_t>(station.channelCount));
}

void DeleteDerivedChannel(WeatherStation& station, int position, const StationPagesContext& context) {
    std::lock_guard guard(station.lock);
    if (position < 0 || static_cast<size_t>(position) >= station.derived.size()) {
        return;
    }
    const int index = station.rawChannelCount + position;
    station.derived.erase(station.derived.begin() + position);
    if (static_cast<size_t>(index) < station.channelNames.size()) {
        station.channelNames.erase(station.channelNames.begin() + index);
    }
    // The value table keeps the length of the name table, so no reader sees a stale value under
    // the next channel's name.
    if (static_cast<size_t>(index) < station.values.size()) {
        station.values.erase(station.values.begin() + index);
    }
    --station.channelCount;
    if (context.listener != nullptr) {
        context.listener->OnChannelDeleted(station, index);
    } else {
        for (auto& data : station.derived) {
            data->OnChannelDeleted(index);
        }
    }
}

namespace {

class DerivedListPage : public PropertyPage {
public:
    DerivedListPage(WeatherStation& station, const StationPagesContext& context)
        : PropertyPage(QStringLiteral("Processed data")), station_(station), context_(context), list_(new QListWidget) {
        list_->setObjectName(QStringLiteral("derivedList"));
        BeginGroup(QStringLiteral("Processed details"));
        AddWidget(list_);
        BeginRow();
        AddButton(QStringLiteral("Add..."), QStringLiteral("addDerived"), [this] { AddChannel(); });
        remove_ = AddButton(QStringLiteral("Delete..."), QStringLiteral("deleteDerived"), [this] { DeleteChannel(); });
        properties_ =
            AddButton(QStringLiteral("Properties..."), QStringLiteral("derivedProperties"), [this] { EditChannel(); });
        EndRow();
        QObject::connect(list_, &QListWidget::itemSelectionChanged, this,
                         [this] { SetButtons(!list_->selectedItems().isEmpty()); });
    }

    void Load() override {
        Fill();
        PropertyPage::Load();
    }
    void Refresh() override { Fill(); }

private:
    void Fill() {
        list_->clear();
        for (size_t k = 0; k < station_.derived.size(); ++k) {
            const size_t index = static_cast<size_t>(station_.rawChannelCount) + k;
            list_->addItem(
                ToQt(index < station_.channelNames.size() ? station_.channelNames[index] : station_.derived[k]->name));
        }
        SetButtons(false);
    }

    void SetButtons(bool selected) {
        remove_->setEnabled(selected);
        properties_->setEnabled(selected);
    }

    int Selected() const {
        const QList<QListWidgetItem*> items = list_->selectedItems();
        return items.isEmpty() ? -1 : list_->row(items.front());
    }

    StationPagesContext NestedContext() {
        StationPagesContext nested = context_;
        nested.ui = &Ui();
        return nested;
    }

    void AddChannel() {
        const int type = ChooseDerivedType(this, &Ui());
        const DerivedKind* kind = type >= 0 ? FindDerivedKind(static_cast<uint32_t>(type)) : nullptr;
        if (kind == nullptr) {
            return;
        }
        std::unique_ptr<ProcessedData> data = kind->create(&station_);
        if (EditDerivedProperties(this, *data, NestedContext()) != kSheetOk) {
            return;  // the new channel never joined the station
        }
        AppendDerivedChannel(station_, std::move(data));
        Fill();
    }

    void DeleteChannel() {
        const int position = Selected();
        if (position < 0) {
            return;
        }
        DeleteDerivedChannel(station_, position, context_);
        Fill();
    }

    void EditChannel() {
        const int position = Selected();
        if (position < 0) {
            return;
        }
        ProcessedData& data = *station_.derived[static_cast<size_t>(position)];
        if (EditDerivedProperties(this, data, NestedContext()) == kSheetOk) {
            std::lock_guard guard(station_.lock);
            const size_t index = static_cast<size_t>(station_.rawChannelCount + position);
            if (index < station_.channelNames.size()) {
                station_.channelNames[index] = data.name;
            }
        }
        Fill();
    }

    WeatherStation& station_;
    StationPagesContext context_;
    QListWidget* list_;
    QPushButton* remove_ = nullptr;
    QPushButton* properties_ = nullptr;
};

}  // namespace

std::unique_ptr<PropertyPage> MakeDerivedListPage(WeatherStation& station, const StationPagesContext& context) {
    return std::make_unique<DerivedListPage>(station, context);
}

}  // namespace svu
