// Numeric expressions: one operand, or one operator between two operands. There is no
// precedence, no chaining and no grouping; parentheses only enclose a built-in's argument.
#include "interpreter_p.h"
#include "vocabulary.h"
#include "reading.h"

#include "numtext.h"
#include "text.h"

#include <cmath>
#include <limits>

namespace zef {

void InterpreterPrivate::IntegerExpression(const NumericExpressionText& e, std::string& text) {
    runStatus_ = StatusOk;
    const std::int64_t a = IntegerOperand(e.left);
    if (runStatus_ > 0) return;
    const std::int64_t b = IntegerOperand(e.right);
    if (runStatus_ > 0) return;
    // Division by zero, or a quotient beyond 32 bits, stops the run without a message of
    // its own.
    const auto result = integerOperation(e.op, a, b);
    if (!result) return stopWithout(b == 0 ? StopReason::DivisionByZero : StopReason::Overflow);
    text = formatInteger(*result);
}

std::int32_t InterpreterPrivate::IntegerOperand(const NumericOperandText& r) {
    switch (r.form) {
    case NumericOperandText::Form::Empty: return 0;
    case NumericOperandText::Form::Number:
        // A number that does not convert is not the interpreter's to handle: the run is
        // abandoned with the conversion's own report.
        if (const auto v = parseInteger(r.operand)) return *v;
        runStatus_ = StatusStop;
        throw RunAbandoned(messageFor(Message::NotAnInteger, r.operand));
    case NumericOperandText::Form::Variable:
        if (r.kind != SymbolKind::Integer) break;
        return LitValeur(r.slot, SymbolKind::Integer).i;
    case NumericOperandText::Form::Nullary: return parameterCount();
    case NumericOperandText::Form::Call: return IntegerBuiltin(r.function, r.arguments);
    case NumericOperandText::Form::Element: {
        const std::int32_t slot = numericElement(r.element, SymbolKind::Integer);
        return slot ? LitValeur(slot, SymbolKind::Integer).i : 0;
    }
    case NumericOperandText::Form::Unknown: fail(Message::ExpressionError); return 0;
    }
    fail(Message::OperandType);
    return 0;
}

std::int32_t InterpreterPrivate::numericElement(const ReferenceReading& element, SymbolKind kind) {
    const SymbolEntry* entry = findSymbol(element.lookup);
    if (!entry) {
        fail(Message::UnknownStatement);
        return 0;
    }
    if (entry->Kind != kind) {
        fail(Message::ElementType);
        return 0;
    }
    if (!element.reference.closed) {
        fail(Message::SyntaxError);
        return 0;
    }
    std::string name;
    SymbolKind k = SymbolKind::None;
    std::int32_t slot = 0;
    bool found = false;
    return resolveReference(element, name, k, slot, found) ? slot : 0;
}

// The argument of ABS, INT, ORD, VAL and of the real built-ins: one literal or one
// variable reference. Its value text is returned even when it could not be evaluated, so
// that the conversion that follows reports it as well.
std::string InterpreterPrivate::builtinArgument(const ArgumentsText& arguments) {
    return ScalarValue(arguments.scalars.front());
}

std::int32_t InterpreterPrivate::IntegerBuiltin(std::optional<Function> function,
                                                const ArgumentsText& arguments) {
    if (function == Function::Pos || function == Function::Length) {
        const std::vector<StringOperandText>& strings = arguments.strings;
        if (function == Function::Length) {
            const std::string s = StringValue(strings[0]);
            return runStatus_ > 0 ? 0 : static_cast<std::int32_t>(s.size());
        }
        if (arguments.count < 2) {
            fail(Message::SyntaxError);
            return 0;
        }
        const std::string needle = StringValue(strings[0]);
        if (runStatus_ > 0) return 0;
        const std::string haystack = StringValue(strings[1]);
        if (runStatus_ > 0) return 0;
        return positionOf(needle, haystack);
    }
    if (function != Function::Abs && function != Function::Int && function != Function::Ord &&
        function != Function::Val) {
        fail(Message::ExpressionError);
        return 0;
    }
    const std::string value = builtinArgument(arguments);
    if (const auto i = integerOfValue(*function, value, platform_.regional.decimalSeparator)) return *i;
    fail(Message::BadNumber, value);
    return 0;
}

std::optional<double> realOfValue(Function function, const std::string& value, char separator) {
    const auto parsed = parseReal(value, separator);
    const auto x = parsed ? roundToReal48(*parsed) : std::nullopt;
    const auto result = x ? realFunction(function, *x) : std::nullopt;
    return result ? roundToReal48(*result) : std::nullopt;
}

std::optional<std::string> textOfValue(Function function, const std::string& value, char separator) {
    if (function == Function::IntToStr) {
        if (!parseReal(value, separator)) return std::nullopt;
        return value;
    }
    const auto i = parseInteger(value);
    if (!i) return std::nullopt;
    std::string result;
    if (function == Function::Chr) appendChr(result, *i);
    else if (function == Function::IntToHex) appendHex(result, *i);
    else return std::nullopt;
    return result;
}

void InterpreterPrivate::RealExpression(const NumericExpressionText& e, std::string& text) {
    runStatus_ = StatusOk;
    const double a = RealOperand(e.left);
    if (runStatus_ > 0) return;
    const double b = RealOperand(e.right);
    if (runStatus_ > 0) return;
    const auto result = realOperation(e.op, a, b);
    // Neither a division by zero nor a result too large for the format has a message of its
    // own. (The operands are reals of the format: no operation on them gives "not a number".)
    if (!result) return stopWithout(StopReason::DivisionByZero);
    const auto stored = roundToReal48(*result);
    if (!stored) return stopWithout(StopReason::Overflow);
    text = formatReal(*stored, platform_.regional.decimalSeparator);
}

double InterpreterPrivate::RealOperand(const NumericOperandText& r) {
    switch (r.form) {
    case NumericOperandText::Form::Empty: return 0;
    case NumericOperandText::Form::Number: {
        const auto d = parseReal(r.operand, platform_.regional.decimalSeparator);
        const auto v = d ? roundToReal48(*d) : std::nullopt;
        if (v) return *v;
        runStatus_ = StatusStop;
        throw RunAbandoned(messageFor(Message::NotAReal, r.operand));
    }
    case NumericOperandText::Form::Variable:
        if (r.kind != SymbolKind::Real) break;
        return LitValeur(r.slot, SymbolKind::Real).r.toDouble();
    case NumericOperandText::Form::Nullary: return nextRandom();
    case NumericOperandText::Form::Call: return RealBuiltin(r.function, r.arguments);
    case NumericOperandText::Form::Element: {
        const std::int32_t slot = numericElement(r.element, SymbolKind::Real);
        return slot ? LitValeur(slot, SymbolKind::Real).r.toDouble() : 0;
    }
    case NumericOperandText::Form::Unknown: fail(Message::ExpressionError); return 0;
    }
    fail(Message::OperandType);
    return 0;
}

void InterpreterPrivate::RandomizeStatement() { random_.seed(platform_.clock->randomSeed()); }

double InterpreterPrivate::nextRandom() {
    // 39 random bits: every value is exact in the 6-byte format and stays below 1.
    const std::uint64_t high = random_();
    const std::uint64_t low = random_();
    const std::uint64_t bits = (high << 7) ^ (low >> 25);
    return std::ldexp(static_cast<double>(bits & ((std::uint64_t{1} << 39) - 1)), -39);
}

double InterpreterPrivate::RealBuiltin(std::optional<Function> function, const ArgumentsText& arguments) {
    if (function != Function::Abs && function != Function::Sqrt && function != Function::Sin &&
        function != Function::Cos && function != Function::Ln && function != Function::Exp) {
        fail(Message::ExpressionError);
        return 0;
    }
    const std::string value = builtinArgument(arguments);
    if (const auto stored = realOfValue(*function, value, platform_.regional.decimalSeparator)) return *stored;
    fail(Message::BadNumber, value);
    return 0;
}

} // namespace zef
