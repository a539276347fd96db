#include "pages/LoggerChannelsPage.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <limits>

#include "loggers/WSNDR.h"
#include "pages/PropertyPage.h"
#include "pages/PropertySheet.h"
#include "pages/RawChannelEdits.h"
#include "pages/Sheets.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

enum Column { kNumber, kName, kType, kColumnCount };

class LoggerChannelsPage : public PropertyPage {
public:
    LoggerChannelsPage(WeatherStation& station, ChannelEditListener* listener)
        : PropertyPage(QStringLiteral("Channels")),
          station_(station),
          listener_(listener),
          table_(new QTableWidget(0, kColumnCount)) {
        BeginGroup(QStringLiteral("Values of the logger's lines, in order"));
        table_->setObjectName(QStringLiteral("channelTable"));
        table_->setHorizontalHeaderLabels({QStringLiteral("No."), QStringLiteral("Name"), QStringLiteral("Type")});
        table_->verticalHeader()->hide();
        table_->setSelectionBehavior(QAbstractItemView::SelectRows);
        table_->setSelectionMode(QAbstractItemView::SingleSelection);
        QHeaderView* header = table_->horizontalHeader();
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(kName, QHeaderView::Stretch);
        table_->setMinimumSize(360, 220);
        AddWidget(table_);
        BeginRow();
        AddButton(QStringLiteral("Add"), QStringLiteral("addChannel"), [this] { Add(); });
        QPushButton* remove =
            AddButton(QStringLiteral("Delete"), QStringLiteral("deleteChannel"), [this] { Delete(); });
        EndRow();
        AddText(QStringLiteral("Type: 3 wind direction, 8 never negative, 13 rainfall; 0 for any other value."));
        EnableWidgetsWhen({remove}, [this] { return table_->currentRow() >= 0; });
        QObject::connect(table_, &QTableWidget::currentCellChanged, this, [this] { ApplyRules(); });
    }

    void Load() override {
        PropertyPage::Load();
        originals_.clear();
        table_->setRowCount(0);
        const int raw = std::max(station_.rawChannelCount, 0);
        for (int i = 0; i < raw; ++i) {
            const auto at = static_cast<std::size_t>(i);
            AppendRow(at < station_.channelNames.size() ? ToQt(station_.channelNames[at]) : QString(),
                      at < station_.channelTypes.size() ? station_.channelTypes[at] : 0u, i);
        }
        ApplyRules();
    }

    bool Validate(QString& message, QWidget*& focus) override {
        for (int row = 0; row < table_->rowCount(); ++row) {
            // The name heads the channel's column in every log file.
            if (table_->item(row, kName)->text().trimmed().isEmpty()) {
                return Refuse(row, kName, QStringLiteral("Every channel needs a name."), message, focus);
            }
            long long type = 0;
            if (!ParseInteger(table_->item(row, kType)->text(), type) || type < 0 ||
                type > std::numeric_limits<uint32_t>::max()) {
                return Refuse(row, kType, IntegerRangeMessage(0, std::numeric_limits<uint32_t>::max()), message,
                              focus);
            }
        }
        return PropertyPage::Validate(message, focus);
    }

    void Store() override {
        PropertyPage::Store();
        std::vector<std::string> names;
        for (int row = 0; row < table_->rowCount(); ++row) {
            names.push_back(FromQt(table_->item(row, kName)->text().trimmed()));
        }
        auto* logger = dynamic_cast<WSNDR*>(&station_);
        if (logger != nullptr && station_.rawChannelCount <= 0 && station_.derived.empty()) {
            // A new logger station: nothing refers to its channels yet.
            logger->SetLoggerChannels(names);
        } else {
            // Deleted channels go first, from the last, so that the remaining numbers stay valid;
            // then the kept ones are renamed and the new ones appended.
            const int raw = std::max(station_.rawChannelCount, 0);
            std::vector<bool> kept(static_cast<std::size_t>(raw), false);
            for (const int original : originals_) {
                if (original >= 0 && original < raw) {
                    kept[static_cast<std::size_t>(original)] = true;
                }
            }
            for (int i = raw - 1; i >= 0; --i) {
                if (!kept[static_cast<std::size_t>(i)]) {
                    DeleteRawChannel(station_, i, listener_);
                }
            }
            for (std::size_t row = 0; row < names.size(); ++row) {
                if (originals_[row] < 0) {
                    InsertRawChannel(station_, names[row], listener_);
                } else {
                    station_.channelNames[row] = names[row];
                }
            }
        }
        station_.channelTypes.resize(std::max(station_.channelTypes.size(), names.size()), 0u);
        for (int row = 0; row < table_->rowCount(); ++row) {
            long long type = 0;
            ParseInteger(table_->item(row, kType)->text(), type);
            station_.channelTypes[static_cast<std::size_t>(row)] = static_cast<uint32_t>(type);
        }
    }

private:
    void AppendRow(const QString& name, uint32_t type, int original) {
        const int row = table_->rowCount();
        table_->insertRow(row);
        auto* number = new QTableWidgetItem(QString::number(row + 1));
        number->setFlags(number->flags() & ~Qt::ItemIsEditable);
        table_->setItem(row, kNumber, number);
        table_->setItem(row, kName, new QTableWidgetItem(name));
        table_->setItem(row, kType, new QTableWidgetItem(QString::number(type)));
        originals_.push_back(original);
    }

    void Renumber() {
        for (int row = 0; row < table_->rowCount(); ++row) {
            table_->item(row, kNumber)->setText(QString::number(row + 1));
        }
    }

    void Add() {
        AppendRow(QStringLiteral("Channel %1").arg(table_->rowCount() + 1), 0u, -1);
        const int row = table_->rowCount() - 1;
        table_->setCurrentCell(row, kName);
        table_->editItem(table_->item(row, kName));
        ApplyRules();
    }

    void Delete() {
        const int row = table_->currentRow();
        if (row < 0) {
            return;
        }
        table_->removeRow(row);
        originals_.erase(originals_.begin() + row);
        Renumber();
        ApplyRules();
    }

    bool Refuse(int row, int column, const QString& why, QString& message, QWidget*& focus) {
        table_->setCurrentCell(row, column);
        message = why;
        focus = table_;
        return false;
    }

    WeatherStation& station_;
    ChannelEditListener* listener_;
    QTableWidget* table_;
    std::vector<int> originals_;  // per row: the raw channel it was when loaded, -1 for a new one
};

}  // namespace

std::unique_ptr<PropertySheet> MakeLoggerChannelSheet(QWidget* parent, WeatherStation& station,
                                                      const StationPagesContext& context) {
    auto sheet = std::make_unique<PropertySheet>(parent, QStringLiteral("Channels"), context.ui);
    sheet->SetStoreLock(&station.lock);
    sheet->AddPage(std::make_unique<LoggerChannelsPage>(station, context.listener));
    sheet->HideTabs();
    return sheet;
}

}  // namespace svu
