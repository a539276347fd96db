#include "app/StartupOptionDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/GuiUserInterface.h"
#include "framework/Settings.h"
#include "framework/StringTable.h"

namespace svu {

namespace {

constexpr int kDisplayFileFilter = 158;
constexpr int kDefaultFileTitle = 159;

}  // namespace

StartupOptionDialog::StartupOptionDialog(QWidget* parent, Settings& settings) : QDialog(parent), settings_(settings) {
    setWindowTitle(tr("Start-up Options"));
    enable_ = new QCheckBox(tr("Open this display file and start real-time data collection on start-up"), this);
    enable_->setChecked(settings.GetSettingInt(kSectionSettings, kKeyEnableDefault, kEnableDefaultDefault) != 0);
    pathLabel_ = new QLabel(this);
    pathLabel_->setFrameShape(QFrame::StyledPanel);
    pathLabel_->setMinimumWidth(300);
    auto* browse = new QPushButton(tr("Browse..."), this);
    auto* row = new QHBoxLayout;
    row->addWidget(pathLabel_, 1);
    row->addWidget(browse);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(browse, &QPushButton::clicked, this, &StartupOptionDialog::Browse);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(enable_);
    layout->addLayout(row);
    layout->addWidget(buttons);
    SetPath(QString::fromStdString(
        settings.GetSettingString(kSectionSettings, kKeyDefaultFilename, kDefaultFilenameDefault)));
}

void StartupOptionDialog::SetPath(const QString& path) {
    path_ = path;
    pathLabel_->setToolTip(path);
    ShowPath();
}

void StartupOptionDialog::ShowPath() {
    // Long paths lose their middle, as the path-compacting of file dialogs does.
    pathLabel_->setText(pathLabel_->fontMetrics().elidedText(path_, Qt::ElideMiddle, pathLabel_->width() - 8));
}

void StartupOptionDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    ShowPath();
}

void StartupOptionDialog::Browse() {
    QFileDialog dialog(this, QString::fromStdString(Str(kDefaultFileTitle)), path_,
                       FileDialogFilter(kDisplayFileFilter));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("svu"));
    if (dialog.exec() == QDialog::Accepted) {
        SetPath(dialog.selectedFiles().value(0));
    }
}

void StartupOptionDialog::accept() {
    settings_.WriteSettingInt(kSectionSettings, kKeyEnableDefault, enable_->isChecked() ? 1 : 0);
    settings_.WriteSettingString(kSectionSettings, kKeyDefaultFilename, path_.toStdString());
    QDialog::accept();
}

}  // namespace svu
