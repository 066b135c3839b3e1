// Numeric expressions: one operand, or one operator between two operands. There is no
// precedence, no chaining and no grouping; parentheses only enclose a built-in's argument.
#include "interpreter_p.h"
#include "vocabulary.h"

#include "numtext.h"
#include "text.h"

#include <cmath>
#include <limits>

namespace zef {
namespace {


// Integer division by a real quotient rounded to the nearest integer, a half going to the
// even neighbour; nullopt when the result does not fit in 32 bits.
std::optional<std::int32_t> roundHalfEven(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    const double r = std::nearbyint(value); // the default rounding mode: to nearest, ties even
    if (r < -2147483648.0 || r > 2147483647.0) return std::nullopt;
    return static_cast<std::int32_t>(r);
}


} // namespace

InterpreterPrivate::Split InterpreterPrivate::SplitOperator(const std::string& expression) {
    const std::string text = trim(expression);
    Split s{text, "", ""};
    // The first ")" ends any depth: there is no nesting count.
    bool inParens = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '(') inParens = true;
        else if (c == ')') inParens = false;
        else if (!inParens && inSet(c, "-+*/\\")) {
            // A leading "-" is itself the operator, with an empty (zero) left operand.
            s.left = trim(text.substr(0, i));
            s.op = std::string(1, c);
            s.right = trim(cut255(text.substr(i + 1)));
            return s;
        }
    }
    if (const auto pow = text.find("**"); pow != std::string::npos) {
        s.left = trim(text.substr(0, pow));
        s.op = "**";
        s.right = trim(cut255(text.substr(pow + 1))); // still starts with the second "*"
        return s;
    }
    if (const auto mod = upperAscii(text).find("MOD"); mod != std::string::npos) {
        s.left = trim(text.substr(0, mod));
        s.op = "MOD";
        s.right = trim(cut255(text.substr(mod + 3)));
    }
    return s;
}

void InterpreterPrivate::IntegerExpression(std::string& text) {
    runStatus_ = StatusOk;
    const Split s = SplitOperator(text);
    const std::int64_t a = IntegerOperand(s.left);
    if (runStatus_ > 0) return;
    const std::int64_t b = IntegerOperand(s.right);
    if (runStatus_ > 0) return;
    std::int32_t result = 0;
    if (s.op.empty()) result = static_cast<std::int32_t>(a);
    else if (s.op == "+") result = wrap32(a + b);
    else if (s.op == "-") result = wrap32(a - b);
    else if (s.op == "*") result = wrap32(a * b);
    else if (s.op == "\\" || s.op == "MOD") {
        // Division by zero stops the run without a message of its own.
        if (b == 0) {
            runStatus_ = StatusStop;
            return;
        }
        result = s.op == "MOD" ? wrap32(a % b) : wrap32(a / b);
    } else if (s.op == "/") {
        const auto q = b == 0 ? std::nullopt : roundHalfEven(double(a) / double(b));
        if (!q) {
            runStatus_ = StatusStop;
            return;
        }
        result = *q;
    }
    text = formatInteger(result);
}

std::int32_t InterpreterPrivate::IntegerOperand(const std::string& operandText) {
    const std::string operand = trim(operandText);
    if (operand.empty()) return 0;
    if (inSet(operand[0], "0123456789+-")) {
        // A number that does not convert is not the interpreter's to handle: the run is
        // abandoned with the conversion's own report.
        if (const auto v = parseInteger(operand)) return *v;
        runStatus_ = StatusStop;
        throw RunAbandoned(messageFor(Message::NotAnInteger, operand));
    }
    const std::string upper = upperAscii(operand);
    if (const SymbolEntry* entry = findSymbol(upper)) {
        if (entry->Kind != SymbolKind::Integer) {
            fail(Message::OperandType);
            return 0;
        }
        return LitValeur(entry->Index, SymbolKind::Integer).i;
    }
    if (functionFor(upper) == Function::ParamCount) {
        splitArguments();
        return argumentCount_;
    }
    if (const auto open = operand.find('('); open != std::string::npos)
        return IntegerBuiltin(upper.substr(0, open), operand.substr(open + 1));
    if (const auto open = operand.find('['); open != std::string::npos) {
        const std::int32_t slot = numericElement(operand, open, SymbolKind::Integer);
        return slot ? LitValeur(slot, SymbolKind::Integer).i : 0;
    }
    fail(Message::ExpressionError);
    return 0;
}

std::int32_t InterpreterPrivate::numericElement(const std::string& operand, std::size_t open, SymbolKind kind) {
    const SymbolEntry* entry = findSymbol(upperAscii(operand.substr(0, open + 1)));
    if (!entry) {
        fail(Message::UnknownStatement);
        return 0;
    }
    if (entry->Kind != kind) {
        fail(Message::ElementType);
        return 0;
    }
    if (operand.find(']', open) == std::string::npos) {
        fail(Message::SyntaxError);
        return 0;
    }
    std::string name;
    SymbolKind k = SymbolKind::None;
    std::int32_t slot = 0;
    bool found = false;
    return resolveReference(operand, name, k, slot, found) ? slot : 0;
}

// The argument of ABS, INT, ORD, VAL and of the real built-ins: one literal or one
// variable reference, closing parenthesis removed. Its value text is returned even when it
// could not be evaluated, so that the conversion that follows reports it as well.
std::string InterpreterPrivate::builtinArgument(const std::string& argument) {
    std::string value = dropLast(trim(argument));
    ScalarValue(value);
    return value;
}

