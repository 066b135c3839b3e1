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
    const std::int64_t a = IntegerOperand(e.left);
    const std::int64_t b = IntegerOperand(e.right);
    // Division by zero, or a quotient beyond 32 bits, stops the run without a message of
    // its own.
    const auto result = integerOperation(e.op, a, b);
    if (!result) stopWithout(b == 0 ? StopReason::DivisionByZero : StopReason::Overflow);
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
    case NumericOperandText::Form::Element:
        return LitValeur(numericElement(r.element, SymbolKind::Integer), SymbolKind::Integer).i;
    case NumericOperandText::Form::Unknown: fail(Message::ExpressionError);
    }
    fail(Message::OperandType);
}

std::int32_t InterpreterPrivate::numericElement(const ReferenceReading& element, SymbolKind kind) {
    const SymbolEntry* entry = findSymbol(element.lookup);
    if (!entry) fail(Message::UnknownStatement);
    if (entry->Kind != kind) fail(Message::ElementType);
    if (!element.reference.closed) fail(Message::SyntaxError);
    std::string name;
    SymbolKind k = SymbolKind::None;
    std::int32_t slot = 0;
    (void)resolveReference(element, name, k, slot); // the symbol is there
    return slot;
}

std::int32_t InterpreterPrivate::IntegerBuiltin(std::optional<Function> function,
                                                const ArgumentsText& arguments) {
    if (function == Function::Pos || function == Function::Length) {
        const std::vector<StringOperandText>& strings = arguments.strings;
        if (function == Function::Length) return static_cast<std::int32_t>(StringValue(strings[0]).size());
        if (arguments.count < 2) fail(Message::SyntaxError);
        const std::string needle = StringValue(strings[0]);
        const std::string haystack = StringValue(strings[1]);
        return positionOf(needle, haystack);
    }
    if (function != Function::Abs && function != Function::Int && function != Function::Ord &&
        function != Function::Val)
        fail(Message::ExpressionError);
    return ofArgument(arguments, [&](const std::string& value) {
        return integerOfValue(*function, value, platform_.regional.decimalSeparator);
    });
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
    const double a = RealOperand(e.left);
    const double b = RealOperand(e.right);
    const auto result = realOperation(e.op, a, b);
    // Neither a division by zero nor a result too large for the format has a message of its
    // own. (The operands are reals of the format: no operation on them gives "not a number".)
    if (!result) stopWithout(StopReason::DivisionByZero);
    const auto stored = roundToReal48(*result);
    if (!stored) stopWithout(StopReason::Overflow);
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
    case NumericOperandText::Form::Element:
        return LitValeur(numericElement(r.element, SymbolKind::Real), SymbolKind::Real).r.toDouble();
    case NumericOperandText::Form::Unknown: fail(Message::ExpressionError);
    }
    fail(Message::OperandType);
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
        function != Function::Cos && function != Function::Ln && function != Function::Exp)
        fail(Message::ExpressionError);
    return ofArgument(arguments, [&](const std::string& value) {
        return realOfValue(*function, value, platform_.regional.decimalSeparator);
    });
}

} // namespace zef
