#include "pages/InstrumentPages.h"

#include <QHeaderView>
#include <QTableWidget>
#include <bit>
#include <limits>

#include "framework/StringTable.h"
#include "pages/PropertyPage.h"
#include "pages/PropertySheet.h"
#include "stations/OperationHostScope.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

constexpr int kAdvancedCaption = 167;
constexpr int kCannotReadChannels = 227;
constexpr int kCannotSendChannels = 228;
constexpr int kAskClearMemory = 230;
constexpr int kCannotClearMemory = 232;

enum Column { kNumber, kName, kOffset, kMultiplier, kType, kColumnCount };

constexpr uint32_t kOneBits = std::bit_cast<uint32_t>(1.0f);

// Shows the wait cursor while an instrument exchange runs on the user-interface thread.
class WaitCursor {
public:
    explicit WaitCursor(UserInterface& ui) : ui_(ui) { ui_.BeginWaitCursor(); }
    ~WaitCursor() { ui_.EndWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    UserInterface& ui_;
};

class ChannelsPage : public PropertyPage {
public:
    explicit ChannelsPage(WeatherStation& station)
        : PropertyPage(QStringLiteral("Channels")), station_(station), table_(new QTableWidget(0, kColumnCount)) {
        table_->setObjectName(QStringLiteral("channelTable"));
        table_->setHorizontalHeaderLabels({QStringLiteral("No."), QStringLiteral("Name"), QStringLiteral("Offset"),
                                           QStringLiteral("Multiplier"), QStringLiteral("Type")});
        table_->verticalHeader()->hide();
        QHeaderView* header = table_->horizontalHeader();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(kName, QHeaderView::Stretch);
        table_->setMinimumSize(420, 220);
        AddWidget(table_);
        BeginGroup(QStringLiteral("Configuration"));
        BeginRow();
        AddButton(QStringLiteral("Read"), QStringLiteral("read"), [this] { Read(); });
        AddButton(QStringLiteral("Send"), QStringLiteral("send"), [this] { Send(); });
        EndRow();
    }

    void Load() override {
        PropertyPage::Load();
        const int rows = std::min<int>(station_.rawChannelCount, static_cast<int>(station_.channelNames.size()));
        table_->setRowCount(std::max(rows, 0));
        for (int i = 0; i < rows; ++i) {
            const auto at = static_cast<size_t>(i);
            SetCell(i, kNumber, QString::number(i + 1), false);
            SetCell(i, kName, ToQt(station_.channelNames[at]), true);
            const uint32_t offset = at < station_.channelOffsets.size() ? station_.channelOffsets[at] : 0u;
            const uint32_t multiplier =
                at < station_.channelMultipliers.size() ? station_.channelMultipliers[at] : kOneBits;
            SetCell(i, kOffset, FormatDecimal(std::bit_cast<float>(offset)), true);
            SetCell(i, kMultiplier, FormatDecimal(std::bit_cast<float>(multiplier)), true);
            const uint32_t type = at < station_.channelTypes.size() ? station_.channelTypes[at] : 0u;
            SetCell(i, kType, QString::number(type), true);
        }
    }

    bool Validate(QString& message, QWidget*& focus) override {
        for (int i = 0; i < table_->rowCount(); ++i) {
            double number = 0;
            for (int column : {kOffset, kMultiplier}) {
                if (!ParseDecimal(table_->item(i, column)->text(), number)) {
                    return Refuse(i, column, NotDecimalMessage(), message, focus);
                }
            }
            long long type = 0;
            if (!ParseInteger(table_->item(i, kType)->text(), type) || type < 0 ||
                type > std::numeric_limits<uint32_t>::max()) {
                return Refuse(i, kType, IntegerRangeMessage(0, std::numeric_limits<uint32_t>::max()), message, focus);
            }
        }
        return PropertyPage::Validate(message, focus);
    }

    void Store() override {
        PropertyPage::Store();
        const auto rows = static_cast<size_t>(table_->rowCount());
        if (station_.channelOffsets.size() < rows) {
            station_.channelOffsets.resize(rows, 0u);
        }
        if (station_.channelMultipliers.size() < rows) {
            station_.channelMultipliers.resize(rows, kOneBits);
        }
        if (station_.channelTypes.size() < rows) {
            station_.channelTypes.resize(rows, 0u);
        }
        for (size_t i = 0; i < rows && i < station_.channelNames.size(); ++i) {
            const int row = static_cast<int>(i);
            station_.channelNames[i] = FromQt(table_->item(row, kName)->text());
            double number = 0;
            ParseDecimal(table_->item(row, kOffset)->text(), number);
            station_.channelOffsets[i] = std::bit_cast<uint32_t>(static_cast<float>(number));
            ParseDecimal(table_->item(row, kMultiplier)->text(), number);
            station_.channelMultipliers[i] = std::bit_cast<uint32_t>(static_cast<float>(number));
            long long type = 0;
            ParseInteger(table_->item(row, kType)->text(), type);
            station_.channelTypes[i] = static_cast<uint32_t>(type);
        }
    }

private:
    void SetCell(int row, int column, const QString& text, bool editable) {
        auto* item = new QTableWidgetItem(text);
        if (!editable) {
            item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        }
        table_->setItem(row, column, item);
    }

