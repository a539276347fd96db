#pragma once

#include <array>
#include <cstdint>

namespace svu {

/// A running sum of doubles that is exact: adding a value and later subtracting the same value
/// restores the previous sum bit for bit, however long it runs and whatever the magnitudes. The
/// sum is a fixed-point number (bits from 2^-192 up to 2^255) in two's complement; Value() rounds
/// it to the nearest double once. Infinite and NaN terms are counted apart, so that they leave no
/// trace once they are subtracted again. Constant cost per operation.
class ExactSum {
public:
    void Add(double term) { Accumulate(term, false); }
    void Subtract(double term) { Accumulate(term, true); }
    void Clear();
    /// The sum rounded to the nearest double; NaN or an infinity when such terms are present.
    double Value() const;

private:
    static constexpr int kLimbs = 7;
    static constexpr int kFractionBits = 192;

    void Accumulate(double term, bool subtract);
    void AddMagnitude(uint64_t magnitude, int shift, bool negative);

    std::array<uint64_t, kLimbs> limbs{};
    int64_t nanTerms = 0;
    int64_t positiveInfinities = 0;
    int64_t negativeInfinities = 0;
};

}  // namespace svu
