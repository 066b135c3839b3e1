#include "numtext.h"
#include "real48.h"
#include "regional.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>

using namespace zef;

namespace {
std::string viaReal48(double v, char sep = '.') { return formatReal(*roundToReal48(v), sep); }
} // namespace

TEST(Real48, KnownValuesReadBackAsTheLanguageShowsThem) {
    EXPECT_EQ(viaReal48(0.1), "0.100000000000023");
    EXPECT_EQ(viaReal48(*roundToReal48(2.0) + *roundToReal48(0.1)), "2.09999999999854");
    EXPECT_EQ(viaReal48(2.5), "2.5");
    EXPECT_EQ(viaReal48(-3.5, ','), "-3,5");
    EXPECT_EQ(viaReal48(0), "0");
}

TEST(Real48, LayoutOfTheBytes) {
    // 1.0 = 1.0 * 2^0: exponent byte 129, fraction 0, sign clear.
    auto one = Real48::fromDouble(1.0);
    ASSERT_TRUE(one);
    EXPECT_EQ(one->bytes(), (std::array<std::uint8_t, 6>{129, 0, 0, 0, 0, 0}));
    auto minusOneAndHalf = Real48::fromDouble(-1.5);
    EXPECT_EQ(minusOneAndHalf->bytes(), (std::array<std::uint8_t, 6>{129, 0, 0, 0, 0, 0xC0}));
    EXPECT_EQ(Real48::fromDouble(-1.5)->toDouble(), -1.5);
}

TEST(Real48, RangeLimits) {
    EXPECT_TRUE(roundToReal48(1.7e38));
    EXPECT_FALSE(roundToReal48(1.8e38));
    EXPECT_FALSE(roundToReal48(INFINITY));
    EXPECT_FALSE(roundToReal48(NAN));
    EXPECT_EQ(*roundToReal48(1e-40), 0.0); // too small becomes 0
    EXPECT_NE(*roundToReal48(3e-39), 0.0);
}

TEST(Real48, RoundsHalfOfTheLastPlaceAwayFromZero) {
    const double ulp = std::ldexp(1.0, -39); // last place of a value in [1, 2)
    EXPECT_EQ(*roundToReal48(1.0 + ulp / 2), 1.0 + ulp);
    EXPECT_EQ(*roundToReal48(-(1.0 + ulp / 2)), -(1.0 + ulp));
    EXPECT_EQ(*roundToReal48(1.0 + ulp / 4), 1.0);
    // A carry out of the significand moves to the next exponent.
    EXPECT_EQ(*roundToReal48(2.0 - ulp / 4), 2.0);
}

// The conversions on the bits against the plain arithmetic definition of the format
// (frexp, round half away from zero to 40 bits, ldexp), on random doubles of every
// magnitude; and every six-byte real written with 15 digits reads back to the same bytes,
// which the interpreter relies on when it stores a result without its text.
TEST(Real48, BitConversionsMatchTheArithmeticDefinition) {
    auto reference = [](double value) -> std::optional<double> {
        if (!std::isfinite(value)) return std::nullopt;
        if (value == 0.0) return 0.0;
        int exp2 = 0;
        const double m = std::frexp(std::fabs(value), &exp2);
        auto significand = static_cast<std::uint64_t>(std::llround(std::ldexp(m, 40)));
        if (significand == (std::uint64_t{1} << 40)) {
            significand >>= 1;
            ++exp2;
        }
        if (exp2 + 128 > 255) return std::nullopt;
        if (exp2 + 128 < 1) return 0.0;
        const double v = std::ldexp(static_cast<double>(significand), exp2 - 40);
        return value < 0 ? -v : v;
    };
    std::mt19937_64 rng(48);
    for (int n = 0; n < 4'000'000; ++n) {
        // Exponents around the format's range, and some values exactly halfway.
        std::uint64_t bits = rng();
        const std::uint64_t exponent = 1023 - 140 + rng() % 280;
        bits = (bits & 0x800FFFFFFFFFFFFFull) | (exponent << 52);
        if (n % 7 == 0) bits = (bits & ~0x1FFFull) | 0x1000;
        const double value = std::bit_cast<double>(bits);
        const auto got = roundToReal48(value), want = reference(value);
        ASSERT_EQ(got.has_value(), want.has_value()) << value;
        if (!got) continue;
        ASSERT_EQ(std::bit_cast<std::uint64_t>(*got), std::bit_cast<std::uint64_t>(*want)) << value;
        if (n % 16 != 0 || *got == 0.0) continue;
        const auto stored = Real48::fromDouble(*got);
        const auto back = parseReal(formatReal(*got, ','), ',');
        ASSERT_TRUE(back);
        ASSERT_EQ(Real48::fromDouble(*back)->bytes(), stored->bytes()) << formatReal(*got, ',');
    }
}

