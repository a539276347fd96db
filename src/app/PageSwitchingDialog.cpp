#include "app/PageSwitchingDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace svu {

PageSwitchingDialog::PageSwitchingDialog(bool enabled, const QString& pageNumbers, int seconds, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle("Automatic page switching");
    auto* layout = new QVBoxLayout(this);
    enable_ = new QCheckBox("Enable page switching", this);
    enable_->setChecked(enabled);
    layout->addWidget(enable_);
    auto* form = new QFormLayout;
    pages_ = new QLineEdit(pageNumbers, this);
    form->addRow("Page numbers:", pages_);
    seconds_ = new QSpinBox(this);
    seconds_->setRange(1, 3600);
    seconds_->setValue(seconds);
    form->addRow("Time interval (secs):", seconds_);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

bool PageSwitchingDialog::Enabled() const {
    return enable_->isChecked();
}

QString PageSwitchingDialog::PageNumbers() const {
    return pages_->text();
}

int PageSwitchingDialog::Seconds() const {
    return seconds_->value();
}

}  // namespace svu
