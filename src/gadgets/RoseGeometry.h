#pragma once

// What the compass roses share: the sixteen direction sectors, the units of the real-time wind
// rose, and the drawing of a rose's rings, spokes and petals.

#include <QPoint>
#include <array>
#include <cstdint>

class QColor;
class QPainter;

namespace svu {

/// Number of compass sectors of every rose.
inline constexpr int kRoseSectors = 16;
/// Width of one sector in degrees.
inline constexpr double kSectorDegrees = 22.5;

/// A direction brought into [0, 360) (a value that is not finite gives 0).
double NormaliseBearing(double degrees);

/// The sector (0 to 15) of a direction: sector k is centred on bearing 22.5 k, each sector's
/// upper boundary inclusive (11.25 is north, 11.26 north-north-east).
int WindSector(double degrees);

/// Turns `point` about `centre` by `degrees` clockwise on the screen (y grows downward), each
/// coordinate of the turned offset truncated to a whole pixel: a point straight above the centre
/// turned by a bearing lands at that compass bearing.
QPoint RotateAbout(const QPoint& point, const QPoint& centre, double degrees);

/// Qt's angle of a compass bearing in sixteenths of a degree (anticlockwise from three o'clock).
int QtAngle16(double bearing);

/// The units of the real-time wind rose: "Read as:" for the speed channel and "Display as:" for
/// the wind run shown.
enum class SpeedUnit : int32_t { Mps = 0, Kph = 1, Mph = 2, Knots = 3 };
enum class DistanceUnit : int32_t { Metres = 0, Km = 1, Miles = 2, NauticalMiles = 3 };

/// Metres per second per unit of the speed channel (an unknown unit is taken as metres per second).
double SpeedToMetresPerSecond(int32_t speedUnit);
/// The unit of the wind run per metre.
double MetresToDistanceUnit(int32_t distanceUnit);
/// The unit's name in the caption ("Metres", "km", "Miles", "N. Miles").
const char* DistanceUnitName(int32_t distanceUnit);

/// The sector totals of a real-time rose.
using RoseSums = std::array<double, kRoseSectors>;

/// Draws the rings (the outer circle of `radius`, then one every `step` pixels inside it) and the
/// sixteen spokes along the sector boundaries, 1 pixel wide in `colour`.
void PaintRoseFrame(QPainter& painter, const QPoint& origin, int radius, int step, const QColor& colour);

/// Draws one wedge per sector whose length is `radius` times the sector's share of the largest
/// total, filled and outlined in `colour`; nothing when no total is above 0.
void PaintRosePetals(QPainter& painter, const QPoint& origin, int radius, const RoseSums& sums, const QColor& colour);

}  // namespace svu
