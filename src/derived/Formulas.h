#pragma once

// The instantaneous formulas of the derived channels, as pure functions of numbers, so that each can
// be checked without a station. Where a step rounds to single precision the argument or the
// intermediate is a float; everything else is double.

#include <cstddef>
#include <cstdint>
#include <optional>

namespace svu {

/// output = input x gain + offset.
double ScaleValue(double x, float gain, float offset);

/// The reciprocal direction: +180, less 360 once when that reaches 360.
double WindToDirection(double direction);

/// Vapour pressure (mb) from a temperature (rounded to float) in deg C and a relative humidity in %.
double VapourPressure(float temperature, double humidity);

/// Dew point (deg C) from a vapour pressure; nothing for a pressure <= 0 or a logarithm of exactly 8.2857.
std::optional<double> DewPoint(double vapour);

/// Wet-bulb temperature (deg C); nothing when the result is not finite (no humidity).
std::optional<double> WetBulbTemperature(float temperature, double humidity, double pressure);

/// Pressure at the runway from the sensor's pressure, its temperature and its height above the runway.
double QfePressure(double pressure, double temperature, float sensorHeight);

/// Sea-level pressure from a QFE and the runway's height.
double QnhPressure(double qfe, float runwayHeight);

/// Wind components relative to a reference angle; the direction is rounded to float.
double CrossWindComponent(float direction, double speed, float referenceAngle);
double HeadWindComponent(float direction, double speed, float referenceAngle);

/// Beaufort force 0..12 of a speed in m/s.
int BeaufortForce(double speed);
/// "Calm" .. "Hurricane".
const char* BeaufortText(int force);

/// The comparison selected by `operatorIndex` (<, <=, =, <>, >=, >); an unknown operator is false.
bool CompareWithFixed(float value, uint32_t operatorIndex, float fixedValue);

/// Clockwise sector test from `from` to `to` (through north when from > to), both ends included.
bool InSector(double direction, float from, float to);

/// Direction (degrees, 0 <= d < 360) of the vector sums S (sines) and C (cosines) of an angle average.
double AngleOfSums(double sineSum, double cosineSum);

}  // namespace svu
