#include "app/AlertsWindow.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "stations/WeatherStation.h"

namespace svu {

namespace {

// X11 and Wayland have no caption flashing: a marked caption stands in for the inverted one.
QString FlashedTitle(const QString& title) {
    return QStringLiteral("\u25CF ") + title + QStringLiteral(" \u25CF");
}

long long Overlap(const QRect& a, const QRect& b) {
    const QRect common = a.intersected(b);
    return common.isEmpty() ? 0 : static_cast<long long>(common.width()) * common.height();
}

}  // namespace

AlertsWindow::AlertsWindow(QWidget* mainWindow, std::function<void()> onReset)
    : QDialog(mainWindow), mainWindow_(mainWindow), onReset_(std::move(onReset)), beep_([] { QApplication::beep(); }) {
    ownTitle_ = tr("Alerts & Alarms");
    setWindowTitle(ownTitle_);
    setModal(false);
    text_ = new QPlainTextEdit(this);
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    resetButton_ = new QPushButton(tr("Reset"), this);
    closeButton_ = new QPushButton(tr("Close"), this);
    closeButton_->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(resetButton_);
    buttons->addWidget(closeButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addLayout(buttons);
    resize(480, 190);  // room for eight messages; it scrolls for more

    connect(resetButton_, &QPushButton::clicked, this, &AlertsWindow::Reset);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::hide);
    timer_.setInterval(kSignalPeriodMs);
    connect(&timer_, &QTimer::timeout, this, &AlertsWindow::SignalTick);
}

QRect AlertsWindow::ChoosePlace(const QSize& size, const QRect& screen, const QRect& frame, const PageArea& area) {
    const int w = size.width();
    const int h = size.height();
    std::vector<QRect> candidates = {
        QRect(frame.right() + 1 + kGap, frame.top(), w, h),   // right of the main window
        QRect(frame.left() - kGap - w, frame.top(), w, h),    // left
        QRect(frame.left(), frame.bottom() + 1 + kGap, w, h), // below
        QRect(frame.left(), frame.top() - kGap - h, w, h),    // above
    };
    // No room beside it (a maximised main window): inside the page, where it overlaps the items
    // least. Such a place has its edges on the page's or an item's edges, so only those are tried,
    // bottom right first.
    const QRect inner = area.page.adjusted(kGap, kGap, -kGap, -kGap);
    std::vector<int> xs = {inner.right() + 1 - w, inner.left()};
    std::vector<int> ys = {inner.bottom() + 1 - h, inner.top()};
    for (const QRect& item : area.items) {
        xs.push_back(item.right() + 1 + kGap);
        xs.push_back(item.left() - kGap - w);
        ys.push_back(item.bottom() + 1 + kGap);
        ys.push_back(item.top() - kGap - h);
    }
    const auto keepInside = [](std::vector<int>& values, int low, int high) {
        std::erase_if(values, [&](int v) { return v < low || v > high; });
        std::sort(values.begin(), values.end(), std::greater<>());
        values.erase(std::unique(values.begin(), values.end()), values.end());
    };
    keepInside(xs, inner.left(), std::max(inner.left(), inner.right() + 1 - w));
    keepInside(ys, inner.top(), std::max(inner.top(), inner.bottom() + 1 - h));
    for (const int y : ys) {
        for (const int x : xs) {
            candidates.emplace_back(x, y, w, h);
        }
    }
    if (xs.empty() || ys.empty()) {
        candidates.emplace_back(inner.topLeft(), size);
    }
    QRect best;
    long long bestItems = 0;
    long long bestPage = 0;
    bool found = false;
    for (size_t i = 0; i < candidates.size(); ++i) {
        QRect place = candidates[i];
        if (!screen.contains(place)) {
            if (i < 4 || place.width() > screen.width() || place.height() > screen.height()) {
                continue;
            }
            place.moveLeft(std::clamp(place.left(), screen.left(), screen.right() + 1 - place.width()));
            place.moveTop(std::clamp(place.top(), screen.top(), screen.bottom() + 1 - place.height()));
        }
        long long items = 0;
        for (const QRect& item : area.items) {
            items += Overlap(place, item);
        }
        const long long page = Overlap(place, area.page);
        if (!found || items < bestItems || (items == bestItems && page < bestPage)) {
            best = place;
            bestItems = items;
            bestPage = page;
            found = true;
        }
    }
    if (!found) {  // a screen smaller than the window: its top left corner
        best = QRect(screen.topLeft(), size);
    }
    return best;
}

void AlertsWindow::ShowPlaced() {
    if (!isVisible()) {
        const QScreen* screen = mainWindow_ != nullptr ? mainWindow_->screen() : QGuiApplication::primaryScreen();
        const QRect available = screen != nullptr ? screen->availableGeometry() : QRect();
        if (lastPlace_ && available.intersects(*lastPlace_)) {
            setGeometry(*lastPlace_);
        } else if (mainWindow_ != nullptr && pageArea_ && !available.isEmpty()) {
            // Its own frame is known only once shown: the main window's stands in for it.
            const QSize decoration = mainWindow_->frameGeometry().size() - mainWindow_->geometry().size();
            const QRect place = ChoosePlace(size() + decoration, available, mainWindow_->frameGeometry(), pageArea_());
            move(place.topLeft());  // a top-level window's position is that of its frame
        }
    }
    show();
}

void AlertsWindow::ShowAlerts(const std::string& text) {
    if (!isVisible()) {
        // Opening by itself it must not take the focus from the page.
        keepActive_ = QApplication::activeWindow();
        setAttribute(Qt::WA_ShowWithoutActivating, true);
        ShowPlaced();
        setAttribute(Qt::WA_ShowWithoutActivating, false);
    }
    text_->setPlainText(QString::fromStdString(text).remove(QLatin1Char('\r')));
    text_->moveCursor(QTextCursor::End);
    text_->ensureCursorVisible();
    if (!timer_.isActive()) {
        flashCount_ = 0;
    }
    timer_.start();
    if (mainWindow_ != nullptr) {
        QApplication::alert(mainWindow_, kSignalPeriodMs * kFlashTicks);
    }
}

std::string AlertsWindow::Text() const {
    return text_->toPlainText().toStdString();
}

void AlertsWindow::SignalTick() {
    if (flashCount_ >= kFlashTicks) {
        timer_.stop();
        flashCount_ = 0;
        SetFlashed(false);
        return;
    }
    ++flashCount_;
    SetFlashed(!flashed_);
    if (MuteAllAlarms().load() == 0 && beep_) {
        beep_();
    }
}

void AlertsWindow::SetFlashed(bool flashed) {
    if (mainWindow_ != nullptr) {
        // The document title may have changed meanwhile: flash whatever the caption is now.
        if (flashed && !flashed_) {
            mainTitle_ = mainWindow_->windowTitle();
        }
        if (flashed != flashed_) {
            mainWindow_->setWindowTitle(flashed ? FlashedTitle(mainTitle_) : mainTitle_);
        }
    }
    flashed_ = flashed;
    setWindowTitle(flashed ? FlashedTitle(ownTitle_) : ownTitle_);
}

void AlertsWindow::hideEvent(QHideEvent* event) {
    if (!event->spontaneous()) {
        lastPlace_ = geometry();
    }
    keepActive_ = nullptr;
    QDialog::hideEvent(event);
}

bool AlertsWindow::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::WindowActivate:
        // A window system that activates every new window anyway: hand the focus back.
        if (keepActive_ != nullptr && keepActive_ != this) {
            QPointer<QWidget> back = keepActive_;
            keepActive_ = nullptr;
            QTimer::singleShot(0, this, [back] {
                if (back != nullptr) {
                    back->activateWindow();
                }
            });
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::KeyPress:
        keepActive_ = nullptr;  // the user is working here now
        break;
    default:
        break;
    }
    return QDialog::event(event);
}

void AlertsWindow::Reset() {
    text_->clear();
    if (onReset_) {
        onReset_();
    }
}

}  // namespace svu
