#include "gadgets/WindRoseGadget.h"

#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>

#include "framework/Archive.h"
#include "framework/FieldVisitor.h"
#include "framework/TextUtil.h"
#include "gadgets/RoseGeometry.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

constexpr int kDialMargin = 12;  // the dial's radius is this much less than the half size
constexpr int kRingGap = 6;      // the outer circle lies this far outside the radius
constexpr int kTickLength = 6;   // ticks run from 1 to 7 pixels outside the radius
constexpr int kArcPen = 6;       // the sector arc fills the gap between the circles
constexpr int kPointerHalfWidth = 6;
constexpr int kPointerLength = 12;

// Before any reading was taken (and after the sheet): no reading time matches it.
constexpr TimeT kNoReadingTime = std::numeric_limits<TimeT>::min();

}  // namespace

WindRoseGadget::WindRoseGadget() : Gadget(kTypeCode), lastReadingTime(kNoReadingTime) {}

WindRoseGadget::WindRoseGadget(const WindRoseGadget& other)
    : Gadget(other),
      direction(other.direction),
      lastReadingTime(other.lastReadingTime),
      pointerColour(other.pointerColour),
      roseColour(other.roseColour) {
    CopySourcesFrom(other);
}

std::unique_ptr<Gadget> WindRoseGadget::Clone() const {
    return std::unique_ptr<Gadget>(new WindRoseGadget(*this));
}

void WindRoseGadget::Serialize(Archive& ar) {
    Gadget::Serialize(ar);
    ar.Field(pointerColour);
    ar.Field(roseColour);
    SerializeSource(ar, 0);
}

void WindRoseGadget::ForgetReadingTime() {
    lastReadingTime = kNoReadingTime;
}

bool WindRoseGadget::UpdateFromChannels() {
    if (!source1.IsValid()) {
        return false;
    }
    float number = 0;
    {
        WeatherStation& station = *source1.station;
        std::lock_guard guard(station.lock);
        if (station.readingTime == lastReadingTime) {
            return false;
        }
        lastReadingTime = station.readingTime;
        const auto index = static_cast<size_t>(source1.channel - 1);
        if (index >= station.values.size()) {
            return false;
        }
        number = static_cast<float>(AtoF(station.values[index]));
    }
    if (number == direction) {
        return false;
    }
    direction = number;
    return true;
}

void WindRoseGadget::Paint(QPainter& painter, const QRect& client) {
    // A transparent item paints no background: the page shows through it.
    if (transparent == 0) {
        painter.fillRect(client, ColourFromRef(backgroundColour));
    }
    painter.save();
    painter.setClipRect(client);
    painter.setRenderHint(QPainter::Antialiasing, false);
    // The bearing to the nearest degree, in the main font but the captions' colour.
    const double shown = std::isfinite(direction) ? std::clamp(direction + 0.5, -1e9, 1e9) : 0.0;
    painter.setFont(mainFont.ToQFont());
    painter.setPen(ColourFromRef(auxColour));
    painter.drawText(client, Qt::AlignCenter | Qt::TextSingleLine,
                     QString::fromStdString(FormatC("%03i", static_cast<int>(shown))));
    painter.restore();
    DrawCaptions(painter, client);

    painter.save();
    painter.setClipRect(client);
    const int cx = client.width() / 2;
    const int cy = client.height() / 2;
    const QPoint c = client.topLeft() + QPoint(cx, cy);
    const int r = std::min(cx, cy) - kDialMargin;
    if (r < 1) {
        painter.restore();
        return;  // too small for a dial: the bearing alone
    }
    const QColor rose = ColourFromRef(roseColour);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(rose, 1));
    painter.drawEllipse(c, r, r);
    painter.drawEllipse(c, r + kRingGap, r + kRingGap);
    for (int k = 0; k < kRoseSectors; ++k) {
        const double turn = (k + 0.5) * kSectorDegrees;
        painter.drawLine(RotateAbout(QPoint(c.x(), c.y() - r - 1), c, turn),
                         RotateAbout(QPoint(c.x(), c.y() - r - 1 - kTickLength), c, turn));
    }
    // The arc marks the 22.5-degree sector centred on the compass point nearest the direction.
    const double bearing = NormaliseBearing(direction);
    double shifted = bearing - kSectorDegrees / 2;
    if (shifted < 0) {
        shifted += 360;
    }
    const double s = std::trunc(shifted / kSectorDegrees);
    const int arcRadius = r + kRingGap / 2;
    painter.setPen(QPen(rose, kArcPen, Qt::SolidLine, Qt::FlatCap));
    painter.drawArc(QRect(c.x() - arcRadius, c.y() - arcRadius, 2 * arcRadius, 2 * arcRadius),
                    QtAngle16((s + 1.5) * kSectorDegrees), static_cast<int>(kSectorDegrees * 16));

    QPolygon pointer;
    pointer << QPoint(c.x(), c.y() - r) << QPoint(c.x() + kPointerHalfWidth, c.y() - r + kPointerLength)
            << QPoint(c.x() - kPointerHalfWidth, c.y() - r + kPointerLength);
    for (QPoint& corner : pointer) {
        corner = RotateAbout(corner, c, bearing);
    }
    const QColor colour = ColourFromRef(pointerColour);
    painter.setPen(QPen(colour, 1));
    painter.setBrush(colour);
    painter.drawPolygon(pointer);
    painter.restore();
}

void WindRoseGadget::VisitKindFields(FieldVisitor& v) {
    v.Colour("pointerColour", pointerColour);
    v.Colour("roseColour", roseColour);
}

}  // namespace svu
