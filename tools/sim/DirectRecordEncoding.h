#pragma once

// The simulated instrument writes its logger records with its own code; the station only ever
// decodes them, so a fault in either shows as a mismatch.

#include <cstdint>

#include "stations/DirectProtocol.h"

namespace svu::sim {

/// The 3-byte time stamp (the year kept modulo 16).
void EncodeRecordTime(const direct::RecordTime& time, uint8_t* bytes);
/// Sign, 3-digit mantissa and exponent -3..4: value = +-0.ddd x 10^e.
void EncodeShortFloat(double value, uint8_t* bytes);
/// Encodes -1.9999 .. 1.9999 (clamped) to 4 decimals, "d.xxyy" with the sign in bit 0 of b1.
void EncodeFixedPoint(double raw, uint8_t* bytes);
/// A calibration entry: signed exponent byte, then packed decimal digits ended by 0xC (or 0xD
/// for a negative number).
void EncodeCalibration(double value, uint8_t* entry);

}  // namespace svu::sim
