#pragma once

// A Windows bitmap held for painting: the file's own bytes (so it can be saved back unchanged)
// and, made on first use, the picture as a QImage.

#include <QImage>
#include <QRect>
#include <QString>
#include <string>

#include "framework/BitmapFile.h"

class QPainter;
class QWidget;

namespace svu {

/// A device-independent bitmap: loaded from a ".bmp"/".dib" file or captured from a window,
/// painted into a QPainter, saved as a Windows bitmap file.
class Dib {
public:
    /// Pictures larger than this many pixels load but are not drawn (they would need gigabytes).
    static constexpr uint64_t kMaxPaintPixels = uint64_t{1} << 27;

    /// Loads a bitmap file; on failure (missing, not "BM", shorter than it claims) the Dib is
    /// empty and false is returned.
    bool Load(const QString& path);
    bool Load(const std::string& path) { return Load(QString::fromStdString(path)); }

    /// Releases the bitmap.
    void Free();

    bool IsEmpty() const { return file_.IsEmpty(); }
    uint32_t Width() const { return file_.Width(); }
    uint32_t Height() const { return file_.Height(); }
    /// True when the bitmap carries a palette (a colour table, rows stored bottom-up).
    bool HasPalette() const { return file_.HasPalette(); }

    /// Paints the `source` rectangle of the bitmap (pixels, top row 0) into `dest`: pixel for
    /// pixel when both have the same size, otherwise stretched without smoothing.
    void Paint(QPainter& painter, const QRect& dest, const QRect& source) const;

    /// Captures a widget's picture as a 24-bit bitmap: mode 0 the whole widget with its frame,
    /// mode 1 its contents inside the frame (a window manager's decoration is never included).
    /// Any other mode, no widget or an empty rectangle fails and leaves the Dib empty.
    bool Capture(QWidget* widget, int mode);

    /// Takes a picture as a 24-bit bitmap; false (and empty) for a null image.
    bool SetImage(const QImage& image);

    /// Writes a Windows bitmap file; only bitmaps with a 40-byte header can be saved.
    bool Save(const QString& path) const;
    bool Save(const std::string& path) const { return Save(QString::fromStdString(path)); }

    /// The picture (RGB32), decoded once and kept; null when empty or too large to draw.
    const QImage& Image() const;

    /// The bitmap's bytes and header values.
    const BitmapFile& File() const { return file_; }

private:
    BitmapFile file_;
    mutable QImage image_;
    mutable bool decoded_ = false;
};

}  // namespace svu
