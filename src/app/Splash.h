#pragma once

// The splash picture shown for two seconds after start-up; any key or mouse button anywhere in the
// program puts it away early.

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace svu {

class Splash : public QWidget {
    Q_OBJECT

public:
    static constexpr int kShowMs = 2000;

    /// Shows the splash centred on the screen (replacing one already shown). `onHidden` runs when
    /// it goes (the main window repaints).
    static Splash* ShowSplash(std::function<void()> onHidden = {});
    /// The splash on the screen, or null.
    static Splash* Current();

    /// Puts the splash away (it deletes itself).
    void HideSplash();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit Splash(std::function<void()> onHidden);
    ~Splash() override;

    QTimer timer_;
    std::function<void()> onHidden_;
    bool hiding_ = false;
    static QPointer<Splash> current_;
};

}  // namespace svu
