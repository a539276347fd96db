#include "derived/ExactSum.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

namespace svu {

void ExactSum::Clear() {
    limbs.fill(0);
    nanTerms = 0;
    positiveInfinities = 0;
    negativeInfinities = 0;
}

void ExactSum::Accumulate(double term, bool subtract) {
    const int64_t step = subtract ? -1 : 1;
    if (std::isnan(term)) {
        nanTerms += step;
        return;
    }
    const uint64_t bits = std::bit_cast<uint64_t>(term);
    const bool negative = ((bits >> 63) != 0) != subtract;
    const int biasedExponent = static_cast<int>((bits >> 52) & 0x7FF);
    uint64_t mantissa = bits & ((uint64_t{1} << 52) - 1);
    // Terms beyond the fixed-point range (never produced by the channels) are kept like infinities
    // so that the sum stays exact for the rest.
    if (biasedExponent == 0x7FF || biasedExponent > 1023 + 200) {
        if ((bits >> 63) != 0) {
            negativeInfinities += step;
        } else {
            positiveInfinities += step;
        }
        return;
    }
    int exponent;  // term = mantissa x 2^exponent
    if (biasedExponent == 0) {
        exponent = -1074;
    } else {
        mantissa |= uint64_t{1} << 52;
        exponent = biasedExponent - 1075;
    }
    if (mantissa == 0) {
        return;
    }
    int shift = exponent + kFractionBits;
    if (shift < 0) {
        // Bits below 2^-192 are dropped; the same value is dropped again on subtraction.
        if (shift <= -64) {
            return;
        }
        mantissa >>= -shift;
        shift = 0;
        if (mantissa == 0) {
            return;
        }
    }
    AddMagnitude(mantissa, shift, negative);
}

void ExactSum::AddMagnitude(uint64_t magnitude, int shift, bool negative) {
    const int limb = shift / 64;
    const int offset = shift % 64;
    const uint64_t low = magnitude << offset;
    const uint64_t high = offset == 0 ? 0 : magnitude >> (64 - offset);
    if (!negative) {
        uint64_t carry = 0;
        for (int i = limb; i < kLimbs; ++i) {
            const uint64_t addend = i == limb ? low : (i == limb + 1 ? high : 0);
            const uint64_t before = limbs[i];
            const uint64_t sum = before + addend;
            const uint64_t withCarry = sum + carry;
            carry = (sum < before ? 1 : 0) + (withCarry < sum ? 1 : 0);
            limbs[i] = withCarry;
            if (carry == 0 && i > limb) {
                break;
            }
        }
    } else {
        uint64_t borrow = 0;
        for (int i = limb; i < kLimbs; ++i) {
            const uint64_t subtrahend = i == limb ? low : (i == limb + 1 ? high : 0);
            const uint64_t before = limbs[i];
            const uint64_t diff = before - subtrahend;
            const uint64_t withBorrow = diff - borrow;
            borrow = (before < subtrahend ? 1 : 0) + (diff < borrow ? 1 : 0);
            limbs[i] = withBorrow;
            if (borrow == 0 && i > limb) {
                break;
            }
        }
    }
}

double ExactSum::Value() const {
    if (nanTerms != 0 || (positiveInfinities != 0 && negativeInfinities != 0)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    if (positiveInfinities != 0) {
        return std::numeric_limits<double>::infinity();
    }
    if (negativeInfinities != 0) {
        return -std::numeric_limits<double>::infinity();
    }
    std::array<uint64_t, kLimbs> magnitude = limbs;
    const bool negative = (magnitude[kLimbs - 1] >> 63) != 0;
    if (negative) {
        uint64_t carry = 1;
        for (uint64_t& limb : magnitude) {
            limb = ~limb + carry;
            carry = (carry != 0 && limb == 0) ? 1 : 0;
        }
    }
    int top = kLimbs - 1;
    while (top >= 0 && magnitude[top] == 0) {
        --top;
    }
    if (top < 0) {
        return 0.0;
    }
    // The top 64 significant bits, with every lower bit folded into the last one: enough for
    // round-to-nearest-even to a 53-bit double to come out exactly as for the whole number.
    const int leading = std::countl_zero(magnitude[top]);
    uint64_t head = magnitude[top] << leading;
    bool sticky = false;
    if (top > 0) {
        if (leading > 0) {
            head |= magnitude[top - 1] >> (64 - leading);
            sticky = (magnitude[top - 1] << leading) != 0;
        } else {
            sticky = magnitude[top - 1] != 0;
        }
        for (int i = top - 2; i >= 0 && !sticky; --i) {
            sticky = magnitude[i] != 0;
        }
    }
    if (sticky) {
        head |= 1;
    }
    const int exponent = top * 64 - leading - kFractionBits;
    const double value = std::ldexp(static_cast<double>(head), exponent);
    return negative ? -value : value;
}

}  // namespace svu
