// String expressions (at most two operands joined by "+"), the string built-ins, the run
// parameters and the conditions of the control statements.
#include "interpreter_p.h"
#include "vocabulary.h"
#include "decode.h"

#include "numtext.h"
#include "text.h"

#include <cstdio>

namespace zef {

void InterpreterPrivate::StringExpression(std::string& text) {
    runStatus_ = StatusOk;
    // The split is at the last "+" outside quotes, so 'x' + 'y' + 'z' reads its first
    // operand as one literal from its first to its last quote.
    bool outside = true;
    std::size_t plus = std::string::npos;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\'') outside = !outside;
        else if (text[i] == '+' && outside) plus = i;
    }
    if (plus == std::string::npos) {
        const std::string result = StringTerm(text);
        if (runStatus_ == StatusOk) text = result;
        return;
    }
    const std::string left = StringTerm(text.substr(0, plus));
    if (runStatus_ > 0) return;
    const std::string right = StringTerm(cut255(text.substr(plus + 1)));
    if (runStatus_ > 0) return;
    text = left + right;
}

std::string InterpreterPrivate::StringTerm(const std::string& operandText) {
    std::string operand = trim(operandText);
    const auto open = operand.find('(');
    if ((!operand.empty() && operand[0] == '\'') || open == std::string::npos) {
        StringValue(operand);
        return operand;
    }
    const std::string name = upperAscii(operand.substr(0, open));
    const std::string argument = operand.substr(open + 1); // still ends with ")"
    const std::string inner = dropLast(argument);
    const auto function = functionFor(name);

    if (function == Function::Copy) {
        const auto comma = inner.find(',');
        if (comma == std::string::npos) return inner;
        std::string s = inner.substr(0, comma);
        StringValue(s);
        if (runStatus_ > 0) return {};
        const std::string rest = inner.substr(comma + 1);
        const auto comma2 = rest.find(',');
        if (comma2 == std::string::npos) return {}; // no count: from and count are 0
        std::string from = rest.substr(0, comma2), count = rest.substr(comma2 + 1);
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
        const std::int64_t start = *f < 1 ? 1 : *f;
        if (start > static_cast<std::int64_t>(s.size()) || *n < 0) return {};
        return s.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(*n));
    }
    if (function == Function::ParamStr) {
        // Only the first character counts: PARAMSTR(12) is parameter 1.
        if (argument.empty() || argument[0] < '0' || argument[0] > '9') {
            fail(Message::BadIndex);
            return {};
        }
        const int n = argument[0] - '0';
        splitArguments();
        if (n == 0) return programName_;
        return n <= argumentCount_ ? argumentTexts_[n] : std::string();
    }
    if (function == Function::Chr || function == Function::IntToHex || function == Function::IntToStr) {
        std::string value = inner;
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
        if (function == Function::Chr) return std::string(1, static_cast<char>(*i & 0xFF));
        char hex[16];
        std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(*i));
        return hex;
    }
    if (function == Function::UpperCase || function == Function::LowerCase) {
        std::string s = inner;
        StringValue(s);
        if (runStatus_ > 0) return {};
        return function == Function::UpperCase ? upperAscii(s) : lowerAscii(s);
    }
    if (function == Function::DateToStr || function == Function::TimeToStr) {
        if (upperAscii(inner) != "DATE") {
            fail(Message::BadDateTime);
            return {};
        }
        const DateTime dt = now();
        return function == Function::DateToStr ? platform_.regional.formatDate(dt)
                                   : platform_.regional.formatTime(dt);
    }
    fail(Message::UnknownStatement);
    return {};
}

// A numeric operand of a comparison: a number literal, or an integer or real variable or
// array element. Two such operands compare by value.
bool InterpreterPrivate::isNumericOperand(const std::string& operand) {
    if (operand.empty()) return false;
    if (std::string_view(".0123456789+-").find(operand[0]) != std::string_view::npos) return true;
    const auto open = operand.find('[');
    const std::string name = upperAscii(open == std::string::npos ? operand : operand.substr(0, open + 1));
    const SymbolEntry* entry = findSymbol(name);
    return entry && (entry->Kind == SymbolKind::Integer || entry->Kind == SymbolKind::Real);
}

bool findComparison(const std::string& condition, std::size_t& at, std::string& op) {
    op.clear();
    for (const char* two : {"<=", ">=", "<>"}) {
        if ((at = condition.find(two)) != std::string::npos) {
            op = two;
            break;
        }
    }
    if (op.empty()) {
        // Text between double quotes and single-quoted literals hold no operator.
        bool inDouble = false, inSingle = false;
        for (std::size_t i = 0; i < condition.size(); ++i) {
            const char c = condition[i];
            if (c == '"' && !inSingle) inDouble = !inDouble;
            else if (c == '\'' && !inDouble) inSingle = !inSingle;
            else if (!inDouble && !inSingle && (c == '<' || c == '>' || c == '=')) {
                at = i;
                op = std::string(1, c);
                break;
            }
        }
    }
    return !op.empty();
}

bool InterpreterPrivate::EvaluateCondition(const std::string& condition) {
    const std::string upper = upperAscii(condition);
    if (startsWith(upper, "NOT EOF(")) return !FileEof(condition.substr(condition.find('(') + 1));
    if (startsWith(upper, "EOF(")) return FileEof(condition.substr(condition.find('(') + 1));

    std::size_t at = std::string::npos;
    std::string op;
    if (!findComparison(condition, at, op)) {
        fail(Message::BadCondition);
        return false;
    }
    const std::string leftOperand = trim(condition.substr(0, at));
    const std::string rightOperand = trim(condition.substr(at + op.size()));
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
            const char sep = std::string_view(".0123456789+-").find(operand[0]) != std::string_view::npos
                                 ? '.'
                                 : platform_.regional.decimalSeparator;
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
    if (!compared) {
        // Right-aligned in 16 characters, compared by character code: shorter texts come
        // first, and a longer value loses its leading characters.
        auto field = [](const std::string& v) {
            const std::string padded = std::string(16, ' ') + v;
            return padded.substr(padded.size() - 16);
        };
        const std::string a = field(left), b = field(right);
        for (std::size_t i = 0; i < 16 && order == 0; ++i) {
            const auto ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
            if (ca != cb) order = ca < cb ? -1 : 1;
        }
    }
    if (op == "=") return order == 0;
    if (op == "<>") return order != 0;
    if (op == "<") return order < 0;
    if (op == ">") return order > 0;
    if (op == "<=") return order <= 0;
    return order >= 0;
}

} // namespace zef