TEST(IntegerText, AcceptsBlanksSignDecimalAndHex) {
    EXPECT_EQ(parseInteger("42"), 42);
    EXPECT_EQ(parseInteger("  -7"), -7);
    EXPECT_EQ(parseInteger("+007"), 7);
    EXPECT_EQ(parseInteger("$FF"), 255);
    EXPECT_EQ(parseInteger("$ffffffff"), -1);
    EXPECT_EQ(parseInteger("-$10"), -16);
    EXPECT_EQ(parseInteger("2147483647"), 2147483647);
    EXPECT_EQ(parseInteger("-2147483648"), -2147483647 - 1);
}

TEST(IntegerText, RejectsEverythingElse) {
    for (const char* bad : {"", " ", "12 ", "1.5", "2+3", "abc", "$", "-", "$1G", "2147483648",
                            "-2147483649", "$100000000", "1e3"})
        EXPECT_FALSE(parseInteger(bad)) << bad;
}

TEST(RealText, UsesTheRegionalSeparator) {
    EXPECT_EQ(parseReal("3,5", ','), 3.5);
    EXPECT_FALSE(parseReal("3.5", ','));
    EXPECT_EQ(parseReal("3.5", '.'), 3.5);
    EXPECT_FALSE(parseReal("3,5", '.'));
    EXPECT_EQ(parseReal(" -1.5E3 ", '.'), -1500.0);
    EXPECT_EQ(parseReal(".5", '.'), 0.5);
    EXPECT_EQ(parseReal("7", ','), 7.0);
    for (const char* bad : {"", ".", "1.2.3", "1E", "E5", "abc", "1..2", "--1"})
        EXPECT_FALSE(parseReal(bad, '.')) << bad;
    EXPECT_FALSE(parseReal("1E400", '.'));
    EXPECT_EQ(parseReal("1E-400", '.'), 0.0);
}

TEST(RealText, GeneralFormatWithFifteenDigits) {
    EXPECT_EQ(formatReal(3.5, ','), "3,5");
    EXPECT_EQ(formatReal(100, '.'), "100");
    EXPECT_EQ(formatReal(1e14, '.'), "100000000000000");
    EXPECT_EQ(formatReal(1e15, '.'), "1E15");
    EXPECT_EQ(formatReal(1.5e-7, ','), "1,5E-7");
    EXPECT_EQ(formatReal(1e-5, '.'), "0.00001");
    EXPECT_EQ(formatReal(0.000123, '.'), "0.000123");
    EXPECT_EQ(formatReal(-2.5e20, '.'), "-2.5E20");
    EXPECT_EQ(formatReal(1.0 / 3.0, '.'), "0.333333333333333");
    EXPECT_EQ(formatReal(9.9999999999999999, '.'), "10");
}

TEST(Regional, CAndPosixCountAsFrench) {
    for (const char* name : {"C", "POSIX", "C.UTF-8", "fr_FR.UTF-8", ""}) {
        const auto r = RegionalSettings::forLocale(name);
        EXPECT_EQ(r.decimalSeparator, ',') << name;
        EXPECT_EQ(r.formatDate({2026, 3, 7, 9, 5, 3}), "07/03/2026");
        EXPECT_EQ(r.formatTime({2026, 3, 7, 9, 5, 3}), "09:05:03");
        EXPECT_EQ(r.monthNames[7], "ao\xFBt");
    }
}

TEST(Regional, EnglishUnitedStates) {
    const auto r = RegionalSettings::forLocale("en_US.UTF-8");
    EXPECT_EQ(r.decimalSeparator, '.');
    EXPECT_EQ(r.formatDate({2026, 3, 7, 21, 5, 3}), "3/7/2026");
    EXPECT_EQ(r.formatTime({2026, 3, 7, 21, 5, 3}), "9:05:03 PM");
    EXPECT_EQ(RegionalSettings::forLocale("de_DE").formatDate({2026, 3, 7}), "07.03.2026");
}
