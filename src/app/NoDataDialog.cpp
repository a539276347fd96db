#include "app/NoDataDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include "framework/Settings.h"

namespace svu {

NoDataDialog::NoDataDialog(QWidget* parent, int periodSeconds) : QDialog(parent) {
    setWindowTitle(tr("No-data Warning"));
    hours_ = new QSpinBox(this);
    hours_->setRange(0, 23);
    hours_->setValue((periodSeconds / 3600) % 24);
    minutes_ = new QSpinBox(this);
    minutes_->setRange(0, 59);
    minutes_->setValue((periodSeconds / 60) % 60);

    auto* form = new QFormLayout;
    form->addRow(tr("Hours:"), hours_);
    form->addRow(tr("Minutes:"), minutes_);
    auto* note = new QLabel(tr("Warn when no data has been received for this long (0:00 never warns)."), this);
    note->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

int NoDataDialog::Hours() const {
    return hours_->value();
}

int NoDataDialog::Minutes() const {
    return minutes_->value();
}

int NoDataDialog::PeriodSeconds() const {
    return (Hours() * 60 + Minutes()) * 60;
}

int NoDataDialog::Edit(QWidget* parent, Settings& settings, int periodSeconds) {
    NoDataDialog dialog(parent, periodSeconds);
    if (dialog.exec() != QDialog::Accepted) {
        return -1;
    }
    settings.WriteSettingInt(kSectionNoDataWarning, kKeyNoDataMinutes, dialog.Minutes());
    settings.WriteSettingInt(kSectionNoDataWarning, kKeyNoDataHours, dialog.Hours());
    return dialog.PeriodSeconds();
}

}  // namespace svu
