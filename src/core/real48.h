// The interpreter's 6-byte real: byte 0 is the exponent of two biased by 129 (0 means the
// value 0), bytes 1 to 5 a 39-bit fraction, least significant byte first, with an implied
// leading 1, and the top bit of byte 5 the sign. About 11 to 12 significant digits, a range
// of about 2.9E-39 to 1.7E38.
#pragma once

#include "portability.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>

namespace zef {

class Real48 {
public:
    Real48() = default; // zero

    // Rounds a working value into the format: the significand to 40 bits, a half of the
    // last place rounding up in magnitude. Too large (or not a number) fails; too small
    // becomes 0.
    [[nodiscard]] static std::optional<Real48> fromDouble(double value);
    // The same rounding, in place; false (and nothing changed) where fromDouble fails.
    [[nodiscard]] bool assign(double value);
    // Exact: every 6-byte real is a double.
    double toDouble() const;
    // Both conversions work on the bits of the double, as the format is a double with a
    // shorter significand and a narrower exponent; they are inline because the
    // interpreter converts at every real operation.

    const std::array<std::uint8_t, 6>& bytes() const { return bytes_; }
    static Real48 fromBytes(const std::array<std::uint8_t, 6>& b) {
        Real48 r;
        r.bytes_ = b;
        return r;
    }
    bool operator==(const Real48&) const = default;

private:
    std::array<std::uint8_t, 6> bytes_{};
};

[[gnu::always_inline]] inline bool Real48::assign(double value) {
    const auto bits = bitCast<std::uint64_t>(value);
    const int exponent = static_cast<int>((bits >> 52) & 0x7FF);
    if (exponent == 0x7FF) return false; // infinite, or not a number
    // 53 significant bits to 40: a half of the last place rounds up in magnitude.
    std::uint64_t significand = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    significand = (significand + (std::uint64_t{1} << 12)) >> 13;
    int biased = exponent - 1023 + 129;
    if (significand == (std::uint64_t{1} << 40)) {
        significand >>= 1;
        ++biased;
    }
    if (biased > 255) return false;
    std::uint64_t word = 0; // zero, or too small for the format (a zero exponent included)
    if (biased >= 1 && exponent != 0)
        word = static_cast<std::uint64_t>(biased) | ((significand - (std::uint64_t{1} << 39)) << 8) |
               ((bits >> 63) << 47);
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(bytes_.data(), &word, 6);
    } else {
        for (int i = 0; i < 6; ++i) bytes_[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(word >> (8 * i));
    }
    return true;
}

inline std::optional<Real48> Real48::fromDouble(double value) {
    Real48 r;
    if (!r.assign(value)) return std::nullopt;
    return r;
}

[[gnu::always_inline]] inline double Real48::toDouble() const {
    if (bytes_[0] == 0) return 0.0;
    std::uint64_t word = 0;
    if constexpr (std::endian::native == std::endian::little) {
        // Two loads of the sizes the bytes were stored with: one 8-byte load over a 4-byte
        // and a 2-byte store would wait for both stores to reach the cache.
        std::uint32_t low = 0;
        std::uint16_t high = 0;
        std::memcpy(&low, bytes_.data(), 4);
        std::memcpy(&high, bytes_.data() + 4, 2);
        word = low | (std::uint64_t{high} << 32);
    } else {
        for (int i = 5; i >= 0; --i) word = (word << 8) | bytes_[static_cast<std::size_t>(i)];
    }
    const std::uint64_t sign = (word >> 47) & 1;
    const std::uint64_t fraction = (word >> 8) & ((std::uint64_t{1} << 39) - 1);
    const std::uint64_t exponent = std::uint64_t{bytes_[0]} - 129 + 1023;
    return bitCast<double>((sign << 63) | (exponent << 52) | (fraction << 13));
}

// The round trip through the format; nullopt when the value is too large for it.
[[nodiscard, gnu::always_inline]] inline std::optional<double> roundToReal48(double value) {
    Real48 r;
    if (!r.assign(value)) return std::nullopt;
    return r.toDouble();
}

} // namespace zef
