#include "real48.h"

#include <bit>
#include <cmath>

namespace zef {

// Both conversions work on the bits of the double: the six-byte format is a double with a
// shorter significand and a narrower exponent, so no library call is needed.
std::optional<Real48> Real48::fromDouble(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    Real48 r;
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const int exponent = static_cast<int>((bits >> 52) & 0x7FF);
    if (exponent == 0) return r; // zero, or far too small for the format
    // 53 significant bits to 40: a half of the last place rounds up in magnitude.
    std::uint64_t significand = ((bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52));
    significand = (significand + (std::uint64_t{1} << 12)) >> 13;
    int biased = exponent - 1023 + 129;
    if (significand == (std::uint64_t{1} << 40)) {
        significand >>= 1;
        ++biased;
    }
    if (biased > 255) return std::nullopt;
    if (biased < 1) return r; // too small: zero
    const std::uint64_t fraction = significand - (std::uint64_t{1} << 39);
    r.bytes_[0] = static_cast<std::uint8_t>(biased);
    for (int i = 0; i < 5; ++i) r.bytes_[1 + i] = static_cast<std::uint8_t>(fraction >> (8 * i));
    if (bits >> 63) r.bytes_[5] |= 0x80;
    return r;
}

double Real48::toDouble() const {
    if (bytes_[0] == 0) return 0.0;
    std::uint64_t fraction = 0;
    for (int i = 4; i >= 0; --i) fraction = (fraction << 8) | bytes_[1 + i];
    const std::uint64_t sign = (fraction >> 39) & 1;
    fraction &= (std::uint64_t{1} << 39) - 1;
    const std::uint64_t exponent = std::uint64_t{bytes_[0]} - 129 + 1023;
    return std::bit_cast<double>((sign << 63) | (exponent << 52) | (fraction << 13));
}

std::optional<double> roundToReal48(double value) {
    auto r = Real48::fromDouble(value);
    if (!r) return std::nullopt;
    return r->toDouble();
}

} // namespace zef
