#include "app/DesktopOutputs.h"

#include <QMessageBox>
#include <QWidget>
#include <chrono>

#include "app/CFTPTransferDlg.h"
#include "framework/Settings.h"
#include "runtime/Runtime.h"
#include "stations/StationReports.h"

namespace svu {

namespace {

constexpr int64_t kProgressEveryMs = 200;

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

DesktopOutputs::DesktopOutputs(Settings& settings, Runtime& runtime, Clock& clock, QWidget* window)
    : settings_(settings),
      runtime_(runtime),
      window_(window),
      target_(LoadFtpSettings(settings).Target()),
      outbox_(LoadMailSettings(settings), clock),
      publisher_(this) {
    connect(this, &DesktopOutputs::uploadStarted, this, &DesktopOutputs::ShowStarted, Qt::QueuedConnection);
    connect(this, &DesktopOutputs::uploadProgress, this, &DesktopOutputs::ShowProgress, Qt::QueuedConnection);
    connect(this, &DesktopOutputs::uploadFinished, this, &DesktopOutputs::ShowFinished, Qt::QueuedConnection);
    runtime_.SetMailSender(&outbox_);
    // The hook runs on the refresh cycle, this object's thread: it only hands the page over.
    runtime_.Web().SetUploadHook([this](const std::string& file) { publisher_.Submit(file, target_); });
}

DesktopOutputs::~DesktopOutputs() {
    runtime_.Web().SetUploadHook({});
    runtime_.SetMailSender(nullptr);
    // Nobody is left to watch an upload: the running one stops at its next block.
    publisher_.Cancel();
    publisher_.WaitIdle();
    delete dialog_.data();
    delete failureBox_.data();
}

CFTPTransferDlg* DesktopOutputs::ProgressDialog() const {
    return dialog_.data();
}

QMessageBox* DesktopOutputs::FailureBox() const {
    return failureBox_.data();
}

void DesktopOutputs::ReloadSettings() {
    target_ = LoadFtpSettings(settings_).Target();
    outbox_.SetSettings(LoadMailSettings(settings_));
}

// ---- On the publisher's thread ----

void DesktopOutputs::OnUploadStarted(const std::string&, const FtpTarget& target) {
    lastPercentSent_ = -1;
    lastProgressMs_ = 0;
    emit uploadStarted(Q(target.remoteFile), Q(target.server), NowMs());
}

void DesktopOutputs::OnUploadProgress(const FtpProgress& progress) {
    const int64_t now = NowMs();
    if (progress.stage == FtpProgress::Stage::Uploading) {
        const int percent =
            progress.bytesTotal > 0 ? static_cast<int>(progress.bytesSent * 100 / progress.bytesTotal) : 0;
        const bool first = lastPercentSent_ < 0;
        if (!first && percent == lastPercentSent_ && now - lastProgressMs_ < kProgressEveryMs) {
            return;
        }
        lastPercentSent_ = percent;
        lastProgressMs_ = now;
    }
    emit uploadProgress(static_cast<int>(progress.stage), Q(progress.detail), progress.bytesSent, progress.bytesTotal,
                        now);
}

void DesktopOutputs::OnUploadFinished(const FtpTarget& target, const FtpResult& result) {
    emit uploadFinished(static_cast<int>(result.outcome), Q(target.server), Q(result.message));
}

// ---- On the window's thread ----

void DesktopOutputs::ShowStarted(const QString& remoteFile, const QString& server, qint64 ms) {
    if (dialog_ == nullptr) {
        dialog_ = new CFTPTransferDlg(window_, [this] { publisher_.Cancel(); });
        dialog_->setAttribute(Qt::WA_DeleteOnClose);
    }
    dialog_->Start(remoteFile.toStdString(), server.toStdString(), ms);
    dialog_->show();
}

void DesktopOutputs::ShowProgress(int stage, const QString& detail, qint64 sent, qint64 total, qint64 ms) {
    if (dialog_ == nullptr) {
        return;
    }
    switch (static_cast<FtpProgress::Stage>(stage)) {
        case FtpProgress::Stage::Connecting:
            dialog_->Connecting(detail.toStdString());
            break;
        case FtpProgress::Stage::Connected:
            dialog_->Connected(detail.toStdString());
            break;
        case FtpProgress::Stage::Uploading:
            dialog_->Progress(sent, total, ms);
            break;
        case FtpProgress::Stage::Renaming:
            break;
    }
}

void DesktopOutputs::ShowFinished(int outcome, const QString& server, const QString& message) {
    if (dialog_ != nullptr) {
        dialog_->Finish();
    }
    switch (static_cast<FtpResult::Outcome>(outcome)) {
        case FtpResult::Outcome::Done:
            lastFailure_.clear();
            return;
        case FtpResult::Outcome::Aborted:
            return;  // the user asked for it
        case FtpResult::Outcome::Failed:
            break;
    }
    // Pages keep coming while the server is away: the same failure is said once until an upload
    // works again, and a box left open is reused rather than piled up.
    const std::string text = message.toStdString();
    if (text == lastFailure_) {
        return;
    }
    lastFailure_ = text;
    ReportError(nullptr, "FTP upload to " + server.toStdString() + " failed: " + text);
    if (failureBox_ == nullptr) {
        failureBox_ = new QMessageBox(QMessageBox::Warning, tr("File Upload"), {}, QMessageBox::Ok, window_);
        failureBox_->setObjectName(QStringLiteral("ftpFailure"));
        failureBox_->setAttribute(Qt::WA_DeleteOnClose);
        failureBox_->setModal(false);
    }
    failureBox_->setText(message);
    failureBox_->show();
}

}  // namespace svu
