#include "gadgets/OverlayGadget.h"

#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cmath>

#include "framework/Archive.h"
#include "framework/FieldVisitor.h"
#include "gadgets/BitmapGadget.h"
#include "gadgets/MultiStateGadget.h"
#include "gadgets/RoseGeometry.h"

namespace svu {

namespace {

constexpr int kRingGap = 6;      // the outer circle lies this far outside the radius
constexpr int kTickLength = 6;   // ticks run from 1 to 7 pixels outside the radius
constexpr int kArcPen = 6;       // the sector arc fills the gap between the circles
constexpr int kInwardsBase = 4;  // an inward pointer's base lies this far inside the circle
constexpr int kMaxGeometry = 32000;

}  // namespace

OverlayGadget::OverlayGadget(const OverlayGadget& other)
    : Gadget(other),
      direction(other.direction),
      pointerWidth(other.pointerWidth),
      pointerLength(other.pointerLength),
      radius(other.radius),
      originX(other.originX),
      originY(other.originY),
      pointerColour(other.pointerColour),
      roseColour(other.roseColour),
      pointInwards(other.pointInwards) {
    bitmapFile = other.bitmapFile;
    LoadGadgetBitmap(*this);
    CopySourcesFrom(other);
}

std::unique_ptr<Gadget> OverlayGadget::Clone() const {
    return std::unique_ptr<Gadget>(new OverlayGadget(*this));
}

void OverlayGadget::Serialize(Archive& ar) {
    Gadget::Serialize(ar);
    ar.Field(bitmapFile);
    ar.Field(pointerLength);
    ar.Field(pointerWidth);
    ar.Field(radius);
    ar.Field(originX);
    ar.Field(originY);
    ar.Field(pointerColour);
    ar.Field(roseColour);
    SerializeSource(ar, 0);
    if (ar.IsStoring() || schema >= 3) {
        ar.Field(pointInwards);
    } else {
        pointInwards = 0;
    }
    if (ar.IsLoading()) {
        LoadGadgetBitmap(*this);
    }
}

bool OverlayGadget::UpdateFromChannels() {
    return ReadSourceNumber(source1, direction);
}

void OverlayGadget::Paint(QPainter& painter, const QRect& client) {
    // A transparent item paints no background: the page shows through it.
    if (transparent == 0) {
        if (!bitmap.IsEmpty()) {
            bitmap.Paint(painter, client,
                         QRect(0, 0, static_cast<int>(bitmap.Width()), static_cast<int>(bitmap.Height())));
        } else {
            painter.fillRect(client, ColourFromRef(backgroundColour));
        }
    }
    DrawCaptions(painter, client);

    painter.save();
    painter.setClipRect(client);
    // Settings from a damaged file must not overflow the geometry.
    const QPoint o = client.topLeft() + QPoint(std::clamp(originX, -kMaxGeometry, kMaxGeometry),
                                               std::clamp(originY, -kMaxGeometry, kMaxGeometry));
    const int r = std::clamp(radius, 0, kMaxGeometry);
    const QColor rose = ColourFromRef(roseColour);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(rose, 1));
    painter.drawEllipse(o, r, r);
    painter.drawEllipse(o, r + kRingGap, r + kRingGap);
    for (int k = 0; k < kRoseSectors; ++k) {
        const double turn = (k + 0.5) * kSectorDegrees;
        painter.drawLine(RotateAbout(QPoint(o.x(), o.y() - r - 1), o, turn),
                         RotateAbout(QPoint(o.x(), o.y() - r - 1 - kTickLength), o, turn));
    }
    // A direction too large for a float (or not a number) has no sector to mark.
    if (std::isfinite(direction)) {
        double shifted = direction - 11.25;
        if (shifted < 0) {
            shifted += 360;
        }
        const double s = std::fmod(std::trunc(shifted * 0.044444446), 16.0);
        const int arcRadius = r + kRingGap / 2;
        painter.setPen(QPen(rose, kArcPen, Qt::SolidLine, Qt::FlatCap));
        const QRect arc(o.x() - arcRadius, o.y() - arcRadius, 2 * arcRadius, 2 * arcRadius);
        painter.drawArc(arc, QtAngle16((s + 1.5) * kSectorDegrees), static_cast<int>(kSectorDegrees * 16));

        const int length = static_cast<int>(std::clamp(pointerLength, 0, 100000) * 0.01 * r);
        const int half = std::clamp(pointerWidth, 0, kMaxGeometry) / 2;
        QPolygon pointer;
        if (pointInwards != 0) {
            pointer << QPoint(o.x(), o.y() - r + length) << QPoint(o.x() + half, o.y() - r + kInwardsBase)
                    << QPoint(o.x() - half, o.y() - r + kInwardsBase);
        } else {
            pointer << QPoint(o.x(), o.y() - r) << QPoint(o.x() + half, o.y() - r + length)
                    << QPoint(o.x() - half, o.y() - r + length);
        }
        for (QPoint& corner : pointer) {
            corner = RotateAbout(corner, o, direction);
        }
        const QColor colour = ColourFromRef(pointerColour);
        painter.setPen(QPen(colour, 1));
        painter.setBrush(colour);
        painter.drawPolygon(pointer);
    }
    painter.restore();
}

void OverlayGadget::VisitKindFields(FieldVisitor& v) {
    v.String("bitmapFile", bitmapFile);
    v.Int32("pointerLength", pointerLength);
    v.Int32("pointerWidth", pointerWidth);
    v.Int32("radius", radius);
    v.Int32("originX", originX);
    v.Int32("originY", originY);
    v.Colour("pointerColour", pointerColour);
    v.Colour("roseColour", roseColour);
    v.Bool32("pointInwards", pointInwards);
}

}  // namespace svu
