#include "gadgets/GadgetWindow.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <algorithm>

#include "gadgets/Gadget.h"

namespace svu {

namespace {

constexpr int kCornerZone = 8;  // how far from a corner the frame sizes both edges
constexpr int kMinimumSize = 2 * kGadgetFrameWidth + 2;
constexpr int kKeyboardMenuOffset = 5;

}  // namespace

GadgetWindow::GadgetWindow(Gadget& gadget, GadgetHost& host, QWidget* parent)
    : QWidget(parent), gadget_(gadget), host_(host) {
    setMouseTracking(true);  // the frame shows its sizing cursors
    PlaceFromGadget();
}

void GadgetWindow::PlaceFromGadget() {
    setGeometry(gadget_.Rect().translated(-host_.ScrollPosition()));
    ApplyMask();
}

void GadgetWindow::StoreWindowRect() {
    gadget_.SetRect(geometry().translated(host_.ScrollPosition()));
}

void GadgetWindow::ApplyMask() {
    // Style "None" cuts the window to its client area: the frame is there but not visible.
    if (gadget_.borderStyle == static_cast<int32_t>(BorderStyle::None)) {
        setMask(QRegion(rect().adjusted(kGadgetFrameWidth, kGadgetFrameWidth, -kGadgetFrameWidth, -kGadgetFrameWidth)));
    } else if (!mask().isEmpty()) {
        clearMask();
    }
}

bool GadgetWindow::LayoutFixed() const {
    return host_.LayoutLocked() || host_.AcquisitionRunning();
}

void GadgetWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    gadget_.PaintBorder(painter, rect());
    const QRect client = rect().adjusted(kGadgetFrameWidth, kGadgetFrameWidth, -kGadgetFrameWidth, -kGadgetFrameWidth);
    if (client.isEmpty()) {
        return;
    }
    painter.setClipRect(client);
    painter.translate(client.topLeft());
    gadget_.Paint(painter, QRect(QPoint(0, 0), client.size()));
}

int GadgetWindow::EdgesAt(const QPoint& pos) const {
    if (gadget_.borderStyle == static_cast<int32_t>(BorderStyle::None)) {
        return 0;
    }
    const int w = width();
    const int h = height();
    const bool onLeft = pos.x() < kGadgetFrameWidth;
    const bool onRight = pos.x() >= w - kGadgetFrameWidth;
    const bool onTop = pos.y() < kGadgetFrameWidth;
    const bool onBottom = pos.y() >= h - kGadgetFrameWidth;
    if (!onLeft && !onRight && !onTop && !onBottom) {
        return 0;
    }
    int edges = 0;
    if (onLeft || ((onTop || onBottom) && pos.x() < kCornerZone)) {
        edges |= kLeft;
    }
    if (onRight || ((onTop || onBottom) && pos.x() >= w - kCornerZone)) {
        edges |= kRight;
    }
    if (onTop || ((onLeft || onRight) && pos.y() < kCornerZone)) {
        edges |= kTop;
    }
    if (onBottom || ((onLeft || onRight) && pos.y() >= h - kCornerZone)) {
        edges |= kBottom;
    }
    return edges;
}

void GadgetWindow::UpdateCursor(const QPoint& pos) {
    const int edges = LayoutFixed() ? 0 : EdgesAt(pos);
    if (edges == (kLeft | kTop) || edges == (kRight | kBottom)) {
        setCursor(Qt::SizeFDiagCursor);
    } else if (edges == (kRight | kTop) || edges == (kLeft | kBottom)) {
        setCursor(Qt::SizeBDiagCursor);
    } else if ((edges & (kLeft | kRight)) != 0) {
        setCursor(Qt::SizeHorCursor);
    } else if ((edges & (kTop | kBottom)) != 0) {
        setCursor(Qt::SizeVerCursor);
    } else {
        unsetCursor();
    }
}

