#include "gadgets/RoseGeometry.h"

#include <QColor>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <algorithm>
#include <cmath>

namespace svu {

namespace {

constexpr double kRadiansPerDegree = 0.01745329252;
constexpr double kHalfSector = kSectorDegrees / 2;

// Rings closer than this would paint the rose solid (and a damaged step could be zero).
constexpr int kMinimumStep = 2;

}  // namespace

double NormaliseBearing(double degrees) {
    if (!std::isfinite(degrees)) {
        return 0.0;
    }
    double d = std::fmod(degrees, 360.0);
    if (d < 0) {
        d += 360.0;
    }
    return d >= 360.0 ? 0.0 : d;  // -1e-20 + 360 rounds to 360
}

int WindSector(double degrees) {
    const double d = NormaliseBearing(degrees);
    if (d <= kHalfSector || d > 360.0 - kHalfSector) {
        return 0;
    }
    for (int k = 1; k < kRoseSectors; ++k) {
        if (d <= kHalfSector + kSectorDegrees * k) {
            return k;
        }
    }
    return 0;
}

QPoint RotateAbout(const QPoint& point, const QPoint& centre, double degrees) {
    const double radians = degrees * kRadiansPerDegree;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    const double dx = point.x() - centre.x();
    const double dy = point.y() - centre.y();
    return centre + QPoint(static_cast<int>(dx * c - dy * s), static_cast<int>(dy * c + dx * s));
}

int QtAngle16(double bearing) {
    return static_cast<int>(std::lround((90.0 - bearing) * 16.0));
}

double SpeedToMetresPerSecond(int32_t speedUnit) {
    switch (static_cast<SpeedUnit>(speedUnit)) {
        case SpeedUnit::Kph:
            return 0.2777778;
        case SpeedUnit::Mph:
            return 0.44702777;
        case SpeedUnit::Knots:
            return 0.5147903;
        case SpeedUnit::Mps:
        default:
            return 1.0;
    }
}

double MetresToDistanceUnit(int32_t distanceUnit) {
    switch (static_cast<DistanceUnit>(distanceUnit)) {
        case DistanceUnit::Km:
            return 0.001;
        case DistanceUnit::Miles:
            return 0.0006213882;
        case DistanceUnit::NauticalMiles:
            return 0.0005395941;
        case DistanceUnit::Metres:
        default:
            return 1.0;
    }
}

const char* DistanceUnitName(int32_t distanceUnit) {
    switch (static_cast<DistanceUnit>(distanceUnit)) {
        case DistanceUnit::Km:
            return "km";
        case DistanceUnit::Miles:
            return "Miles";
        case DistanceUnit::NauticalMiles:
            return "N. Miles";
        case DistanceUnit::Metres:
        default:
            return "Metres";
    }
}

void PaintRoseFrame(QPainter& painter, const QPoint& origin, int radius, int step, const QColor& colour) {
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(colour, 1));
    painter.drawEllipse(origin, radius, radius);
    if (step >= kMinimumStep) {
        for (int r = step; r < radius; r += step) {
            painter.drawEllipse(origin, r, r);
        }
    }
    for (int k = 0; k < kRoseSectors; ++k) {
        const double radians = (kHalfSector + kSectorDegrees * k) * kRadiansPerDegree;
        const QPoint end(origin.x() + static_cast<int>(std::lround(radius * std::sin(radians))),
                         origin.y() - static_cast<int>(std::lround(radius * std::cos(radians))));
        painter.drawLine(origin, end);
    }
    painter.restore();
}

void PaintRosePetals(QPainter& painter, const QPoint& origin, int radius, const RoseSums& sums, const QColor& colour) {
    const double largest = std::max(0.0, *std::max_element(sums.begin(), sums.end()));
    if (!(largest > 0.0)) {
        return;
    }
    painter.save();
    painter.setPen(QPen(colour, 1));
    painter.setBrush(colour);
    for (int k = 0; k < kRoseSectors; ++k) {
        const double sum = sums[static_cast<size_t>(k)];
        if (!(sum > 0.0)) {
            continue;
        }
        const double r = radius * (sum / largest);
        const QRectF box(origin.x() - r, origin.y() - r, 2 * r, 2 * r);
        painter.drawPie(box, QtAngle16(kSectorDegrees * k + kHalfSector), static_cast<int>(kSectorDegrees * 16));
    }
    painter.restore();
}

}  // namespace svu
