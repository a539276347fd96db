#include "app/RainfallDialogs.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QDate>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "framework/UserInterface.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

constexpr uint32_t kRainfallChannelType = 13;

QComboBox* UnitBox(QWidget* parent) {
    auto* box = new QComboBox(parent);
    for (RainUnit unit : {RainUnit::Millimetres, RainUnit::Centimetres, RainUnit::Inches}) {
        box->addItem(QString::fromUtf8(RainUnitText(unit)));
    }
    return box;
}

}  // namespace

RainfallDialog::RainfallDialog(QWidget* parent, const StationList& stations, Period period, CalendarDay today)
    : QDialog(parent), stations_(stations), period_(period) {
    setWindowTitle(period == Period::Week ? tr("Weekly Rainfall Total") : tr("Monthly Rainfall Total"));
    station_ = new QComboBox(this);
    for (const auto& s : stations_) {
        station_->addItem(QString::fromStdString(s->name));
    }
    channel_ = new QComboBox(this);
    loggedUnit_ = UnitBox(this);
    shownUnit_ = UnitBox(this);

    auto* form = new QFormLayout;
    form->addRow(tr("AWS:"), station_);
    form->addRow(tr("Data channel:"), channel_);
    form->addRow(tr("Weather station units:"), loggedUnit_);
    form->addRow(tr("Display units:"), shownUnit_);
    const QDate todayDate(today.year, today.month, today.day);
    if (period == Period::Week) {
        calendar_ = new QCalendarWidget(this);
        calendar_->setDateRange(QDate(1970, 1, 1), todayDate);
        calendar_->setSelectedDate(todayDate);
        form->addRow(tr("Week starting"), calendar_);
    } else {
        month_ = new QComboBox(this);
        const QLocale locale;
        for (int m = 1; m <= 12; ++m) {
            month_->addItem(locale.standaloneMonthName(m));
        }
        month_->setCurrentIndex(today.month - 1);
        year_ = new QSpinBox(this);
        year_->setRange(1970, std::max(1970, today.year));
        year_->setValue(today.year);
        form->addRow(tr("Month:"), month_);
        form->addRow(tr("Year:"), year_);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(station_, &QComboBox::currentIndexChanged, this, &RainfallDialog::StationChosen);
    connect(channel_, &QComboBox::currentIndexChanged, this, &RainfallDialog::UpdateOk);
    StationChosen(station_->currentIndex());
}

void RainfallDialog::StationChosen(int index) {
    QSignalBlocker block(channel_);
    channel_->clear();
    int rainfall = -1;
    if (index >= 0 && static_cast<size_t>(index) < stations_.size()) {
        const WeatherStation& s = *stations_[static_cast<size_t>(index)];
        for (size_t c = 0; c < s.channelNames.size(); ++c) {
            channel_->addItem(QString::fromStdString(s.channelNames[c]));
            if (rainfall < 0 && c < s.channelTypes.size() && s.channelTypes[c] == kRainfallChannelType) {
                rainfall = static_cast<int>(c);
            }
        }
    }
    channel_->setCurrentIndex(rainfall);
    UpdateOk();
}

void RainfallDialog::UpdateOk() {
    ok_->setEnabled(station_->currentIndex() >= 0 && channel_->currentIndex() >= 0);
}

RainfallReport RainfallDialog::Compute() const {
    const WeatherStation& s = *stations_.at(static_cast<size_t>(station_->currentIndex()));
    const auto logged = static_cast<RainUnit>(loggedUnit_->currentIndex());
    const auto shown = static_cast<RainUnit>(shownUnit_->currentIndex());
    if (period_ == Period::Week) {
        const QDate d = calendar_->selectedDate();
        return WeeklyRainfall(s.logFolder, s.name, channel_->currentIndex(), logged, shown,
                              CalendarDay{d.year(), d.month(), d.day()});
    }
    return MonthlyRainfall(s.logFolder, s.name, channel_->currentIndex(), logged, shown, year_->value(),
                           month_->currentIndex() + 1);
}

void RainfallDialog::Run(QWidget* parent, const StationList& stations, Period period, UserInterface& ui) {
    const QDate now = QDate::currentDate();
    RainfallDialog dialog(parent, stations, period, CalendarDay{now.year(), now.month(), now.day()});
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    ui.BeginWaitCursor();
    const RainfallReport report = dialog.Compute();
    ui.EndWaitCursor();
    ui.MessageBox(report.text, report.caption, MsgButtons::Ok, MsgIcon::Info);
}

}  // namespace svu
