#include "app/CFTPTransferDlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace svu {

namespace {
QString Q(const std::string& text) {
    return QString::fromStdString(text);
}
}  // namespace

CFTPTransferDlg::CFTPTransferDlg(QWidget* parent, std::function<void()> cancel)
    : QDialog(parent), cancel_(std::move(cancel)) {
    setObjectName(QStringLiteral("ftpTransferDialog"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    connection_ = new QLabel(this);
    connection_->setObjectName(QStringLiteral("connection"));
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("progress"));
    bar_->setRange(0, 100);
    bar_->setValue(0);
    layout->addWidget(connection_);
    layout->addWidget(status_);
    layout->addWidget(bar_);
    auto* form = new QFormLayout;
    timeLeft_ = new QLabel(this);
    timeLeft_->setObjectName(QStringLiteral("timeLeft"));
    rate_ = new QLabel(this);
    rate_->setObjectName(QStringLiteral("rate"));
    form->addRow(tr("Time left:"), timeLeft_);
    form->addRow(tr("Transfer rate:"), rate_);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    cancelButton_ = buttons->button(QDialogButtonBox::Cancel);
    cancelButton_->setObjectName(QStringLiteral("cancel"));
    connect(buttons, &QDialogButtonBox::rejected, this, &CFTPTransferDlg::reject);
    layout->addWidget(buttons);
    setMinimumWidth(380);
}

void CFTPTransferDlg::Show() {
    setWindowTitle(Q(texts_.Caption()));
    connection_->setText(Q(texts_.Connection()));
    if (!cancelling_) {
        status_->setText(Q(texts_.Status()));
    }
    if (texts_.Percent() >= 0) {
        bar_->setValue(texts_.Percent());
    }
    rate_->setText(Q(texts_.Rate()));
    timeLeft_->setText(Q(texts_.TimeLeft()));
}

void CFTPTransferDlg::Start(const std::string& remoteFile, const std::string& server, int64_t nowMs) {
    texts_.Start(remoteFile, server, nowMs);
    cancelling_ = false;
    finished_ = false;
    cancelButton_->setEnabled(true);
    bar_->setValue(0);
    Show();
}

void CFTPTransferDlg::Connecting(const std::string& host) {
    texts_.Connecting(host);
    Show();
}

void CFTPTransferDlg::Connected(const std::string& host) {
    texts_.Connected(host);
    Show();
}

void CFTPTransferDlg::Progress(int64_t sent, int64_t total, int64_t nowMs) {
    if (texts_.Progress(sent, total, nowMs)) {
        Show();
    }
}

void CFTPTransferDlg::Finish() {
    finished_ = true;
    QDialog::reject();
}

void CFTPTransferDlg::reject() {
    if (finished_) {
        QDialog::reject();
        return;
    }
    // The upload stops at its next block; the window goes when the publisher says it has ended.
    if (!cancelling_) {
        cancelling_ = true;
        cancelButton_->setEnabled(false);
        texts_.Aborting();
        status_->setText(Q(texts_.Status()));
        if (cancel_) {
            cancel_();
        }
    }
}

}  // namespace svu
