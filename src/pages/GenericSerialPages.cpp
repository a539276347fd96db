#include "pages/GenericSerialPages.h"

#include <QButtonGroup>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <array>

#include "pages/PropertyPage.h"
#include "pages/PropertySheet.h"
#include "pages/RawChannelEdits.h"
#include "pages/Sheets.h"
#include "stations/WSGenericSerial.h"

namespace svu {

namespace {

constexpr int kRealtime = 2;

// Scripts are stored with CR LF line ends; the edit box works with LF.
QString ToEditor(const std::string& script) {
    QString text = ToQt(script);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

std::string FromEditor(const QString& text) {
    QString script = text;
    script.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    script.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return FromQt(script);
}

class ScriptPage : public PropertyPage {
public:
    ScriptPage(WSGenericSerial& station, std::function<void()> channels)
        : PropertyPage(QStringLiteral("Scripts")), station_(station), edit_(new QPlainTextEdit) {
        BeginGroup(QStringLiteral("Script"));
        edit_->setObjectName(QStringLiteral("script"));
        edit_->setLineWrapMode(QPlainTextEdit::NoWrap);
        edit_->setMinimumSize(460, 260);
        QFont mono(QStringLiteral("monospace"));
        mono.setStyleHint(QFont::TypeWriter);
        edit_->setFont(mono);
        AddWidget(edit_);
        EndGroup();
        BeginGroup(QStringLiteral("Operation"));
        RadioField& operation = Radio(QStringLiteral("operation"),
                                      {QStringLiteral("Connect"), QStringLiteral("Disconnect"),
                                       QStringLiteral("Realtime"), QStringLiteral("Set clock")},
                                      {[this] { return static_cast<long long>(shown_); }, [](const long long&) {}},
                                      {}, false);
        EndGroup();
        BeginGroup(QStringLiteral("Connection"));
        Radio(QStringLiteral("connection"), {QStringLiteral("Serial"), QStringLiteral("Modem")},
              Bind<long long>(station_.connection), {WSGenericSerial::kSerial, WSGenericSerial::kModem}, false);
        EndGroup();
        BeginRow();
        AddButton(QStringLiteral("Channels"), QStringLiteral("channels"), std::move(channels));
        EndRow();
        auto* group = operation.Widget()->findChild<QButtonGroup*>();
        QObject::connect(group, &QButtonGroup::idToggled, this, [this](int id, bool on) {
            if (on) {
                Show(id);
            }
        });
    }

    void Load() override {
        scripts_ = {station_.connectScript, station_.disconnectScript, station_.realtimeScript, station_.clockScript};
        shown_ = -1;
        Show(kRealtime);
        PropertyPage::Load();
    }

    void Store() override {
        Show(shown_);
        PropertyPage::Store();
        station_.connectScript = scripts_[0];
        station_.disconnectScript = scripts_[1];
        station_.realtimeScript = scripts_[2];
        station_.clockScript = scripts_[3];
    }

private:
    // Keeps what was typed for the script shown so far and shows another one.
    void Show(int operation) {
        if (shown_ >= 0) {
            scripts_[static_cast<std::size_t>(shown_)] = FromEditor(edit_->toPlainText());
        }
        if (operation < 0 || operation >= static_cast<int>(scripts_.size())) {
            return;
        }
        if (operation != shown_) {
            shown_ = operation;
            edit_->setPlainText(ToEditor(scripts_[static_cast<std::size_t>(operation)]));
        }
    }

    WSGenericSerial& station_;
    QPlainTextEdit* edit_;
    std::array<std::string, 4> scripts_;
    int shown_ = -1;
};

class ChannelListPage : public PropertyPage {
public:
    ChannelListPage(WSGenericSerial& station, ChannelEditListener* listener)
        : PropertyPage(QStringLiteral("Channel details")),
          station_(station),
          listener_(listener),
          list_(new QListWidget),
          text_(new QLineEdit) {
        BeginGroup(QStringLiteral("Channels"));
        list_->setObjectName(QStringLiteral("channelList"));
        list_->setMinimumSize(300, 200);
        AddWidget(list_);
        text_->setObjectName(QStringLiteral("editText"));
        AddWidget(text_, QStringLiteral("Edit text"));
        BeginRow();
        AddButton(QStringLiteral("Add"), QStringLiteral("add"), [this] { Add(); });
        QPushButton* remove = AddButton(QStringLiteral("Delete"), QStringLiteral("delete"), [this] { Delete(); });
        QPushButton* edit = AddButton(QStringLiteral("Edit"), QStringLiteral("edit"), [this] { Edit(); });
        EndRow();
        EnableWidgetsWhen({remove, edit}, [this] { return list_->currentRow() >= 0; });
        QObject::connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
            if (row >= 0 && static_cast<std::size_t>(row) < rows_.size()) {
                text_->setText(ToQt(rows_[static_cast<std::size_t>(row)].name));
            }
            ApplyRules();
        });
    }

