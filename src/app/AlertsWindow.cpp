#include "app/AlertsWindow.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "stations/WeatherStation.h"

namespace svu {

namespace {

// X11 and Wayland have no caption flashing: a marked caption stands in for the inverted one.
QString FlashedTitle(const QString& title) {
    return QStringLiteral("\u25CF ") + title + QStringLiteral(" \u25CF");
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
    resize(520, 300);

    connect(resetButton_, &QPushButton::clicked, this, &AlertsWindow::Reset);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::hide);
    timer_.setInterval(kSignalPeriodMs);
    connect(&timer_, &QTimer::timeout, this, &AlertsWindow::SignalTick);
}

void AlertsWindow::ShowAlerts(const std::string& text) {
    show();
    raise();
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

void AlertsWindow::Reset() {
    text_->clear();
    if (onReset_) {
        onReset_();
    }
}

}  // namespace svu
