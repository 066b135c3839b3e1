// Number <-> text conversions of the interpreter, as the language's value texts use them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zef {

// Optional leading blanks, an optional sign, then decimal digits or "$" and hexadecimal
// digits; nothing may follow (not even a blank). The value must fit in 32 bits (hex texts
// up to $FFFFFFFF, read as two's complement).
[[nodiscard]] std::optional<std::int32_t> parseInteger(std::string_view text);

// Optional blanks, sign, digits with the given decimal separator, optional exponent part
// ("E" or "e", optional sign, digits), optional trailing blanks.
[[nodiscard]] std::optional<double> parseReal(std::string_view text, char decimalSeparator);

// The general format: at most 15 significant digits, trailing zeros removed, the given
// separator; exponent form (1E15, 1,5E-7) for magnitudes of 1E15 and above or below 1E-5.
std::string formatReal(double value, char decimalSeparator);

std::string formatInteger(std::int64_t value);

} // namespace zef
