#include "app/CopyPageDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace svu {

CopyPageDialog::CopyPageDialog(const std::array<std::string, 8>& names, int sourcePage, std::function<void()> refuse,
                               QWidget* parent)
    : QDialog(parent), source_(sourcePage), refuse_(std::move(refuse)) {
    setWindowTitle("Copy page elements");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Destination page:", this));
    list_ = new QListWidget(this);
    for (const std::string& name : names) {
        list_->addItem(QString::fromStdString(name));
    }
    layout->addWidget(list_);
    SetDestination(sourcePage);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CopyPageDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

int CopyPageDialog::Destination() const {
    return list_->currentRow() + 1;
}

void CopyPageDialog::SetDestination(int page) {
    list_->setCurrentRow(page - 1);
}

void CopyPageDialog::accept() {
    if (Destination() == source_ || Destination() < 1) {
        if (refuse_) {
            refuse_();
        }
        return;
    }
    QDialog::accept();
}

}  // namespace svu
