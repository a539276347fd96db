#pragma once

// "Alerts & Alarms": the modeless window that shows the stations' alarm and alert messages. When
// new text arrives it is shown and draws attention for a second: four ticks of 250 ms flash the
// captions of this window and the main window, each with a beep unless alarms are muted.

#include <QDialog>
#include <QTimer>
#include <functional>
#include <string>

class QPlainTextEdit;
class QPushButton;

namespace svu {

class AlertsWindow : public QDialog {
    Q_OBJECT

public:
    static constexpr int kSignalPeriodMs = 250;
    static constexpr int kFlashTicks = 4;

    /// `mainWindow` flashes with this window; `onReset` is told of "Reset".
    AlertsWindow(QWidget* mainWindow, std::function<void()> onReset);

    /// Shows the window with `text`, the caret at its end, and starts the attention signal.
    void ShowAlerts(const std::string& text);
    /// The text shown.
    std::string Text() const;
    /// Replaces the beep (tests count beeps instead of hearing them).
    void SetBeep(std::function<void()> beep) { beep_ = std::move(beep); }
    /// True while the attention signal runs.
    bool Signalling() const { return timer_.isActive(); }

    /// One tick of the attention signal (the timer calls it).
    void SignalTick();

    QPushButton* ResetButton() const { return resetButton_; }
    QPushButton* CloseButton() const { return closeButton_; }

private:
    void Reset();
    void SetFlashed(bool flashed);

    QWidget* mainWindow_;
    std::function<void()> onReset_;
    std::function<void()> beep_;
    QPlainTextEdit* text_;
    QPushButton* resetButton_;
    QPushButton* closeButton_;
    QTimer timer_;
    int flashCount_ = 0;
    bool flashed_ = false;
    QString ownTitle_;
    QString mainTitle_;
};

}  // namespace svu
