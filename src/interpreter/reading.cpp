// How a statement's text reads (see reading.h).
#include "reading.h"

#include "text.h"

#include <string_view>

namespace zef {

void splitStatement(const std::string& upper, const std::string& text, std::string& keyword,
                    std::string& argument) {
    const auto split = upper.find_first_of("( ");
    if (split != std::string::npos) {
        keyword = trim(upper.substr(0, split));
        argument = dropTrailing(trim(cut255(text.substr(split + 1))), ';');
    } else {
        keyword = trim(dropTrailing(upper, ';'));
    }
}

ReferenceText readReference(const std::string& text) {
    ReferenceText r;
    const auto open = text.find('[');
    if (open == std::string::npos) {
        r.name = text;
        return r;
    }
    r.element = true;
    r.name = text.substr(0, open + 1);
    const auto close = text.find(']', open + 1);
    r.closed = close != std::string::npos;
    if (r.closed) r.index = text.substr(open + 1, close - open - 1);
    return r;
}

bool isNumberStart(char c) { return std::string_view(".0123456789+-").find(c) != std::string_view::npos; }

bool isNumberCharacter(char c) { return std::string_view(".-+1234567890").find(c) != std::string_view::npos; }

bool isPlainNumber(const std::string& text) {
    for (char c : text)
        if (!isNumberCharacter(c)) return false;
    return true;
}

std::optional<std::string> quotedValue(const std::string& text) {
    // Only the first doubled quote is made one.
    std::string rest = text.substr(1);
    if (const auto pair = rest.find("''"); pair != std::string::npos) rest.erase(pair, 1);
    if (rest.empty() || rest.back() != '\'') return std::nullopt;
    rest.pop_back();
    return rest;
}

std::optional<std::string> quotedString(const std::string& text) {
    if (text.size() < 2 || text.back() != '\'') return std::nullopt;
    return text.substr(1, text.size() - 2);
}

OperatorSplit splitOperator(const std::string& expression) {
    const std::string text = trim(expression);
    OperatorSplit s{text, "", ""};
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

NumericOp numericOpOf(const std::string& op) {
    if (op.empty()) return NumericOp::None;
    if (op == "+") return NumericOp::Add;
    if (op == "-") return NumericOp::Sub;
    if (op == "*") return NumericOp::Mul;
    if (op == "/") return NumericOp::Divide;
    if (op == "\\") return NumericOp::IntDivide;
    if (op == "MOD") return NumericOp::Mod;
    return NumericOp::Power;
}

std::vector<std::string> builtinArguments(Function function, const std::string& argument) {
    const std::string inner = dropLast(argument);
    switch (function) {
    case Function::Pos: {
        const auto comma = inner.find(',');
        if (comma == std::string::npos) return {inner};
        return {inner.substr(0, comma), inner.substr(comma + 1)};
    }
    case Function::Copy: {
        const auto comma = inner.find(',');
        if (comma == std::string::npos) return {inner};
        const std::string rest = inner.substr(comma + 1);
        const auto comma2 = rest.find(',');
        if (comma2 == std::string::npos) return {inner.substr(0, comma), rest};
        return {inner.substr(0, comma), rest.substr(0, comma2), rest.substr(comma2 + 1)};
    }
    case Function::Abs:
    case Function::Int:
    case Function::Ord:
    case Function::Val:
    case Function::Sqrt:
    case Function::Sin:
    case Function::Cos:
    case Function::Ln:
    case Function::Exp: return {dropLast(trim(argument))};
    case Function::ParamStr: return {argument};
    default: return {inner};
    }
}

std::optional<int> parameterNumber(const std::string& argument) {
    if (argument.empty() || argument[0] < '0' || argument[0] > '9') return std::nullopt;
    return argument[0] - '0';
}

bool isDateArgument(const std::string& argument) { return upperAscii(argument) == "DATE"; }

StringTermText readStringTerm(const std::string& text) {
    StringTermText t;
    t.operand = trim(text);
    const auto open = t.operand.find('(');
    t.call = !(t.operand.size() > 0 && t.operand[0] == '\'') && open != std::string::npos;
    if (t.call) {
        t.function = functionFor(upperAscii(t.operand.substr(0, open)));
        t.argument = t.operand.substr(open + 1);
    }
    return t;
}

std::size_t stringPlus(const std::string& expression) {
    // 'x' + 'y' + 'z' thus reads its first operand as one literal from its first quote to
    // its last.
    bool outside = true;
    std::size_t plus = std::string::npos;
    for (std::size_t i = 0; i < expression.size(); ++i) {
        if (expression[i] == '\'') outside = !outside;
        else if (expression[i] == '+' && outside) plus = i;
    }
    return plus;
}

AssignmentText readAssignment(const std::string& line) {
    AssignmentText a;
    const auto assign = line.find(":=");
    if (assign == std::string::npos) return a;
    a.assigns = true;
    a.target = upperAscii(trim(line.substr(0, assign)));
    a.value = trim(cut255(line.substr(assign + 2)));
    return a;
}

int compareAsFields(const std::string& a, const std::string& b) {
    // Character i of the field: a blank before a short text, else the text's own.
    auto at = [](const std::string& v, std::size_t i) -> unsigned char {
        const std::size_t n = v.size() < 16 ? v.size() : 16;
        if (i < 16 - n) return ' ';
        return static_cast<unsigned char>(v[v.size() - 16 + i]);
    };
    for (std::size_t i = 0; i < 16; ++i) {
        const unsigned char ca = at(a, i), cb = at(b, i);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return 0;
}

ConditionText readCondition(const std::string& condition) {
    ConditionText c;
    const std::string upper = upperAscii(condition);
    const bool negated = startsWith(upper, "NOT EOF(");
    if (negated || startsWith(upper, "EOF(")) {
        c.form = negated ? ConditionText::Form::NotEndOfFile : ConditionText::Form::EndOfFile;
        c.file = trim(upperAscii(dropLast(trim(condition.substr(condition.find('(') + 1)))));
        return c;
    }
    std::size_t at = std::string::npos;
    std::string op;
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
            const char ch = condition[i];
            if (ch == '"' && !inSingle) inDouble = !inDouble;
            else if (ch == '\'' && !inDouble) inSingle = !inSingle;
            else if (!inDouble && !inSingle && (ch == '<' || ch == '>' || ch == '=')) {
                at = i;
                op = std::string(1, ch);
                break;
            }
        }
    }
    if (op.empty()) return c;
    c.form = ConditionText::Form::Comparison;
    c.left = trim(condition.substr(0, at));
    c.right = trim(condition.substr(at + op.size()));
    c.op = op == "="    ? Comparison::Equal
           : op == "<>" ? Comparison::NotEqual
           : op == "<"  ? Comparison::Less
           : op == ">"  ? Comparison::Greater
           : op == "<=" ? Comparison::LessEqual
                        : Comparison::GreaterEqual;
    return c;
}

std::optional<std::string> ifCondition(const std::string& argument) {
    // Whatever follows THEN on the IF line is ignored.
    const auto then = upperAscii(argument).find("THEN");
    if (then == std::string::npos) return std::nullopt;
    return trim(argument.substr(0, then));
}

std::optional<std::string> whileCondition(const std::string& argument) {
    if (!endsWith(upperAscii(argument), "DO")) return std::nullopt;
    return argument.substr(0, argument.size() - 2);
}

TransferText readTransfer(const std::string& argument, bool write) {
    // The closing parenthesis is the argument's last character; the "(" must stand right
    // after the keyword, else it stays part of the operand, which then fails.
    TransferText t;
    const std::string inner = dropLast(trim(argument));
    t.empty = inner.empty();
    if (t.empty) return t;
    // The destination ends at the first "," outside single quotes, so that a literal may
    // hold a comma.
    std::size_t comma = std::string::npos;
    bool inQuotes = false;
    for (std::size_t i = 0; i < inner.size() && comma == std::string::npos; ++i) {
        if (inner[i] == '\'') inQuotes = !inQuotes;
        else if (inner[i] == ',' && !inQuotes) comma = i;
    }
    std::string operand = inner;
    if (comma != std::string::npos) {
        t.toDestination = true;
        t.destination = upperAscii(trim(inner.substr(0, comma)));
        operand = inner.substr(comma + 1);
        if (write) operand = trim(operand);
    }
    t.operand = write ? operand : upperAscii(trim(operand));
    return t;
}

ForHeadingText readForHeading(const std::string& argument) {
    ForHeadingText h;
    const std::string text = upperAscii(argument);
    const auto assign = text.find(":=");
    h.assigns = assign != std::string::npos;
    if (!h.assigns) return h;
    h.counter = trim(text.substr(0, assign));
    const std::string rest = text.substr(assign + 2);
    h.downto = rest.find("DOWNTO") != std::string::npos;
    const auto to = rest.find("TO");
    h.hasTo = to != std::string::npos;
    if (!h.hasTo) return h;
    h.start = trim(rest.substr(0, rest.find(' ')));
    const std::string limit = trim(to + 3 <= rest.size() ? rest.substr(to + 3) : std::string());
    h.endsWithDo = endsWith(limit, "DO");
    if (h.endsWithDo) h.limit = trim(limit.substr(0, limit.size() - 2));
    return h;
}

namespace {
// The two parts of a text on either side of its first comma; false, with the parts left
// alone, when it has none.
bool splitAtComma(const std::string& text, std::string& before, std::string& after) {
    const auto comma = text.find(',');
    if (comma == std::string::npos) return false;
    before = text.substr(0, comma);
    after = text.substr(comma + 1);
    return true;
}
} // namespace

AssignFileText readAssignFile(const std::string& argument) {
    AssignFileText a;
    a.hasComma = splitAtComma(fileName(argument), a.file, a.name);
    a.file = trim(a.file);
    return a;
}

GotoxyText readGotoxy(const std::string& argument) {
    GotoxyText g;
    g.hasComma = splitAtComma(dropLast(argument), g.row, g.column);
    return g;
}

std::string procedureName(const std::string& argument) { return upperAscii(trim(argument)); }
std::string labelName(const std::string& argument) { return upperAscii(trim(argument)) + ":"; }
std::string fileName(const std::string& argument) { return upperAscii(trim(dropLast(argument))); }

} // namespace zef
