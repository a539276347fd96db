#include "app/RenamePagesDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace svu {

RenamePagesDialog::RenamePagesDialog(const std::array<std::string, 8>& names, QWidget* parent) : QDialog(parent) {
    setWindowTitle("Rename pages");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    for (size_t i = 0; i < names.size(); ++i) {
        edits_[i] = new QLineEdit(QString::fromStdString(names[i]), this);
        form->addRow(QString("Page %1:").arg(i + 1), edits_[i]);
    }
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

std::array<std::string, 8> RenamePagesDialog::Names() const {
    std::array<std::string, 8> names;
    for (size_t i = 0; i < names.size(); ++i) {
        names[i] = edits_[i]->text().toStdString();
    }
    return names;
}

}  // namespace svu
