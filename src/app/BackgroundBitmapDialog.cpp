#include "app/BackgroundBitmapDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace svu {

BackgroundBitmapDialog::BackgroundBitmapDialog(const std::string& file, int mode, QWidget* parent)
    : QDialog(parent), file_(file) {
    setWindowTitle("Background Bitmap");
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    fileLabel_ = new QLabel(this);
    fileLabel_->setMinimumWidth(260);
    auto* browse = new QPushButton("&Browse...", this);
    auto* clear = new QPushButton("C&lear", this);
    row->addWidget(fileLabel_, 1);
    row->addWidget(browse);
    row->addWidget(clear);
    layout->addLayout(row);
    auto* form = new QFormLayout;
    mode_ = new QComboBox(this);
    mode_->addItems({"Centre", "Tile", "Top left", "Stretch"});
    mode_->setCurrentIndex(mode >= 0 && mode <= 3 ? mode : 0);
    form->addRow("Display", mode_);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString name = QFileDialog::getOpenFileName(this, "Background Bitmap", QString::fromStdString(file_),
                                                          "Bitmap Files (*.bmp *.dib)");
        if (!name.isEmpty()) {
            SetFile(name.toStdString());
        }
    });
    connect(clear, &QPushButton::clicked, this, [this] { SetFile(std::string()); });
    ShowFile();
}

int BackgroundBitmapDialog::Mode() const {
    return mode_->currentIndex();
}

void BackgroundBitmapDialog::SetFile(const std::string& file) {
    file_ = file;
    ShowFile();
}

void BackgroundBitmapDialog::ShowFile() {
    // The path is shortened in the middle to fit.
    const QString full = QString::fromStdString(file_);
    fileLabel_->setText(fileLabel_->fontMetrics().elidedText(full, Qt::ElideMiddle, fileLabel_->minimumWidth()));
    fileLabel_->setToolTip(full);
}

}  // namespace svu
