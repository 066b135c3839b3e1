// The interpreter's 6-byte real: byte 0 is the exponent of two biased by 129 (0 means the
// value 0), bytes 1 to 5 a 39-bit fraction, least significant byte first, with an implied
// leading 1, and the top bit of byte 5 the sign. About 11 to 12 significant digits, a range
// of about 2.9E-39 to 1.7E38.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace zef {

class Real48 {
public:
    Real48() = default; // zero

    // Rounds a working value into the format: the significand to 40 bits, a half of the
    // last place rounding up in magnitude. Too large (or not a number) fails; too small
    // becomes 0.
    static std::optional<Real48> fromDouble(double value);
    // Exact: every 6-byte real is a double.
    double toDouble() const;

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

// The round trip through the format; nullopt when the value is too large for it.
std::optional<double> roundToReal48(double value);

} // namespace zef
