#include "app/LogFileDialogs.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "Version.h"
#include "app/GuiUserInterface.h"
#include "app/StationOperationWindow.h"
#include "framework/StringTable.h"
#include "framework/UserInterface.h"
#include "historic/LogCombiner.h"
#include "historic/LogConverter.h"
#include "stations/OperationHostScope.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

constexpr int kLogFilter = 150;
constexpr int kDownloadTitle = 205;
constexpr int kOldLogFilter = 233;
constexpr int kNewLogFilter = 235;
constexpr int kCannotDownload = 270;
constexpr int kCannotCreate = 583;
constexpr int kDataLoggerKind = 8;

QString AskSavePath(QWidget* parent, const QString& title, int filterId) {
    QFileDialog dialog(parent, title, QString(), FileDialogFilter(filterId));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("log"));
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

CalendarDay DayOf(const QDate& d) {
    return CalendarDay{d.year(), d.month(), d.day()};
}

}  // namespace

bool CanDownload(int typeCode) {
    switch (typeCode) {
        case 0:
        case 1:
        case 7:
        case 8:
        case 9:
        case 10:
            return true;
        default:
            return false;
    }
}

CombineLogFilesDialog::CombineLogFilesDialog(QWidget* parent, const StationList& stations)
    : QDialog(parent), stations_(stations) {
    setWindowTitle(tr("Combine Log Files"));
    station_ = new QComboBox(this);
    for (const auto& s : stations_) {
        station_->addItem(QString::fromStdString(s->name));
    }
    station_->setCurrentIndex(-1);
    const QDate today = QDate::currentDate();
    start_ = new QDateEdit(today, this);
    start_->setCalendarPopup(true);
    end_ = new QDateEdit(today, this);
    end_->setCalendarPopup(true);
    output_ = new QLineEdit(this);
    output_->setReadOnly(true);
    auto* browse = new QToolButton(this);
    browse->setText(QStringLiteral("..."));
    auto* outputRow = new QHBoxLayout;
    outputRow->addWidget(output_, 1);
    outputRow->addWidget(browse);

    auto* form = new QFormLayout;
    form->addRow(tr("Station:"), station_);
    form->addRow(tr("Start date:"), start_);
    form->addRow(tr("End date:"), end_);
    form->addRow(tr("Output file:"), outputRow);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(browse, &QToolButton::clicked, this, &CombineLogFilesDialog::Browse);
    connect(station_, &QComboBox::currentIndexChanged, this, &CombineLogFilesDialog::UpdateOk);
    connect(output_, &QLineEdit::textChanged, this, &CombineLogFilesDialog::UpdateOk);
    UpdateOk();
}

void CombineLogFilesDialog::Browse() {
    const QString path = AskSavePath(this, tr("Output File"), kNewLogFilter);
    if (!path.isEmpty()) {
        output_->setText(path);
    }
}

void CombineLogFilesDialog::UpdateOk() {
    ok_->setEnabled(station_->currentIndex() >= 0 && !output_->text().isEmpty());
}

void CombineLogFilesDialog::Combine(UserInterface& ui) const {
    const WeatherStation& s = *stations_.at(static_cast<size_t>(station_->currentIndex()));
    ui.BeginWaitCursor();
    const CombineResult result =
        CombineLogFiles(s.logFolder, s.name, DayOf(start_->date()), DayOf(end_->date()), output_->text().toStdString());
    ui.EndWaitCursor();
    if (result.messageId != 0) {
        // The notes about missing days carry OK and Cancel; a failed write only OK.
        const bool failed = result.messageId == kCannotCreate;
        ui.MessageBox(Str(result.messageId), kProductName, failed ? MsgButtons::Ok : MsgButtons::OkCancel,
                      failed ? MsgIcon::Stop : MsgIcon::Warning);
    }
}

void CombineLogFilesDialog::Run(QWidget* parent, const StationList& stations, UserInterface& ui) {
    CombineLogFilesDialog dialog(parent, stations);
    if (dialog.exec() == QDialog::Accepted) {
        dialog.Combine(ui);
    }
}

void RunDownloadCommand(QWidget* parent, const StationList& stations, UserInterface& ui) {
    QStringList names;
    for (const auto& s : stations) {
        names.push_back(QString::fromStdString(s->name));
    }
    if (names.isEmpty()) {
        return;
    }
    bool ok = false;
    const QString chosen = QInputDialog::getItem(parent, QObject::tr("Download Logged Data"),
                                                 QObject::tr("Weather station:"), names, 0, false, &ok);
    if (!ok) {
        return;
    }
    WeatherStation& station = *stations.at(static_cast<size_t>(names.indexOf(chosen)));
    if (!CanDownload(station.typeCode)) {
        ui.MessageBox(Str(kCannotDownload), kProductName, MsgButtons::Ok, MsgIcon::Stop);
        return;
    }
    const QString path = AskSavePath(parent, QString::fromStdString(Str(kDownloadTitle)), kLogFilter);
    if (path.isEmpty()) {
        return;
    }
    if (station.typeCode == kDataLoggerKind) {
        // A logger's memory takes minutes: its transfer window shows the time left and can cancel.
        const std::string target = path.toStdString();
        RunStationOperation(parent, station, ui, "Downloading logged data", [&] { station.Download(target); });
        return;
    }
    OperationHostScope lend(station, ui);
    station.Download(path.toStdString());
}

void RunConvertOldLogCommand(QWidget* parent, UserInterface& ui) {
    const QString oldPath =
        QFileDialog::getOpenFileName(parent, QObject::tr("Old Log File"), QString(), FileDialogFilter(kOldLogFilter));
    if (oldPath.isEmpty()) {
        return;
    }
    const QString newPath = AskSavePath(parent, QObject::tr("New Log File"), kNewLogFilter);
    if (newPath.isEmpty()) {
        return;
    }
    ui.BeginWaitCursor();
    const ConvertResult result = ConvertOldLogFile(oldPath.toStdString(), newPath.toStdString());
    ui.EndWaitCursor();
    if (result.messageId != 0) {
        ui.MessageBox(Str(result.messageId), kProductName, MsgButtons::Ok, MsgIcon::Stop);
    }
}

}  // namespace svu
