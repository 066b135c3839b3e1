#include "calculator.h"

#include "numtext.h"
#include "real48.h"

#include <charconv>
#include <cmath>

namespace zef {
namespace {

constexpr char kComma = ',';

std::string notAReal(const std::string& text) {
    return "'" + text + "' n'est pas une valeur flottante correcte";
}
const char* const kDivisionByZero = "Division flottante par zéro";
const char* const kInvalidOperation = "Opération flottante incorrecte";
const char* const kOverflow = "Débordement flottant";

} // namespace

std::optional<CalculatorKey> calculatorKeyFor(char c) {
    if (c >= '0' && c <= '9') return static_cast<CalculatorKey>(c - '0');
    switch (c) {
    case ',': case '.': return CalculatorKey::Comma;
    case '=': return CalculatorKey::Equals;
    case '+': return CalculatorKey::Plus;
    case '-': return CalculatorKey::Minus;
    case '*': return CalculatorKey::Times;
    case '/': return CalculatorKey::Divide;
    case 'C': case 'c': return CalculatorKey::Clear;
    case 'S': case 's': return CalculatorKey::SquareRoot;
    case 'X': case 'x': return CalculatorKey::Reciprocal;
    case 27: return CalculatorKey::Close;
    default: return std::nullopt;
    }
}

std::optional<long double> roundToCalculatorReal(long double value) {
    if (!std::isfinite(value)) return std::nullopt;
    if (value == 0) return 0.0L;
    // The 40-bit significand is rounded here, from the extended value, so that the core's
    // conversion from double receives an exact value and does not round a second time.
    int exponent = 0;
    const long double fraction = std::frexp(std::fabs(value), &exponent);
    long double rounded = std::ldexp(std::round(std::ldexp(fraction, 40)), exponent - 40);
    if (value < 0) rounded = -rounded;
    // Beyond the range of a double is beyond the 6-byte range too: the conversion gives
    // infinity, which the core refuses.
    const auto stored = roundToReal48(static_cast<double>(rounded));
    if (!stored) return std::nullopt;
    return *stored;
}

// A result goes through ×1000 ×0.001 in extended precision, as the calculator has always
// shown its results, and is then written as the shortest decimal of at most 12
// significant digits that reads back as the same 6-byte value. So the noise of the
// format's last bits never shows (2 + 0,1 is stored as 2,09999999999854 and shows 2,1)
// and no digit that tells the value apart is lost (3,05 shows 3,05). A value that no
// such decimal reaches (1 / 3 needs 13 digits) shows its rounding to 12 significant
// digits, the precision the format holds everywhere in its range: 0,333333333333.
std::string formatCalculatorResult(long double accumulator) {
    const long double shown = accumulator * 1000.0L * 0.001L;
    const auto target = roundToCalculatorReal(shown);
    double candidate = static_cast<double>(shown);
    for (int digits = 1; target && digits <= 12; ++digits) {
        char text[64];
        const auto end = std::to_chars(text, text + sizeof text, shown, std::chars_format::scientific, digits - 1);
        std::from_chars(text, end.ptr, candidate);
        if (roundToCalculatorReal(candidate) == target) break;
    }
    return formatReal(candidate, kComma);
}

void Calculator::clear() {
    display_.clear();
    accumulator_ = 0;
    operand_ = 0;
    accumulatorSet_ = false;
    pending_ = 0;
}

std::optional<std::string> Calculator::readDisplay(long double& into) const {
    const auto value = parseReal(display_, kComma);
    if (!value) return notAReal(display_);
    const auto stored = roundToCalculatorReal(*value);
    if (!stored) return kOverflow;
    into = *stored;
    return std::nullopt;
}

std::optional<std::string> Calculator::equals() {
    if (!accumulatorSet_) {
        // The first number of a calculation: a display that is not a number (an empty
        // one, most often) is simply cleared.
        if (readDisplay(accumulator_)) {
            display_.clear();
        } else {
            accumulatorSet_ = true;
            newEntry_ = true;
        }
        return std::nullopt;
    }
    if (auto refused = readDisplay(operand_)) return refused;
    long double result = accumulator_;
    switch (pending_) {
    case '+': result = accumulator_ + operand_; break;
    case '-': result = accumulator_ - operand_; break;
    case '*': result = accumulator_ * operand_; break;
    case '/':
        if (operand_ == 0) return kDivisionByZero;
        result = accumulator_ / operand_;
        break;
    }
    const auto stored = roundToCalculatorReal(result);
    if (!stored) return kOverflow;
    accumulator_ = *stored;
    display_ = formatCalculatorResult(accumulator_);
    newEntry_ = true;
    return std::nullopt;
}

// "1/x" and "sqr" act on the display alone: the pending operator is neither applied nor
// changed, and the value is shown as computed, before it is stored.
std::optional<std::string> Calculator::unary(CalculatorKey key) {
    if (auto refused = readDisplay(operand_)) return refused;
    long double result;
    if (key == CalculatorKey::Reciprocal) {
        if (operand_ == 0) return kDivisionByZero;
        result = 1 / operand_;
    } else {
        if (operand_ < 0) return kInvalidOperation;
        result = std::sqrt(operand_);
    }
    const auto stored = roundToCalculatorReal(result);
    if (!stored) return kOverflow;
    display_ = formatReal(static_cast<double>(result), kComma);
    accumulator_ = *stored;
    accumulatorSet_ = true;
    newEntry_ = true;
    return std::nullopt;
}

std::optional<std::string> Calculator::press(CalculatorKey key) {
    switch (key) {
    case CalculatorKey::Comma:
        // The comma extends whatever is shown, a result too: 5 then "," shows 5,.
        display_ += kComma;
        return std::nullopt;
    case CalculatorKey::Equals: return equals();
    case CalculatorKey::Plus:
    case CalculatorKey::Minus:
    case CalculatorKey::Times:
    case CalculatorKey::Divide: {
        // An operator first applies the one before it; a refused step leaves the old
        // operator pending.
        if (auto refused = equals()) return refused;
        static constexpr char kOperators[] = "+-*/";
        pending_ = kOperators[static_cast<int>(key) - static_cast<int>(CalculatorKey::Plus)];
        return std::nullopt;
    }
    case CalculatorKey::Reciprocal:
    case CalculatorKey::SquareRoot: return unary(key);
    case CalculatorKey::Clear: clear(); return std::nullopt;
    case CalculatorKey::Close: return std::nullopt; // the window's business
    default: // a digit
        if (newEntry_) display_.clear();
        display_ += static_cast<char>('0' + static_cast<int>(key));
        newEntry_ = false;
        return std::nullopt;
    }
}

} // namespace zef
