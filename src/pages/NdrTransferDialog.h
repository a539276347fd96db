#pragma once

// The transfer window of a logger set-up transfer: the command being sent, a progress bar and
// Cancel. The transfer runs on a worker thread; the window only shows what it reports.

#include <QDialog>
#include <QString>
#include <atomic>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace svu {

class NdrCommandLine;
class NdrLoggerLink;

class NdrTransferDialog : public QDialog {
public:
    NdrTransferDialog(QWidget* parent, const QString& title, int steps);

    /// Runs `work` on the link's command line in a worker thread while the window is shown; the
    /// window's progress follows the commands. False when the link failed, `work` failed or the
    /// user cancelled (then Cancelled() is true).
    bool Run(NdrLoggerLink& link, const std::function<bool(NdrCommandLine&)>& work);
    bool Cancelled() const { return cancelled_; }

    QLabel* CommandText() const { return command_; }
    QProgressBar* Progress() const { return progress_; }
    QPushButton* CancelButton() const { return cancel_; }

    /// Called on the GUI thread for each command (tests use it to press Cancel at a chosen point).
    std::function<void(int done)> onStep;

    void reject() override;

private:
    QLabel* command_;
    QProgressBar* progress_;
    QPushButton* cancel_;
    std::atomic<bool> cancelled_{false};
};

}  // namespace svu
