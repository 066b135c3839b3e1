#include "numtext.h"

#include "portability.h"
#include "text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace zef {

std::optional<std::int32_t> parseInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= text.size()) return std::nullopt;
    std::int64_t value = 0;
    if (text[i] == '$') {
        ++i;
        if (i >= text.size()) return std::nullopt;
        for (; i < text.size(); ++i) {
            const char c = text[i];
            int digit;
            if (c >= '0' && c <= '9') digit = c - '0';
            else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
            else return std::nullopt;
            value = value * 16 + digit;
            if (value > 0xFFFFFFFFLL) return std::nullopt;
        }
        auto bits = static_cast<std::uint32_t>(value);
        if (negative) bits = 0u - bits;
        return static_cast<std::int32_t>(bits);
    }
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > 2147483648LL) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > 2147483647LL) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<double> parseReal(std::string_view text, char decimalSeparator) {
    const std::string t = trim(text);
    std::string normal; // the text in the form from_chars reads
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        if (t[i] == '-') normal += '-';
        ++i;
    }
    int digits = 0;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, ++digits) normal += t[i];
    if (i < t.size() && t[i] == decimalSeparator) {
        normal += '.';
        for (++i; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, ++digits) normal += t[i];
    }
    if (digits == 0) return std::nullopt;
    if (i < t.size() && (t[i] == 'E' || t[i] == 'e')) {
        normal += 'e';
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) normal += t[i++];
        int expDigits = 0;
        for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, ++expDigits) normal += t[i];
        if (expDigits == 0) return std::nullopt;
    }
    if (i != t.size()) return std::nullopt;
    double value = 0;
    const auto res = fromChars(normal.data(), normal.data() + normal.size(), value);
    if (res.ec == std::errc::result_out_of_range) {
        // Underflow reads as 0; overflow is not a number the language can hold.
        if (normal.find("e-") != std::string::npos) return 0.0;
        return std::nullopt;
    }
    if (res.ec != std::errc() || res.ptr != normal.data() + normal.size()) return std::nullopt;
    return value;
}

std::string formatReal(double value, char decimalSeparator) {
    if (value == 0.0 || !std::isfinite(value)) return "0";
    char buf[64];
    // 15 significant digits: d.dddddddddddddde±x
    std::snprintf(buf, sizeof buf, "%.14e", value);
    std::string s(buf);
    std::string sign;
    if (s[0] == '-') {
        sign = "-";
        s.erase(0, 1);
    }
    const auto ePos = s.find('e');
    const int exponent = std::stoi(s.substr(ePos + 1));
    std::string digits = s.substr(0, 1) + s.substr(2, ePos - 2);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string out = sign;
    if (exponent >= 15 || exponent < -5) {
        out += digits[0];
        if (digits.size() > 1) out += decimalSeparator + digits.substr(1);
        out += 'E' + std::to_string(exponent);
    } else if (exponent >= 0) {
        const std::size_t intLen = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= intLen) {
            out += digits + std::string(intLen - digits.size(), '0');
        } else {
            out += digits.substr(0, intLen) + decimalSeparator + digits.substr(intLen);
        }
    } else {
        out += "0";
        out += decimalSeparator;
        out += std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    }
    return out;
}

std::string formatInteger(std::int64_t value) { return std::to_string(value); }

} // namespace zef
