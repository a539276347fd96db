#pragma once

// "Alerts & Alarms": the modeless window that shows the stations' alarm and alert messages. When
// new text arrives it is shown and draws attention for a second: four ticks of 250 ms flash the
// captions of this window and the main window, each with a beep unless alarms are muted.
//
// It opens where it covers least of the page: at its last place when it has been shown before,
// else beside the main window when the screen has room there, else in the corner of the page
// that covers the fewest display items. Opening by itself it leaves the focus where it was.

#include <QDialog>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QPlainTextEdit;
class QPushButton;

namespace svu {

class AlertsWindow : public QDialog {
    Q_OBJECT

public:
    static constexpr int kSignalPeriodMs = 250;
    static constexpr int kFlashTicks = 4;

    /// Room left between this window and what it keeps clear of.
    static constexpr int kGap = 8;

    /// The page in screen coordinates and its visible display items.
    struct PageArea {
        QRect page;
        std::vector<QRect> items;
    };

    /// `mainWindow` flashes with this window; `onReset` is told of "Reset".
    AlertsWindow(QWidget* mainWindow, std::function<void()> onReset);

    /// Tells the window where the page is, for placing it (asked each time it opens).
    void SetPageArea(std::function<PageArea()> pageArea) { pageArea_ = std::move(pageArea); }

    /// Shows the window with `text`, the caret at its end, and starts the attention signal. The
    /// focus stays where it is.
    void ShowAlerts(const std::string& text);
    /// Shows the window (when hidden: at its last place or where it covers least).
    void ShowPlaced();

    /// The place for a window of `size` on `screen` that covers least of the page: beside
    /// `frame` (right, left, below, above) where the screen has room, else the corner of the page
    /// that overlaps its items least.
    static QRect ChoosePlace(const QSize& size, const QRect& screen, const QRect& frame, const PageArea& area);
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

protected:
    void hideEvent(QHideEvent* event) override;
    bool event(QEvent* event) override;

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
    std::function<PageArea()> pageArea_;
    std::optional<QRect> lastPlace_;      // where the user last had it (remembered on hiding)
    QPointer<QWidget> keepActive_;        // keeps the focus while this window opens by itself
};

}  // namespace svu