    bool Refuse(int row, int column, const QString& why, QString& message, QWidget*& focus) {
        table_->setCurrentCell(row, column);
        message = why;
        focus = table_;
        return false;
    }

    void Read() {
        bool read = false;
        {
            WaitCursor wait(Ui());
            OperationHostScope lend(station_, Ui());
            station_.GetLoggerInterval(station_.loggerInterval);
            station_.GetGustPeriod(station_.gustPeriod);
            read = station_.ReadConfiguration();
        }
        if (!read) {
            ShowMessage(Ui(), ToQt(Str(kCannotReadChannels)));
        }
        // The instrument's answer replaces whatever was typed on every page of the sheet.
        Sheet()->ReloadAll();
    }

    void Send() {
        // What is sent is what the sheet shows, so it is committed first.
        if (!Sheet()->ApplyAll()) {
            return;
        }
        bool sent = false;
        {
            WaitCursor wait(Ui());
            OperationHostScope lend(station_, Ui());
            station_.SetLoggerInterval(station_.loggerInterval);
            station_.SetGustPeriod(station_.gustPeriod);
            sent = station_.WriteConfiguration();
        }
        if (!sent) {
            ShowMessage(Ui(), ToQt(Str(kCannotSendChannels)));
        }
    }

    WeatherStation& station_;
    QTableWidget* table_;
};

class OthersPage : public PropertyPage {
public:
    explicit OthersPage(WeatherStation& station) : PropertyPage(QStringLiteral("Others")), station_(station) {
        BeginGroup(QStringLiteral("Logger"));
        BeginRow(QStringLiteral("Record readings every"));
        Integer(QStringLiteral("loggerInterval"), {}, Bind<long long>(station.loggerInterval), 1, 9999);
        AddText(QStringLiteral("minutes"));
        EndRow();
        BeginRow(QStringLiteral("Wind gust time period:"));
        Integer(QStringLiteral("gustPeriod"), {}, Bind<long long>(station.gustPeriod), 1, 10);
        AddText(QStringLiteral("seconds"));
        EndRow();
        Check(QStringLiteral("passive"), QStringLiteral("Passive"), BindFlag(station.passive));
        BeginGroup(QStringLiteral("Clock"));
        BeginRow();
        AddButton(QStringLiteral("Synchronise"), QStringLiteral("synchronise"), [this] { Synchronise(); });
        AddText(QStringLiteral("Note: This may take up to a minute to complete."));
        EndRow();
        BeginGroup(QStringLiteral("Memory"));
        AddButton(QStringLiteral("Clear "), QStringLiteral("clear"), [this] { Clear(); });
    }

private:
    void Synchronise() {
        WaitCursor wait(Ui());
        OperationHostScope lend(station_, Ui());
        station_.SetClock();
    }

    void Clear() {
        if (!AskYesNo(Ui(), ToQt(Str(kAskClearMemory)))) {
            return;
        }
        bool cleared = false;
        {
            WaitCursor wait(Ui());
            OperationHostScope lend(station_, Ui());
            cleared = station_.ClearMemory();
        }
        if (!cleared) {
            ShowMessage(Ui(), ToQt(Str(kCannotClearMemory)));
        }
    }

    WeatherStation& station_;
};

}  // namespace

std::unique_ptr<PropertyPage> MakeChannelsPage(WeatherStation& station) {
    return std::make_unique<ChannelsPage>(station);
}

std::unique_ptr<PropertyPage> MakeOthersPage(WeatherStation& station) {
    return std::make_unique<OthersPage>(station);
}

std::unique_ptr<PropertySheet> MakeAdvancedSheet(QWidget* parent, WeatherStation& station, bool withOthers,
                                                 UserInterface* ui) {
    auto sheet = std::make_unique<PropertySheet>(parent, ToQt(Str(kAdvancedCaption)), ui);
    sheet->SetStoreLock(&station.lock);
    sheet->AddPage(MakeChannelsPage(station));
    if (withOthers) {
        sheet->AddPage(MakeOthersPage(station));
    }
    return sheet;
}

}  // namespace svu
