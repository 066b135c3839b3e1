// What the standard library of a build lacks, in one place: emscripten's libc++ (the
// WebAssembly build) has neither std::bit_cast nor std::from_chars for double. Everywhere
// else these are the standard's own functions.
#pragma once

#include <bit>
#include <charconv>
#include <system_error>

#if defined(__EMSCRIPTEN__)
#include <cerrno>
#include <cstdlib>
#include <string>
#endif

namespace zef {

template <class To, class From>
constexpr To bitCast(const From& from) noexcept {
    static_assert(sizeof(To) == sizeof(From));
#if defined(__cpp_lib_bit_cast)
    return std::bit_cast<To>(from);
#else
    return __builtin_bit_cast(To, from);
#endif
}

// std::from_chars for a double in the general format: [-]digits[.digits][e[+-]digits].
inline std::from_chars_result fromChars(const char* first, const char* last, double& value) {
#if defined(__EMSCRIPTEN__)
    // The WebAssembly build never changes the C locale, so strtod reads a point.
    const std::string text(first, last);
    char* end = nullptr;
    errno = 0;
    const double read = std::strtod(text.c_str(), &end);
    const auto used = static_cast<std::size_t>(end - text.c_str());
    if (used == 0) return {first, std::errc::invalid_argument};
    if (errno == ERANGE) return {first + used, std::errc::result_out_of_range};
    value = read;
    return {first + used, std::errc()};
#else
    return std::from_chars(first, last, value);
#endif
}

} // namespace zef
