#include "app/CHyperLink.h"

#include <QApplication>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>

namespace svu {

CHyperLink::CHyperLink(QWidget* parent, const QString& target, const QString& caption)
    : QLabel(caption.isEmpty() ? target : caption, parent),
      target_(target),
      opener_([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    setToolTip(target);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(false);  // drawn on whatever is behind it
    setTextFormat(Qt::PlainText);
    UpdateColour();
}

QColor CHyperLink::TextColour() const {
    return palette().color(QPalette::WindowText);
}

void CHyperLink::UpdateColour() {
    QPalette p = palette();
    const QRgb rgb = hasFocus() ? kFocusColour : visited_ ? kVisitedColour : kUnvisitedColour;
    p.setColor(QPalette::WindowText, QColor(rgb));
    setPalette(p);
}

bool CHyperLink::Open() {
    const QUrl url = QUrl::fromUserInput(target_);
    if (!url.isValid() || !opener_ || !opener_(url)) {
        QApplication::beep();
        return false;
    }
    visited_ = true;
    UpdateColour();
    return true;
}

void CHyperLink::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    QLabel::mousePressEvent(event);
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        Open();
    }
    QLabel::mouseReleaseEvent(event);
}

void CHyperLink::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space) {
        Open();
        return;
    }
    QLabel::keyPressEvent(event);
}

void CHyperLink::focusInEvent(QFocusEvent* event) {
    QLabel::focusInEvent(event);
    UpdateColour();
}

void CHyperLink::focusOutEvent(QFocusEvent* event) {
    QLabel::focusOutEvent(event);
    UpdateColour();
}

}  // namespace svu
