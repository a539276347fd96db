#include "gadgets/Dib.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QThread>
#include <QWidget>

namespace svu {

namespace {

// The wait cursor while a file is read or written, when there is a GUI to show it.
class WaitCursor {
public:
    WaitCursor() {
        auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
        active_ = app != nullptr && QThread::currentThread() == app->thread();
        if (active_) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        }
    }
    ~WaitCursor() {
        if (active_) {
            QGuiApplication::restoreOverrideCursor();
        }
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool active_ = false;
};

}  // namespace

bool Dib::Load(const QString& path) {
    Free();
    WaitCursor wait;
    return file_.Load(path.toStdString());
}

void Dib::Free() {
    file_.Clear();
    image_ = QImage();
    decoded_ = false;
}

const QImage& Dib::Image() const {
    if (!decoded_) {
        decoded_ = true;
        image_ = QImage();
        if (!file_.IsEmpty() && uint64_t{file_.Width()} * file_.Height() <= kMaxPaintPixels) {
            QImage image(static_cast<int>(file_.Width()), static_cast<int>(file_.Height()), QImage::Format_RGB32);
            if (!image.isNull() &&
                file_.DecodeArgb32(reinterpret_cast<uint32_t*>(image.bits()),
                                   static_cast<std::size_t>(image.bytesPerLine()) / sizeof(uint32_t))) {
                image_ = std::move(image);
            }
        }
    }
    return image_;
}

void Dib::Paint(QPainter& painter, const QRect& dest, const QRect& source) const {
    const QImage& image = Image();
    if (image.isNull() || dest.isEmpty() || source.isEmpty()) {
        return;
    }
    if (dest.size() == source.size()) {
        painter.drawImage(dest.topLeft(), image, source);
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(dest, image, source);
    painter.restore();
}

bool Dib::Capture(QWidget* widget, int mode) {
    Free();
    if (widget == nullptr || (mode != 0 && mode != 1)) {
        return false;
    }
    const QRect area = mode == 0 ? widget->rect() : widget->contentsRect();
    if (area.isEmpty()) {
        return false;
    }
    return SetImage(widget->grab(area).toImage());
}

bool Dib::SetImage(const QImage& image) {
    Free();
    if (image.isNull()) {
        return false;
    }
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    file_ = BitmapFile::FromArgb32(static_cast<uint32_t>(rgb.width()), static_cast<uint32_t>(rgb.height()),
                                   reinterpret_cast<const uint32_t*>(rgb.constBits()),
                                   static_cast<std::size_t>(rgb.bytesPerLine()) / sizeof(uint32_t));
    return !file_.IsEmpty();
}

bool Dib::Save(const QString& path) const {
    WaitCursor wait;
    return file_.Save(path.toStdString());
}

}  // namespace svu
