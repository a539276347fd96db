#include "app/AddItemDialog.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QVBoxLayout>

#include "gadgets/GadgetKinds.h"

namespace svu {

AddItemDialog::AddItemDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Add Display Item");
    auto* layout = new QVBoxLayout(this);
    list_ = new QListWidget(this);
    for (const GadgetKind& kind : GadgetKinds()) {
        list_->addItem(kind.listName);
    }
    list_->setCurrentRow(0);
    layout->addWidget(list_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    layout->addWidget(buttons);
}

int AddItemDialog::Selected() const {
    return list_->currentRow();
}

void AddItemDialog::Select(int typeCode) {
    list_->setCurrentRow(typeCode);
}

}  // namespace svu
