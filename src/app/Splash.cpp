#include "app/Splash.h"

#include <QApplication>
#include <QEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

#include "Version.h"

namespace svu {

QPointer<Splash> Splash::current_;

Splash::Splash(std::function<void()> onHidden)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      onHidden_(std::move(onHidden)) {
    setAttribute(Qt::WA_DeleteOnClose);
    resize(480, 280);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &Splash::HideSplash);
    qApp->installEventFilter(this);
}

Splash::~Splash() {
    qApp->removeEventFilter(this);
}

Splash* Splash::ShowSplash(std::function<void()> onHidden) {
    if (current_) {
        current_->HideSplash();
    }
    auto* splash = new Splash(std::move(onHidden));  // deletes itself when hidden
    current_ = splash;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        splash->move(area.center() - splash->rect().center());
    }
    splash->show();
    splash->raise();
    splash->timer_.start(kShowMs);
    return splash;
}

Splash* Splash::Current() {
    return current_.data();
}

void Splash::HideSplash() {
    if (hiding_) {
        return;
    }
    hiding_ = true;
    timer_.stop();
    qApp->removeEventFilter(this);
    if (current_ == this) {
        current_ = nullptr;
    }
    const std::function<void()> onHidden = std::move(onHidden_);
    close();  // deleted once control is back in the event loop
    if (onHidden) {
        onHidden();
    }
}

bool Splash::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
        case QEvent::NonClientAreaMouseButtonPress:
            HideSplash();
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

void Splash::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QLinearGradient sky(rect().topLeft(), rect().bottomLeft());
    sky.setColorAt(0.0, QColor(24, 64, 128));
    sky.setColorAt(1.0, QColor(140, 190, 230));
    p.fillRect(rect(), sky);
    p.setPen(Qt::white);
    QFont title = font();
    title.setPointSize(32);
    title.setBold(true);
    p.setFont(title);
    p.drawText(rect().adjusted(0, 0, 0, -60), Qt::AlignCenter, QString::fromUtf8(kProductName));
    QFont small = font();
    small.setPointSize(10);
    p.setFont(small);
    p.drawText(rect().adjusted(16, 0, -16, -16), Qt::AlignBottom | Qt::AlignLeft,
               QStringLiteral("%1\n%2").arg(QString::fromUtf8(kProductVersion), QString::fromUtf8(kCopyright)));
    p.setPen(QColor(255, 255, 255, 120));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace svu
