// String expressions (at most two operands joined by "+"), the string built-ins, the run
// parameters and the conditions of the control statements.
#include "interpreter_p.h"
#include "vocabulary.h"
#include "reading.h"

#include "numtext.h"
#include "text.h"

#include <cstdio>

namespace zef {

void InterpreterPrivate::StringExpression(const StringExpressionText& e, std::string& text) {
    runStatus_ = StatusOk;
    if (!e.joined) {
        std::string result = StringTerm(e.first);
        if (runStatus_ == StatusOk) text = std::move(result);
        return;
    }
    const std::string left = StringTerm(e.first);
    if (runStatus_ > 0) return;
    const std::string right = StringTerm(e.second);
    if (runStatus_ > 0) return;
    text = left + right;
}

std::string InterpreterPrivate::StringTerm(const StringTermReading& reading) {
    const StringTermText& term = reading.term;
    if (!term.call) {
        std::string value = term.operand;
        StringValue(value);
        return value;
    }
    const std::optional<Function> function = term.function;
    const std::vector<std::string>& arguments = reading.arguments;

    if (function == Function::Copy) {
        if (arguments.size() < 2) return arguments[0];
        std::string s = arguments[0];
        StringValue(s);
        if (runStatus_ > 0) return {};
        if (arguments.size() < 3) return {}; // no count: from and count are 0
        std::string from = arguments[1], count = arguments[2];
        ScalarValue(from);
        const auto f = runStatus_ == StatusOk ? parseInteger(from) : std::nullopt;
        if (runStatus_ > 0 || !f) {
            fail(Message::ExpressionError);
            return {};
        }
        ScalarValue(count);
        const auto n = runStatus_ == StatusOk ? parseInteger(count) : std::nullopt;
        if (runStatus_ > 0 || !n) {
            fail(Message::ExpressionError);
            return {};
        }
        std::string copy;
        appendCopy(copy, s, *f, *n);
        return copy;
    }
    if (function == Function::ParamStr) {
        const auto n = parameterNumber(arguments[0]);
        if (!n) {
            fail(Message::BadIndex);
            return {};
        }
        return parameterText(*n);
    }
    if (function == Function::Chr || function == Function::IntToHex || function == Function::IntToStr) {
        std::string value = arguments[0];
        ScalarValue(value);
        if (runStatus_ > 0) return {};
        if (function == Function::IntToStr) {
            if (!parseReal(value, platform_.regional.decimalSeparator)) {
                fail(Message::ConversionError);
                return {};
            }
            return value;
        }
        const auto i = parseInteger(value);
        if (!i) {
            fail(Message::ConversionError);
            return {};
        }
        std::string result;
        if (function == Function::Chr) appendChr(result, *i);
        else appendHex(result, *i);
        return result;
    }
    if (function == Function::UpperCase || function == Function::LowerCase) {
        std::string s = arguments[0];
        StringValue(s);
        if (runStatus_ > 0) return {};
        return function == Function::UpperCase ? upperAscii(s) : lowerAscii(s);
    }
    if (function == Function::DateToStr || function == Function::TimeToStr) {
        if (!isDateArgument(arguments[0])) {
            fail(Message::BadDateTime);
            return {};
        }
        std::string text;
        appendDateTime(*function, text);
        return text;
    }
    fail(Message::UnknownStatement);
    return {};
}

// A numeric operand of a comparison: a number literal, or an integer or real variable or
// array element. Two such operands compare by value.
bool InterpreterPrivate::isNumericOperand(const std::string& operand) {
    if (operand.empty()) return false;
    if (isNumberStart(operand[0])) return true;
    const SymbolEntry* entry = findSymbol(upperAscii(readReference(operand).name));
    return entry && (entry->Kind == SymbolKind::Integer || entry->Kind == SymbolKind::Real);
}

bool InterpreterPrivate::EvaluateCondition(const ConditionText& c) {
    switch (c.form) {
    case ConditionText::Form::NotEndOfFile: return !FileEof(c.file);
    case ConditionText::Form::EndOfFile: return FileEof(c.file);
    case ConditionText::Form::NoOperator: fail(Message::BadCondition); return false;
    case ConditionText::Form::Comparison: break;
    }
    const std::string& leftOperand = c.left;
    const std::string& rightOperand = c.right;
    std::string left = leftOperand, right = rightOperand;
    ScalarValue(left);
    if (runStatus_ > 0) return false;
    ScalarValue(right);
    if (runStatus_ > 0) return false;

    int order = 0; // <0, 0, >0 like a comparison function
    bool compared = false;
    if (isNumericOperand(leftOperand) && isNumericOperand(rightOperand)) {
        // Literals are written with a point; variables' real texts use the regional separator.
        auto number = [&](const std::string& operand, const std::string& value) {
            if (const auto i = parseInteger(value)) return std::optional<double>(*i);
            const char sep = isNumberStart(operand[0]) ? '.' : platform_.regional.decimalSeparator;
            auto d = parseReal(value, sep);
            if (!d) d = parseReal(value, platform_.regional.decimalSeparator);
            return d;
        };
        const auto a = number(leftOperand, left), b = number(rightOperand, right);
        if (a && b) {
            order = *a < *b ? -1 : (*a > *b ? 1 : 0);
            compared = true;
        }
    }
    if (!compared) order = compareAsFields(left, right);
    return satisfies(c.op, order);
}

} // namespace zef
