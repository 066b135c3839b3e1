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
    if (!e.joined) {
        text = StringTerm(e.first);
        return;
    }
    const std::string left = StringTerm(e.first);
    text = left + StringTerm(e.second);
}

std::string InterpreterPrivate::StringTerm(const StringTermReading& reading) {
    const StringTermText& term = reading.term;
    if (!term.call) {
        return StringValue(reading.operand);
    }
    const std::optional<Function> function = term.function;
    const ArgumentsText& arguments = reading.arguments;

    if (function == Function::Copy) {
        const StringOperandText& source = arguments.strings[0];
        if (arguments.count < 2) return source.written;
        const std::string s = StringValue(source);
        if (arguments.count < 3) return {}; // no count: from and count are 0
        // A position or a count that cannot be evaluated is reported, and then reported
        // again as no number.
        const auto number = [&](const ScalarText& operand) {
            bool failed = false;
            const std::string text = valueOrWritten(operand, failed);
            const auto n = failed ? std::nullopt : parseInteger(text);
            if (!n) fail(Message::ExpressionError);
            return *n;
        };
        const std::int32_t f = number(arguments.scalars[0]);
        const std::int32_t n = number(arguments.scalars[1]);
        std::string copy;
        appendCopy(copy, s, f, n);
        return copy;
    }
    if (function == Function::ParamStr) {
        const auto n = arguments.parameter;
        if (!n) fail(Message::BadIndex);
        return parameterText(*n);
    }
    if (function == Function::Chr || function == Function::IntToHex || function == Function::IntToStr) {
        const std::string value = ScalarValue(arguments.scalars[0]);
        if (auto text = textOfValue(*function, value, platform_.regional.decimalSeparator)) return std::move(*text);
        fail(Message::ConversionError);
    }
    if (function == Function::UpperCase || function == Function::LowerCase) {
        const std::string s = StringValue(arguments.strings[0]);
        return function == Function::UpperCase ? upperAscii(s) : lowerAscii(s);
    }
    if (function == Function::DateToStr || function == Function::TimeToStr) {
        if (!arguments.date) fail(Message::BadDateTime);
        std::string text;
        appendDateTime(*function, text);
        return text;
    }
    fail(Message::UnknownStatement);
}

// A numeric operand of a comparison: a number literal, or an integer or real variable or
// array element. Two such operands compare by value. The operands of a condition are
// trimmed, so the reference read of the trimmed text is the operand's own.
bool InterpreterPrivate::isNumericOperand(const ScalarText& operand) {
    const std::string& written = operand.written;
    if (written.empty()) return false;
    if (isNumberStart(written[0])) return true;
    const SymbolEntry* entry = findSymbol(operand.reference.lookup);
    return entry && (entry->Kind == SymbolKind::Integer || entry->Kind == SymbolKind::Real);
}

bool InterpreterPrivate::EvaluateCondition(const ConditionReading& reading) {
    const ConditionText& c = reading.condition;
    switch (c.form) {
    case ConditionText::Form::NotEndOfFile: return !FileEof(c.file);
    case ConditionText::Form::EndOfFile: return FileEof(c.file);
    case ConditionText::Form::NoOperator: fail(Message::BadCondition);
    case ConditionText::Form::Comparison: break;
    }
    const std::string left = ScalarValue(reading.left);
    const std::string right = ScalarValue(reading.right);

    int order = 0; // <0, 0, >0 like a comparison function
    bool compared = false;
    if (isNumericOperand(reading.left) && isNumericOperand(reading.right)) {
        // Literals are written with a point; variables' real texts use the regional separator.
        auto number = [&](const ScalarText& operand, const std::string& value) {
            if (const auto i = parseInteger(value)) return std::optional<double>(*i);
            const char sep = operand.form == ScalarText::Form::Number ? '.' : platform_.regional.decimalSeparator;
            auto d = parseReal(value, sep);
            if (!d) d = parseReal(value, platform_.regional.decimalSeparator);
            return d;
        };
        const auto a = number(reading.left, left), b = number(reading.right, right);
        if (a && b) {
            order = *a < *b ? -1 : (*a > *b ? 1 : 0);
            compared = true;
        }
    }
    if (!compared) order = compareAsFields(left, right);
    return satisfies(c.op, order);
}

} // namespace zef