    void Load() override {
        rows_.clear();
        for (int i = 0; i < station_.rawChannelCount && static_cast<std::size_t>(i) < station_.channelNames.size();
             ++i) {
            rows_.push_back({station_.channelNames[static_cast<std::size_t>(i)], i});
        }
        Fill(-1);
        PropertyPage::Load();
    }

    void Store() override {
        PropertyPage::Store();
        // Deleted channels go first, from the last, so the remaining indexes stay valid.
        std::vector<bool> kept(static_cast<std::size_t>(std::max(station_.rawChannelCount, 0)), false);
        for (const Row& row : rows_) {
            if (row.original >= 0 && static_cast<std::size_t>(row.original) < kept.size()) {
                kept[static_cast<std::size_t>(row.original)] = true;
            }
        }
        for (int i = static_cast<int>(kept.size()) - 1; i >= 0; --i) {
            if (!kept[static_cast<std::size_t>(i)]) {
                DeleteRawChannel(station_, i, listener_);
            }
        }
        std::size_t at = 0;
        for (const Row& row : rows_) {
            if (row.original < 0) {
                InsertRawChannel(station_, row.name, listener_);
            } else {
                station_.channelNames[at] = row.name;
            }
            ++at;
        }
    }

private:
    struct Row {
        std::string name;
        int original;  // index among the raw channels when the dialog opened, -1 for a new one
    };

    void Fill(int select) {
        list_->clear();
        for (const Row& row : rows_) {
            list_->addItem(ToQt(row.name));
        }
        list_->setCurrentRow(select);
        ApplyRules();
    }
    void Add() {
        const QString typed = text_->text().trimmed();
        rows_.push_back({typed.isEmpty() ? "Channel " + std::to_string(rows_.size() + 1) : FromQt(typed), -1});
        Fill(static_cast<int>(rows_.size()) - 1);
    }
    void Delete() {
        const int row = list_->currentRow();
        if (row >= 0 && static_cast<std::size_t>(row) < rows_.size()) {
            rows_.erase(rows_.begin() + row);
            Fill(std::min(row, static_cast<int>(rows_.size()) - 1));
        }
    }
    void Edit() {
        const int row = list_->currentRow();
        if (row >= 0 && static_cast<std::size_t>(row) < rows_.size()) {
            rows_[static_cast<std::size_t>(row)].name = FromQt(text_->text());
            Fill(row);
        }
    }

    WSGenericSerial& station_;
    ChannelEditListener* listener_;
    QListWidget* list_;
    QLineEdit* text_;
    std::vector<Row> rows_;
};

}  // namespace

std::unique_ptr<PropertySheet> MakeGenericChannelSheet(QWidget* parent, WSGenericSerial& station,
                                                       const StationPagesContext& context) {
    auto sheet =
        std::make_unique<PropertySheet>(parent, QStringLiteral("Channel details - Generic serial"), context.ui);
    sheet->SetStoreLock(&station.lock);
    sheet->AddPage(std::make_unique<ChannelListPage>(station, context.listener));
    sheet->HideTabs();
    return sheet;
}

std::unique_ptr<PropertySheet> MakeGenericScriptSheet(QWidget* parent, WSGenericSerial& station,
                                                      const StationPagesContext& context) {
    auto sheet = std::make_unique<PropertySheet>(parent, QStringLiteral("Scripts - Generic Serial"), context.ui);
    sheet->SetStoreLock(&station.lock);
    PropertySheet* owner = sheet.get();
    const StationPagesContext* shared = &context;
    sheet->AddPage(std::make_unique<ScriptPage>(station, [owner, &station, shared] {
        MakeGenericChannelSheet(owner, station, *shared)->Run();
    }));
    sheet->HideTabs();
    return sheet;
}

}  // namespace svu