void GadgetWindow::mousePressEvent(QMouseEvent* event) {
    event->accept();  // a click on an item never pans the page
    if (event->button() != Qt::LeftButton || LayoutFixed() || (event->modifiers() & Qt::ShiftModifier) != 0) {
        return;
    }
    startMouse_ = event->globalPosition().toPoint();
    lastMouse_ = startMouse_;
    edges_ = EdgesAt(event->position().toPoint());
    if (edges_ != 0) {
        mode_ = Mode::Resize;
        startGeometry_ = geometry();
        return;
    }
    mode_ = Mode::Move;
    originInParent_ = pos();
    setCursor(Qt::SizeAllCursor);
}

void GadgetWindow::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (mode_ == Mode::None) {
        UpdateCursor(event->position().toPoint());
        return;
    }
    if (gadget_.page != host_.CurrentPage() || LayoutFixed()) {
        EndDrag();  // the page was switched (or the layout locked) under the drag
        return;
    }
    const QPoint mouse = event->globalPosition().toPoint();
    if (mouse == lastMouse_) {
        return;
    }
    lastMouse_ = mouse;
    const QPoint delta = mouse - startMouse_;
    if (mode_ == Mode::Move) {
        QWidget* parent = parentWidget();
        const QRect parentArea =
            parent != nullptr ? QRect(parent->mapToGlobal(QPoint(0, 0)), parent->size()) : QRect(mouse, QSize(1, 1));
        if (!parentArea.contains(mouse)) {
            EndDrag();  // the item stays where it was last moved
            return;
        }
        move(originInParent_ + delta);
    } else {
        QRect g = startGeometry_;
        if ((edges_ & kLeft) != 0) {
            g.setLeft(std::min(g.left() + delta.x(), g.right() - kMinimumSize + 1));
        }
        if ((edges_ & kRight) != 0) {
            g.setRight(std::max(g.right() + delta.x(), g.left() + kMinimumSize - 1));
        }
        if ((edges_ & kTop) != 0) {
            g.setTop(std::min(g.top() + delta.y(), g.bottom() - kMinimumSize + 1));
        }
        if ((edges_ & kBottom) != 0) {
            g.setBottom(std::max(g.bottom() + delta.y(), g.top() + kMinimumSize - 1));
        }
        setGeometry(g);
    }
    StoreWindowRect();
    host_.GadgetMoved(gadget_);
}

void GadgetWindow::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton && mode_ != Mode::None) {
        EndDrag();
    }
}

void GadgetWindow::EndDrag() {
    mode_ = Mode::None;
    edges_ = 0;
    unsetCursor();
}

void GadgetWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ApplyMask();
}

void GadgetWindow::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    const QPoint at =
        event->reason() == QContextMenuEvent::Keyboard
            ? mapToGlobal(QPoint(kGadgetFrameWidth + kKeyboardMenuOffset, kGadgetFrameWidth + kKeyboardMenuOffset))
            : event->globalPos();
    // The popup is the one the page background shows; the page's own items are greyed here.
    QMenu menu(this);
    menu.addAction("&Add...")->setEnabled(false);
    QAction* copy = menu.addAction("&Copy");
    menu.addAction("Copy a&ll...")->setEnabled(false);
    QAction* remove = menu.addAction("&Delete...");
    QAction* properties = menu.addAction("&Properties...");
    QMenu* colours = menu.addMenu("Background &colour");
    colours->addAction("&Normal &colour...")->setEnabled(false);
    colours->addAction("A&lert colour...")->setEnabled(false);
    colours->addAction("&Alarm colour...")->setEnabled(false);
    menu.addAction("Background &bitmap...")->setEnabled(false);
    const bool editable = !LayoutFixed();
    copy->setEnabled(editable);
    remove->setEnabled(editable);
    properties->setEnabled(editable);
    QAction* chosen = menu.exec(at);
    if (chosen == nullptr || LayoutFixed()) {
        return;
    }
    // Each command may destroy this window; nothing of it is used afterwards.
    Gadget& gadget = gadget_;
    GadgetHost& host = host_;
    if (chosen == copy) {
        host.CopyGadget(gadget);
    } else if (chosen == remove) {
        host.DeleteGadget(gadget);
    } else if (chosen == properties) {
        host.EditGadgetProperties(gadget);
    }
}

}  // namespace svu
