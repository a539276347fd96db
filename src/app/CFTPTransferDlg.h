#pragma once

// "File Upload": the progress of one web page going up by FTP. The upload runs on the publisher's
// thread; this window only shows what it is told (on the window's thread) and passes a cancel on.
// It is modeless and never takes the focus, so neither the user nor acquisition waits for it.

#include <QDialog>
#include <functional>

#include "app/FtpProgressText.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace svu {

class CFTPTransferDlg : public QDialog {
    Q_OBJECT

public:
    /// `cancel` asks the upload to stop; the window stays until Finish is called.
    CFTPTransferDlg(QWidget* parent, std::function<void()> cancel);

    void Start(const std::string& remoteFile, const std::string& server, int64_t nowMs);
    void Connecting(const std::string& host);
    void Connected(const std::string& host);
    void Progress(int64_t sent, int64_t total, int64_t nowMs);
    /// The upload has ended: the window closes.
    void Finish();

    bool Cancelling() const { return cancelling_; }
    const FtpProgressTexts& Texts() const { return texts_; }
    QLabel* StatusLabel() const { return status_; }
    QLabel* RateLabel() const { return rate_; }
    QLabel* TimeLeftLabel() const { return timeLeft_; }
    QProgressBar* Bar() const { return bar_; }
    QPushButton* CancelButton() const { return cancelButton_; }

    /// The cancel button, and closing the window while the upload runs.
    void reject() override;

private:
    void Show();

    FtpProgressTexts texts_;
    std::function<void()> cancel_;
    QLabel* connection_;
    QLabel* status_;
    QProgressBar* bar_;
    QLabel* timeLeft_;
    QLabel* rate_;
    QPushButton* cancelButton_;
    bool cancelling_ = false;
    bool finished_ = false;
};

}  // namespace svu
