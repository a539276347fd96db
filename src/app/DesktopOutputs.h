#pragma once

// What the desktop program sends out beside its own windows: alarm e-mail and the FTP upload of
// the web page, wired into the runtime for the life of the object (which ends after acquisition
// has stopped). Uploads run on the publisher's thread; what it reports crosses to the window's
// thread by queued signals and drives the "File Upload" dialog there.

#include <QObject>
#include <QPointer>
#include <atomic>
#include <memory>
#include <string>

#include "outputs/FtpPublisher.h"
#include "outputs/MailOutbox.h"

class QMessageBox;
class QWidget;

namespace svu {

class CFTPTransferDlg;
class Clock;
class Runtime;
class Settings;

class DesktopOutputs : public QObject, private FtpUploadListener {
    Q_OBJECT

public:
    /// Reads the "Mail" and "WebOutput" sections; dialogs are shown over `window`.
    DesktopOutputs(Settings& settings, Runtime& runtime, Clock& clock, QWidget* window);
    ~DesktopOutputs() override;
    DesktopOutputs(const DesktopOutputs&) = delete;
    DesktopOutputs& operator=(const DesktopOutputs&) = delete;

    /// Takes up changed FTP and mail settings.
    void ReloadSettings();

    FtpPublisher& Publisher() { return publisher_; }
    MailOutbox& Outbox() { return outbox_; }
    /// The progress dialog of the upload under way, or null.
    CFTPTransferDlg* ProgressDialog() const;
    /// The message box of the last failed upload while it is open, or null.
    QMessageBox* FailureBox() const;

signals:
    // Emitted on the publisher's thread, received on the window's.
    void uploadStarted(QString remoteFile, QString server, qint64 ms);
    void uploadProgress(int stage, QString detail, qint64 sent, qint64 total, qint64 ms);
    void uploadFinished(int outcome, QString server, QString message);

private:
    void OnUploadStarted(const std::string& localFile, const FtpTarget& target) override;
    void OnUploadProgress(const FtpProgress& progress) override;
    void OnUploadFinished(const FtpTarget& target, const FtpResult& result) override;

    void ShowStarted(const QString& remoteFile, const QString& server, qint64 ms);
    void ShowProgress(int stage, const QString& detail, qint64 sent, qint64 total, qint64 ms);
    void ShowFinished(int outcome, const QString& server, const QString& message);

    Settings& settings_;
    Runtime& runtime_;
    QWidget* window_;
    FtpTarget target_;
    QPointer<CFTPTransferDlg> dialog_;
    QPointer<QMessageBox> failureBox_;
    std::string lastFailure_;
    // Progress is passed on when the percentage moves or a little time has gone by, so a fast
    // upload of a large page does not flood the window's queue (publisher thread only).
    int lastPercentSent_ = -1;
    int64_t lastProgressMs_ = 0;
    MailOutbox outbox_;
    FtpPublisher publisher_;  // last: its thread ends before the rest goes
};

}  // namespace svu