std::int32_t InterpreterPrivate::IntegerBuiltin(const std::string& name, const std::string& argument) {
    const auto function = functionFor(name);
    if (function == Function::Pos || function == Function::Length) {
        const std::string inner = dropLast(argument);
        if (function == Function::Length) {
            std::string s = inner;
            StringValue(s);
            return runStatus_ > 0 ? 0 : static_cast<std::int32_t>(s.size());
        }
        const auto comma = inner.find(',');
        if (comma == std::string::npos) {
            fail(Message::SyntaxError);
            return 0;
        }
        std::string needle = inner.substr(0, comma), haystack = inner.substr(comma + 1);
        StringValue(needle);
        if (runStatus_ > 0) return 0;
        StringValue(haystack);
        if (runStatus_ > 0) return 0;
        const auto at = haystack.find(needle);
        return at == std::string::npos ? 0 : static_cast<std::int32_t>(at) + 1;
    }
    if (function != Function::Abs && function != Function::Int && function != Function::Ord &&
        function != Function::Val) {
        fail(Message::ExpressionError);
        return 0;
    }
    const std::string value = builtinArgument(argument);
    auto failed = [&]() {
        fail(Message::BadNumber, value);
        return 0;
    };
    if (function == Function::Ord) {
        if (value.empty()) return failed();
        return static_cast<unsigned char>(value[0]);
    }
    if (function == Function::Int) {
        const auto d = parseReal(value, platform_.regional.decimalSeparator);
        const auto r = d ? roundToReal48(*d) : std::nullopt;
        const auto i = r ? roundHalfEven(*r) : std::nullopt;
        return i ? *i : failed();
    }
    const auto i = parseInteger(value);
    if (!i) return failed();
    if (function == Function::Abs) return wrap32(std::llabs(*i));
    return *i;
}

void InterpreterPrivate::RealExpression(std::string& text) {
    runStatus_ = StatusOk;
    const Split s = SplitOperator(text);
    const double a = RealOperand(s.left);
    if (runStatus_ > 0) return;
    const double b = RealOperand(s.right);
    if (runStatus_ > 0) return;
    double result = 0;
    if (s.op.empty()) result = a;
    else if (s.op == "+") result = a + b;
    else if (s.op == "-") result = a - b;
    else if (s.op == "*") result = a * b;
    else if (s.op == "/") {
        if (b == 0) {
            runStatus_ = StatusStop; // division by zero: no message of its own
            return;
        }
        result = a / b;
    }
    // The backslash, MOD and "**" give 0 on reals.
    const auto stored = roundToReal48(result);
    if (!stored) {
        runStatus_ = StatusStop; // too large for the format, or not a number
        return;
    }
    text = formatReal(*stored, platform_.regional.decimalSeparator);
}

double InterpreterPrivate::RealOperand(const std::string& operandText) {
    const std::string operand = trim(operandText);
    if (operand.empty()) return 0;
    const char sep = platform_.regional.decimalSeparator;
    if (inSet(operand[0], "0123456789+-.")) {
        const auto d = parseReal(operand, sep);
        const auto r = d ? roundToReal48(*d) : std::nullopt;
        if (r) return *r;
        runStatus_ = StatusStop;
        throw RunAbandoned(messageFor(Message::NotAReal, operand));
    }
    const std::string upper = upperAscii(operand);
    if (const SymbolEntry* entry = findSymbol(upper)) {
        if (entry->Kind != SymbolKind::Real) {
            fail(Message::OperandType);
            return 0;
        }
        return LitValeur(entry->Index, SymbolKind::Real).r.toDouble();
    }
    if (functionFor(upper) == Function::Random) {
        // 39 random bits: every value is exact in the 6-byte format and stays below 1.
        const std::uint64_t bits = (std::uint64_t{random_()} << 7) ^ (random_() >> 25);
        return std::ldexp(static_cast<double>(bits & ((std::uint64_t{1} << 39) - 1)), -39);
    }
    if (const auto open = operand.find('('); open != std::string::npos)
        return RealBuiltin(upper.substr(0, open), operand.substr(open + 1));
    if (const auto open = operand.find('['); open != std::string::npos) {
        const std::int32_t slot = numericElement(operand, open, SymbolKind::Real);
        return slot ? LitValeur(slot, SymbolKind::Real).r.toDouble() : 0;
    }
    fail(Message::ExpressionError);
    return 0;
}

double InterpreterPrivate::RealBuiltin(const std::string& name, const std::string& argument) {
    const auto function = functionFor(name);
    if (function != Function::Abs && function != Function::Sqrt && function != Function::Sin &&
        function != Function::Cos && function != Function::Ln && function != Function::Exp) {
        fail(Message::ExpressionError);
        return 0;
    }
    const std::string value = builtinArgument(argument);
    const auto parsed = parseReal(value, platform_.regional.decimalSeparator);
    const auto x = parsed ? roundToReal48(*parsed) : std::nullopt;
    std::optional<double> result;
    if (x) {
        const double v = *x;
        if (function == Function::Abs) result = std::fabs(v);
        else if (function == Function::Sqrt) result = v < 0 ? std::nullopt : std::optional(std::sqrt(v));
        else if (function == Function::Sin) result = std::sin(v);
        else if (function == Function::Cos) result = std::cos(v);
        else if (function == Function::Ln) result = v <= 0 ? std::nullopt : std::optional(std::log(v));
        else result = std::exp(v);
    }
    const auto stored = result ? roundToReal48(*result) : std::nullopt;
    if (!stored) {
        fail(Message::BadNumber, value);
        return 0;
    }
    return *stored;
}

} // namespace zef
