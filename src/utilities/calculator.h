// The pocket calculator's logic: immediate execution with one accumulator and a pending
// operator, so that 2 + 3 * 4 = gives 20. Numbers are held in the interpreter's 6-byte
// real format and shown with the decimal comma.
#pragma once

#include <optional>
#include <string>

namespace zef {

enum class CalculatorKey {
    Digit0, Digit1, Digit2, Digit3, Digit4, Digit5, Digit6, Digit7, Digit8, Digit9,
    Comma, Equals, Plus, Minus, Times, Divide, Reciprocal, SquareRoot, Clear, Close
};

// The keyboard map: digits, "," and "." for the comma, the four operators, "=", C, S
// (square root) and X (reciprocal) in either case, Escape to close. Other characters
// map to nothing.
std::optional<CalculatorKey> calculatorKeyFor(char c);

// Rounds an extended value to the nearest 6-byte real, a half away from zero; nullopt
// when it is beyond the format's range.
std::optional<long double> roundToCalculatorReal(long double value);

// The display of a result held in the accumulator (see calculator.cpp for the rule).
std::string formatCalculatorResult(long double accumulator);

class Calculator {
public:
    // Applies one key. A refused key gives the French message to show; the accumulator,
    // the pending operator and the display then keep their values.
    std::optional<std::string> press(CalculatorKey key);
    // The "C" state, also the state of every opening of the window.
    void clear();

    const std::string& display() const { return display_; }

private:
    std::optional<std::string> equals();
    std::optional<std::string> readDisplay(long double& into) const;
    std::optional<std::string> unary(CalculatorKey key);

    std::string display_;
    long double accumulator_ = 0; // always a value of the 6-byte format
    long double operand_ = 0;
    char pending_ = 0;            // '+', '-', '*', '/' or 0 for none
    bool accumulatorSet_ = false;
    bool newEntry_ = false;       // the next digit starts a new number
};

} // namespace zef
