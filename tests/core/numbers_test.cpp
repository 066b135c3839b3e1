#include "numtext.h"
#include "real48.h"
#include "regional.h"

#include <gtest/gtest.h>

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

TEST(Real48, TheEdgesOfTheRange) {
    // The largest real: 40 bits of ones under the exponent 126. Half a last place more
    // rounds up to 2^127, beyond the range; less than half rounds back down.
    const double largest = std::ldexp(std::ldexp(1.0, 40) - 1, 126 - 39);
    const double lastPlace = std::ldexp(1.0, 126 - 39);
    EXPECT_EQ(roundToReal48(largest), largest);
    EXPECT_EQ(roundToReal48(largest + lastPlace / 4), largest);
    EXPECT_FALSE(roundToReal48(largest + lastPlace / 2));
    EXPECT_EQ(roundToReal48(-largest), -largest);
    // The smallest: 2^-128; half of it is already 0, and what rounds up to it is kept.
    const double smallest = std::ldexp(1.0, -128);
    EXPECT_EQ(roundToReal48(smallest), smallest);
    EXPECT_EQ(roundToReal48(-smallest), -smallest);
    EXPECT_EQ(roundToReal48(std::nextafter(smallest, 0.0)), smallest);
    EXPECT_EQ(roundToReal48(smallest / 2), 0.0);
}

// Every six-byte real written with 15 digits reads back to the same bytes: the
// interpreter relies on it when it stores a result without going through its text.
// Random reals of every exponent and sign, straight from their bytes.
TEST(Real48, FifteenDigitsTellEveryRealApart) {
    std::mt19937_64 rng(48);
    for (int n = 0; n < 200'000; ++n) {
        const std::uint64_t bits = rng();
        std::array<std::uint8_t, 6> bytes;
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<std::uint8_t>(bits >> (8 * i));
        if (bytes[0] == 0) bytes[0] = 1;
        const Real48 stored = Real48::fromBytes(bytes);
        const auto back = parseReal(formatReal(stored.toDouble(), ','), ',');
        ASSERT_TRUE(back) << formatReal(stored.toDouble(), ',');
        ASSERT_EQ(Real48::fromDouble(*back), stored) << formatReal(stored.toDouble(), ',');
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
