#include "app/HistoricRangeDialog.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "app/HistoricSupport.h"
#include "framework/Clock.h"
#include "framework/LocalTime.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

constexpr int kPathWidth = 320;

QDateTime ToQt(TimeT time) {
    const LocalTm tm = ToLocal(time);
    return QDateTime(QDate(tm.year, tm.month, tm.day), QTime(tm.hour, tm.minute, tm.second));
}

TimeT FromPickers(const QDateEdit* date, const QTimeEdit* time) {
    const QDate d = date->date();
    const QTime t = time->time();
    return FromLocal(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
}

}  // namespace

HistoricRangeDialog::HistoricRangeDialog(QWidget* parent, const StationList& stations, UserInterface& ui, TimeT now)
    : QDialog(parent), stations_(stations), ui_(ui) {
    setWindowTitle(tr("Historic Data Range"));
    fromTime_ = new QTimeEdit(this);
    fromTime_->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    fromDate_ = new QDateEdit(this);
    fromDate_->setCalendarPopup(true);
    toTime_ = new QTimeEdit(this);
    toTime_->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    toDate_ = new QDateEdit(this);
    toDate_->setCalendarPopup(true);
    SetPickers(StartOfLocalDay(now), now);

    auto* range = new QGridLayout;
    range->addWidget(new QLabel(tr("From:"), this), 0, 0);
    range->addWidget(fromTime_, 0, 1);
    range->addWidget(new QLabel(tr("on the"), this), 0, 2);
    range->addWidget(fromDate_, 0, 3);
    range->addWidget(new QLabel(tr("To:"), this), 1, 0);
    range->addWidget(toTime_, 1, 1);
    range->addWidget(new QLabel(tr("on the"), this), 1, 2);
    range->addWidget(toDate_, 1, 3);

    logged_ = new QRadioButton(tr("Logged data"), this);
    downloaded_ = new QRadioButton(tr("Downloaded data"), this);
    logged_->setChecked(true);
    stationLabel_ = new QLabel(tr("Monitoring System:"), this);
    station_ = new QComboBox(this);
    for (const auto& s : stations_) {
        station_->addItem(QString::fromStdString(s->name));
    }
    browse_ = new QPushButton(tr("Browse..."), this);
    hint_ = new QLabel(tr("To view downloaded data select the relevent data file."), this);
    path_ = new QLabel(this);
    path_->setMinimumWidth(kPathWidth);
    path_->setFrameShape(QFrame::StyledPanel);

    auto* source = new QGridLayout;
    source->addWidget(logged_, 0, 0);
    source->addWidget(stationLabel_, 0, 1);
    source->addWidget(station_, 0, 2);
    source->addWidget(downloaded_, 1, 0);
    source->addWidget(browse_, 1, 2);
    source->addWidget(hint_, 2, 0, 1, 3);
    source->addWidget(path_, 3, 0, 1, 3);
    auto* sourceBox = new QGroupBox(this);
    sourceBox->setLayout(source);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(range);
    layout->addWidget(sourceBox);
    layout->addWidget(buttons);

    for (QDateTimeEdit* picker : {static_cast<QDateTimeEdit*>(fromTime_), static_cast<QDateTimeEdit*>(fromDate_),
                                  static_cast<QDateTimeEdit*>(toTime_), static_cast<QDateTimeEdit*>(toDate_)}) {
        connect(picker, &QDateTimeEdit::dateTimeChanged, this, [this] {
            if (!settingPickers_) {
                rangeEdited_ = true;
            }
        });
    }
    connect(logged_, &QRadioButton::toggled, this, &HistoricRangeDialog::UpdateSource);
    connect(browse_, &QPushButton::clicked, this, &HistoricRangeDialog::Browse);
    UpdateSource();
}

HistoricRangeChoice HistoricRangeDialog::Choice() const {
    HistoricRangeChoice choice;
    choice.from = FromPickers(fromDate_, fromTime_);
    choice.to = FromPickers(toDate_, toTime_);
    choice.source.downloaded = downloaded_->isChecked();
    choice.source.filePath = file_.toStdString();
    const int index = station_->currentIndex();
    if (index >= 0 && static_cast<std::size_t>(index) < stations_.size()) {
        const WeatherStation& station = *stations_[static_cast<std::size_t>(index)];
        choice.source.stationName = station.name;
        choice.source.logFolder = station.logFolder;
    }
    return choice;
}

void HistoricRangeDialog::SetFile(const QString& path) {
    file_ = path;
    const QFontMetrics metrics(path_->font());
    path_->setText(metrics.elidedText(path, Qt::ElideMiddle, std::max(kPathWidth, path_->width()) - 8));
    path_->setToolTip(path);
    TimeT first = 0;
    TimeT last = 0;
    if (!rangeEdited_ && LogFileTimeSpan(path.toStdString(), first, last)) {
        SetPickers(first, last);
    }
}

bool HistoricRangeDialog::Ask(QWidget* parent, const StationList& stations, UserInterface& ui,
                              HistoricRangeChoice& choice) {
    HistoricRangeDialog dialog(parent, stations, ui, SystemClock().Now());
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    choice = dialog.Choice();
    return true;
}

void HistoricRangeDialog::accept() {
    if (downloaded_->isChecked() && file_.isEmpty()) {
        ShowHistoricMessage(ui_, kSelectDownloadFile);
        return;
    }
    QDialog::accept();
}

void HistoricRangeDialog::UpdateSource() {
    const bool logged = logged_->isChecked();
    stationLabel_->setEnabled(logged);
    station_->setEnabled(logged);
    browse_->setEnabled(!logged);
    hint_->setEnabled(!logged);
    path_->setEnabled(!logged);
}

void HistoricRangeDialog::Browse() {
    const QString chosen = ChooseLogFile(this, ui_, file_);
    if (!chosen.isEmpty()) {
        SetFile(chosen);
    }
}

void HistoricRangeDialog::SetPickers(TimeT from, TimeT to) {
    settingPickers_ = true;
    const QDateTime a = ToQt(from);
    const QDateTime b = ToQt(to);
    fromTime_->setTime(a.time());
    fromDate_->setDate(a.date());
    toTime_->setTime(b.time());
    toDate_->setDate(b.date());
    settingPickers_ = false;
}

}  // namespace svu
