#include "real48.h"

#include <cmath>

namespace zef {

std::optional<Real48> Real48::fromDouble(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    Real48 r;
    if (value == 0.0) return r;
    int exp2 = 0;
    // value = m * 2^exp2 with 0.5 <= |m| < 1, that is 1.f * 2^(exp2 - 1).
    const double m = std::frexp(std::fabs(value), &exp2);
    // 40 significant bits; llround rounds a half away from zero, and the scaled value is
    // exact in a double, so this is the only rounding.
    auto significand = static_cast<std::uint64_t>(std::llround(std::ldexp(m, 40)));
    int biased = exp2 + 128;
    if (significand == (std::uint64_t{1} << 40)) {
        significand >>= 1;
        ++biased;
    }
    if (biased > 255) return std::nullopt;
    if (biased < 1) return r; // too small: zero
    const std::uint64_t fraction = significand - (std::uint64_t{1} << 39);
    r.bytes_[0] = static_cast<std::uint8_t>(biased);
    for (int i = 0; i < 5; ++i) r.bytes_[1 + i] = static_cast<std::uint8_t>(fraction >> (8 * i));
    if (value < 0) r.bytes_[5] |= 0x80;
    return r;
}

double Real48::toDouble() const {
    if (bytes_[0] == 0) return 0.0;
    std::uint64_t fraction = 0;
    for (int i = 4; i >= 0; --i) fraction = (fraction << 8) | bytes_[1 + i];
    fraction &= (std::uint64_t{1} << 39) - 1;
    const std::uint64_t significand = fraction | (std::uint64_t{1} << 39);
    const double v = std::ldexp(static_cast<double>(significand), int(bytes_[0]) - 129 - 39);
    return (bytes_[5] & 0x80) ? -v : v;
}

std::optional<double> roundToReal48(double value) {
    auto r = Real48::fromDouble(value);
    if (!r) return std::nullopt;
    return r->toDouble();
}

} // namespace zef
