// Decoding the program's lines once per run: the statement a line holds, its operands
// resolved against the symbol table, and the block structure around it. Every rule here
// mirrors what the text path does with the same line; where the text path would fail, or
// where its result depends on more than the line and the symbols, no fast form is made.
#include "decode.h"

#include "numtext.h"
#include "real48.h"
#include "text.h"

#include <algorithm>
#include <map>

namespace zef {

namespace {

const std::string kNoText;

bool sameSymbols(const std::vector<SymbolEntry>& a, const std::vector<SymbolEntry>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].Name != b[i].Name || a[i].Kind != b[i].Kind || a[i].Index != b[i].Index ||
            a[i].Count != b[i].Count)
            return false;
    return true;
}

std::string withoutMarker(const std::string& raw) {
    if (hasBreakpointMarker(raw)) return raw.substr(1);
    return raw;
}

DecodedLine fromText(const std::string& raw) {
    DecodedLine d;
    d.raw = raw;
    d.marked = hasBreakpointMarker(raw);
    d.text = withoutMarker(raw);
    d.prepared = preparedLine(d.text);
    // Decoded when the driver's loop first comes to it, without leaving the loop.
    d.loopSafe = true;
    d.handler = &FastPath::decodeAndRun;
    return d;
}

} // namespace

void DecodedProgram::clear() {
    lines_.clear();
    terminators_.clear();
    // Decoded again against the next symbols: a procedure may be named like a closing word.
    closings_[static_cast<std::size_t>(Closing::Next)] = fromText("NEXT");
    closings_[static_cast<std::size_t>(Closing::Wend)] = fromText("WEND");
    closings_[static_cast<std::size_t>(Closing::Until)] = fromText("UNTIL");
    closings_[static_cast<std::size_t>(Closing::EndSub)] = fromText("ENDSUB");
    linesRevision_ = 0;
    ++generation_;
}

void DecodedProgram::refresh(const LineList& lines, const std::vector<SymbolEntry>& symbols,
                             bool fresh) {
    // A procedure named like a statement word changes what a line means, so every form
    // decoded against another symbol table is dropped.
    if (fresh || !sameSymbols(symbols, symbols_)) {
        clear();
        symbols_ = symbols;
    } else if (lines.revision() != 0 && lines.revision() == linesRevision_) {
        return; // the same lines as last time, decoded already
    }
    linesRevision_ = lines.revision();
    const auto n = static_cast<std::size_t>(std::max(0, lines.count()));
    bool changed = n != lines_.size();
    const std::size_t kept = lines_.size();
    lines_.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        std::string raw = lines.line(static_cast<int>(i));
        if (i < kept && lines_[i].raw == raw) continue;
        lines_[i] = fromText(raw);
        changed = true;
    }
    // The block structure of a line depends on the lines around it.
    if (changed) ++generation_;
}

DecodedLine& DecodedProgram::addTerminator(const std::string& word) {
    // Reserved once, so that the references the driver holds stay valid.
    if (terminators_.capacity() == 0) terminators_.reserve(16);
    if (terminators_.size() == terminators_.capacity()) terminators_.clear();
    terminators_.push_back(fromText(word));
    return terminators_.back();
}

const std::string& DecodedProgram::prepared(std::int32_t index) const {
    if (index < 0 || index >= count()) return kNoText;
    return lines_[static_cast<std::size_t>(index)].prepared;
}

std::optional<std::int32_t> DecodedProgram::bodyEnd(std::int32_t heading) const {
    if (heading + 1 >= count()) return std::nullopt;
    if (prepared(heading + 1) != "BEGIN") return heading + 1;
    int depth = 0;
    for (std::int32_t i = heading + 1; i < count(); ++i) {
        const std::string& text = prepared(i);
        if (text == "BEGIN") ++depth;
        if (startsWith(text, "END")) --depth;
        if (depth == 0) return i;
    }
    return std::nullopt;
}

std::optional<std::int32_t> DecodedProgram::elseAfter(std::int32_t line) const {
    for (std::int32_t i = line + 1; i < count(); ++i)
        if (prepared(i) == "ELSE") return i;
    return std::nullopt;
}

} // namespace zef

// ---- Decoding one line ----

namespace zef {
namespace {

class Decoder {
  public:
    explicit Decoder(const InterpreterPrivate& in) : in_(in), separator_(in.regional().decimalSeparator) {}

    const SymbolEntry* find(const std::string& name) const {
        return in_.findSymbol(upperAscii(name));
    }

    // A variable reference, a name or name[index], as resolveReference reads it. The index is
    // an integer variable or a number; a number outside the declared size gets no form.
    std::optional<Operand> reference(const std::string& text) const {
        Operand o;
        std::string name = text;
        const auto open = text.find('[');
        if (open != std::string::npos) {
            const auto close = text.find(']', open + 1);
            const std::string index = close == std::string::npos
                                          ? std::string()
                                          : text.substr(open + 1, close - open - 1);
            if (const SymbolEntry* entry = find(index)) {
                if (entry->Kind != SymbolKind::Integer || entry->Index < 1) return std::nullopt;
                o.indexByVariable = true;
                o.index = entry->Index;
            } else if (const auto value = parseInteger(index)) {
                o.index = static_cast<std::int32_t>(std::int64_t{*value} - 1);
                if (std::int64_t{*value} - 1 < 0) return std::nullopt;
            } else {
                return std::nullopt;
            }
            name = text.substr(0, open + 1);
        }
        const SymbolEntry* entry = find(name);
        if (!entry || !holdsValue(entry->Kind) || entry->Index < 1) return std::nullopt;
        o.kind = open == std::string::npos ? Operand::Kind::Scalar : Operand::Kind::Element;
        o.type = entry->Kind;
        o.slot = entry->Index;
        o.count = entry->Count;
        if (o.kind == Operand::Kind::Scalar && o.count < 1) return std::nullopt;
        if (o.kind == Operand::Kind::Element && !o.indexByVariable && o.index >= o.count)
            return std::nullopt;
        return o;
    }

    // StringValue: a quoted literal (doubled quotes kept) or a string variable.
    std::optional<Operand> stringOperand(const std::string& text) const {
        if (text.empty()) return std::nullopt;
        if (text[0] == '\'') {
            if (text.size() < 2 || text.back() != '\'') return std::nullopt;
            Operand o;
            o.kind = Operand::Kind::Text;
            o.text = text.substr(1, text.size() - 2);
            return o;
        }
        auto o = reference(text);
        if (!o || o->type != SymbolKind::String) return std::nullopt;
        return o;
    }

    // IntegerOperand: a number, an integer variable or element, LENGTH of a string.
    std::optional<Operand> integerOperand(const std::string& operandText) const {
        const std::string operand = trim(operandText);
        Operand o;
        o.kind = Operand::Kind::Integer;
        if (operand.empty()) return o;
        if (inSet(operand[0], "0123456789+-")) {
            const auto v = parseInteger(operand);
            if (!v) return std::nullopt;
            o.i = *v;
            return o;
        }
        if (const SymbolEntry* entry = find(operand)) return scalar(*entry, SymbolKind::Integer);
        const std::string upper = upperAscii(operand);
        if (functionFor(upper) == Function::ParamCount) return std::nullopt;
        if (const auto open = operand.find('('); open != std::string::npos) {
            const auto function = functionFor(upper.substr(0, open));
            if (!function) return std::nullopt;
            const std::string argument = operand.substr(open + 1); // still ends with ")"
            o.kind = Operand::Kind::Builtin;
            o.function = *function;
            switch (*function) {
            case Function::Length:
                return withArguments(o, {stringOperand(dropLast(argument))});
            case Function::Pos: {
                const std::string inner = dropLast(argument);
                const auto comma = inner.find(',');
                if (comma == std::string::npos) return std::nullopt;
                return withArguments(o, {stringOperand(inner.substr(0, comma)),
                                         stringOperand(inner.substr(comma + 1))});
            }
            case Function::Abs:
            case Function::Int:
            case Function::Ord:
            case Function::Val:
                return withArguments(o, {variableArgument(argument)});
            default:
                return std::nullopt;
            }
        }
        return element(operand, SymbolKind::Integer);
    }

    // RealOperand: a number in the regional form, a real variable or element.
    std::optional<Operand> realOperand(const std::string& operandText) const {
        const std::string operand = trim(operandText);
        Operand o;
        o.kind = Operand::Kind::Real;
        if (operand.empty()) return o;
        if (inSet(operand[0], "0123456789+-.")) {
            const auto d = parseReal(operand, separator_);
            const auto r = d ? roundToReal48(*d) : std::nullopt;
            if (!r) return std::nullopt;
            o.r = *r;
            return o;
        }
        if (const SymbolEntry* entry = find(operand)) return scalar(*entry, SymbolKind::Real);
        if (functionFor(upperAscii(operand)) == Function::Random) return std::nullopt;
        if (const auto open = operand.find('('); open != std::string::npos) {
            const auto function = functionFor(upperAscii(operand.substr(0, open)));
            if (function != Function::Abs && function != Function::Sqrt && function != Function::Sin &&
                function != Function::Cos && function != Function::Ln && function != Function::Exp)
                return std::nullopt;
            o.kind = Operand::Kind::Builtin;
            o.function = *function;
            return withArguments(o, {variableArgument(operand.substr(open + 1))});
        }
        return element(operand, SymbolKind::Real);
    }

    // A built-in with its arguments, when every one of them has a form.
    static std::optional<Operand> withArguments(Operand o, std::initializer_list<std::optional<Operand>> arguments) {
        for (const auto& argument : arguments) {
            if (!argument) return std::nullopt;
            o.inner.push_back(*argument);
        }
        return o;
    }

    // The argument of ABS, INT, ORD, VAL, of the real built-ins, INTTOSTR, CHR and
    // INTTOHEX when it is a variable: these read their argument's value text, which only a
    // variable's value decides. A literal argument stays with the text path.
    std::optional<Operand> variableArgument(const std::string& argument) const {
        auto o = scalarOperand(dropLast(trim(argument)));
        if (!o || o->kind == Operand::Kind::Text) return std::nullopt;
        return o;
    }

    // ScalarValue's reading of an operand: a quoted literal (its first doubled quote made
    // one), a number as written, or a variable reference. A number holding a character no
    // number has gets no form.
    std::optional<Operand> scalarOperand(const std::string& text) const {
        if (text.empty()) return std::nullopt;
        Operand o;
        o.kind = Operand::Kind::Text;
        if (text[0] == '\'') {
            std::string rest = text.substr(1);
            if (const auto pair = rest.find("''"); pair != std::string::npos) rest.erase(pair, 1);
            if (rest.empty() || rest.back() != '\'') return std::nullopt;
            rest.pop_back();
            o.text = rest;
            return o;
        }
        if (inSet(text[0], ".0123456789+-")) {
            for (char c : text)
                if (!inSet(c, ".-+1234567890")) return std::nullopt;
            o.text = text;
            return o;
        }
        return reference(trim(text));
    }

    // A variable of the given type, by its slot.
    static std::optional<Operand> scalar(const SymbolEntry& entry, SymbolKind type) {
        if (entry.Kind != type || entry.Index < 1) return std::nullopt;
        Operand o;
        o.kind = Operand::Kind::Scalar;
        o.type = type;
        o.slot = entry.Index;
        return o;
    }

    // numericElement: name[index] of an array of the given kind, with its "]".
    std::optional<Operand> element(const std::string& operand, SymbolKind kind) const {
        const auto open = operand.find('[');
        if (open == std::string::npos) return std::nullopt;
        const SymbolEntry* entry = find(operand.substr(0, open + 1));
        if (!entry || entry->Kind != kind || operand.find(']', open) == std::string::npos)
            return std::nullopt;
        auto o = reference(operand);
        if (!o || o->type != kind) return std::nullopt;
        return o;
    }

    // ScalarValue followed by a reading as an integer: a number or an integer variable.
    std::optional<Operand> integerValue(const std::string& text) const {
        if (text.empty() || text[0] == '\'') return std::nullopt;
        if (inSet(text[0], ".0123456789+-")) {
            for (char c : text)
                if (!inSet(c, ".-+1234567890")) return std::nullopt;
            const auto v = parseInteger(text);
            if (!v) return std::nullopt;
            Operand o;
            o.kind = Operand::Kind::Integer;
            o.i = *v;
            return o;
        }
        auto o = reference(trim(text));
        if (!o || o->type != SymbolKind::Integer) return std::nullopt;
        return o;
    }

    // An operand of a comparison, as ScalarValue gives its text and the comparison reads
    // its number. A literal's reading is worked out here once; a real variable's text reads
    // back only to within its 15 digits, so its comparisons near a tie go to the text path.
    std::optional<Operand> conditionOperand(const std::string& text, bool& numeric) const {
        numeric = false;
        auto o = scalarOperand(text);
        if (!o) return std::nullopt;
        if (o->kind == Operand::Kind::Text) {
            if (text[0] == '\'') return o;
            numeric = true;
            if (const auto i = parseInteger(text)) {
                o->r = *i;
            } else {
                auto d = parseReal(text, '.');
                if (!d) d = parseReal(text, separator_);
                if (!d) return std::nullopt;
                o->r = *d;
            }
            return o;
        }
        numeric = o->type == SymbolKind::Integer || o->type == SymbolKind::Real;
        o->exactReading = o->type != SymbolKind::Real;
        return o;
    }

    Condition condition(const std::string& text) const {
        Condition c;
        const std::string upper = upperAscii(text);
        if (startsWith(upper, "NOT EOF(") || startsWith(upper, "EOF(")) {
            // FileEof's reading of the file variable's name.
            const std::string argument = text.substr(text.find('(') + 1);
            const SymbolEntry* entry = find(trim(upperAscii(dropLast(trim(argument)))));
            if (!entry || entry->Kind != SymbolKind::File) return c;
            c.endOfFile = true;
            c.negated = startsWith(upper, "NOT");
            c.file = entry->Index;
            c.valid = true;
            return c;
        }
        std::size_t at = std::string::npos;
        std::string op;
        if (!findComparison(text, at, op)) return c;
        bool leftNumeric = false, rightNumeric = false;
        auto left = conditionOperand(trim(text.substr(0, at)), leftNumeric);
        auto right = conditionOperand(trim(text.substr(at + op.size())), rightNumeric);
        if (!left || !right) return c;
        c.left = std::move(*left);
        c.right = std::move(*right);
        c.numeric = leftNumeric && rightNumeric;
        // Integer literals and integer variables read back exactly as the integers they are.
        auto integral = [](const Operand& o, bool isLiteral) {
            return isLiteral ? o.kind == Operand::Kind::Integer : o.type == SymbolKind::Integer;
        };
        if (c.numeric) {
            for (Operand* o : {&c.left, &c.right}) {
                if (o->kind != Operand::Kind::Text) continue;
                if (const auto i = parseInteger(o->text)) {
                    o->kind = Operand::Kind::Integer;
                    o->i = *i;
                }
            }
            c.integers = integral(c.left, c.left.kind != Operand::Kind::Scalar &&
                                              c.left.kind != Operand::Kind::Element) &&
                         integral(c.right, c.right.kind != Operand::Kind::Scalar &&
                                               c.right.kind != Operand::Kind::Element);
        }
        c.op = op == "="    ? Comparison::Equal
               : op == "<>" ? Comparison::NotEqual
               : op == "<"  ? Comparison::Less
               : op == ">"  ? Comparison::Greater
               : op == "<=" ? Comparison::LessEqual
                            : Comparison::GreaterEqual;
        c.valid = true;
        return c;
    }

    // StringTerm: a string operand, or a string built-in of its arguments.
    std::optional<StringTerm> stringTerm(const std::string& operandText) const {
        const std::string operand = trim(operandText);
        const auto open = operand.find('(');
        StringTerm t;
        if ((!operand.empty() && operand[0] == '\'') || open == std::string::npos) {
            auto o = stringOperand(operand);
            if (!o) return std::nullopt;
            t.source = std::move(*o);
            return t;
        }
        t.function = functionFor(upperAscii(operand.substr(0, open)));
        if (!t.function) return std::nullopt;
        const std::string inner = dropLast(operand.substr(open + 1));
        std::optional<Operand> source;
        switch (*t.function) {
        case Function::Copy: {
            const auto comma = inner.find(',');
            if (comma == std::string::npos) return std::nullopt;
            const std::string rest = inner.substr(comma + 1);
            const auto comma2 = rest.find(',');
            if (comma2 == std::string::npos) return std::nullopt;
            source = stringOperand(inner.substr(0, comma));
            auto from = integerValue(rest.substr(0, comma2));
            auto count = integerValue(rest.substr(comma2 + 1));
            if (!from || !count) return std::nullopt;
            t.from = std::move(*from);
            t.count = std::move(*count);
            break;
        }
        case Function::IntToStr:
        case Function::Chr:
        case Function::IntToHex:
            // The value text of a variable, read as a number.
            source = scalarOperand(inner);
            if (source && source->kind == Operand::Kind::Text) return std::nullopt;
            break;
        case Function::UpperCase:
        case Function::LowerCase:
            source = stringOperand(inner);
            break;
        default:
            return std::nullopt;
        }
        if (!source) return std::nullopt;
        t.source = std::move(*source);
        return t;
    }

    // AssignStatement: the target, then the expression of the target's type.
    bool assignment(const std::string& line, DecodedLine& d) const {
        const auto assign = line.find(":=");
        if (assign == std::string::npos) return false;
        auto target = reference(upperAscii(trim(line.substr(0, assign))));
        if (!target) return false;
        d.destination = std::move(*target);
        const std::string value = trim(cut255(line.substr(assign + 2)));
        if (d.destination.type == SymbolKind::Integer || d.destination.type == SymbolKind::Real) {
            const InterpreterPrivate::Split s = InterpreterPrivate::SplitOperator(value);
            const bool integer = d.destination.type == SymbolKind::Integer;
            static const std::map<std::string, NumericOp> ops = {
                {"", NumericOp::None},  {"+", NumericOp::Add},    {"-", NumericOp::Sub},
                {"*", NumericOp::Mul},  {"/", NumericOp::Divide}, {"\\", NumericOp::IntDivide},
                {"MOD", NumericOp::Mod}};
            const auto op = ops.find(s.op);
            if (op == ops.end()) return false;
            d.op = op->second;
            auto a = integer ? integerOperand(s.left) : realOperand(s.left);
            auto b = integer ? integerOperand(s.right) : realOperand(s.right);
            if (!a || !b) return false;
            d.left = std::move(*a);
            d.right = std::move(*b);
            return true;
        }
        // Strings: split at the last "+" outside quotes.
        bool outside = true;
        std::size_t plus = std::string::npos;
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (value[i] == '\'')
                outside = !outside;
            else if (value[i] == '+' && outside)
                plus = i;
        }
        auto first = stringTerm(plus == std::string::npos ? value : value.substr(0, plus));
        if (!first) return false;
        d.terms.push_back(std::move(*first));
        if (plus != std::string::npos) {
            auto second = stringTerm(cut255(value.substr(plus + 1)));
            if (!second) return false;
            d.terms.push_back(std::move(*second));
        }
        return true;
    }

  private:
    const InterpreterPrivate& in_;
    char separator_;
};

} // namespace

void FastPath::decode(const InterpreterPrivate& interpreter, DecodedLine& d) {
    decodeStatement(interpreter, d);
    // A READ on the screen waits for the user and may be interrupted, and a number read
    // may not convert: those report through the driver.
    const bool reportsItself = (d.statement == Statement::Read || d.statement == Statement::Readln) &&
                               (d.transfer.target == Transfer::Target::Screen ||
                                (d.transfer.target == Transfer::Target::File && d.transfer.kind != SymbolKind::String));
    d.handler = handlerFor(d);
    d.loopSafe = d.handler && !reportsItself;
}

void FastPath::decodeStatement(const InterpreterPrivate& interpreter, DecodedLine& d) {
    const Decoder decoder(interpreter);
    d.decoded = true;
    d.fast = true;
    const std::string text = trim(tabsToSpaces(d.text));
    const std::string upper = upperAscii(text);
    std::string keyword, argument;
    d.statement = interpreter.classifyStatement(upper, text, keyword, argument);
    d.keyword = keyword;
    d.argument = argument;
    d.statementText = text;
    // The lines that do nothing, BEGIN, ENDSUB and END have their fast forms as they are.
    if (d.statement == Statement::Nothing || d.statement == Statement::Begin ||
        d.statement == Statement::EndSub || d.statement == Statement::End)
        return;

    d.fast = false;
    switch (d.statement) {
    case Statement::Call:
    case Statement::Goto: {
        const std::string name =
            upperAscii(trim(argument)) + (d.statement == Statement::Goto ? ":" : "");
        const SymbolEntry* entry = decoder.find(name);
        d.fast = entry && entry->Kind == (d.statement == Statement::Goto ? SymbolKind::Label : SymbolKind::Procedure);
        if (d.fast) d.target = entry->Index;
        return;
    }
    case Statement::If: {
        const auto then = upperAscii(argument).find("THEN");
        if (then == std::string::npos) return;
        d.condition = decoder.condition(trim(argument.substr(0, then)));
        d.fast = d.condition.valid;
        return;
    }
    case Statement::While:
        if (!endsWith(upperAscii(argument), "DO")) return;
        d.condition = decoder.condition(argument.substr(0, argument.size() - 2));
        d.fast = d.condition.valid;
        return;
    case Statement::Until:
        d.condition = decoder.condition(argument);
        d.fast = d.condition.valid;
        return;
    case Statement::Else:
    case Statement::Next:
    case Statement::Wend:
    case Statement::Repeat:
        d.fast = true;
        return;
    case Statement::Assignment:
        d.fast = decoder.assignment(dropTrailing(text, ';'), d);
        return;
    case Statement::Write:
    case Statement::Writeln:
    case Statement::Read:
    case Statement::Readln: {
        // WriteStatement and ReadStatement: the "(" after the keyword, the ")" as the last
        // character; a destination before the first comma outside quotes.
        const bool write = d.statement == Statement::Write || d.statement == Statement::Writeln;
        Transfer& t = d.transfer;
        const std::string inner = dropLast(trim(argument));
        if (inner.empty()) {
            t.target = Transfer::Target::LineOnly;
            d.fast = true;
            return;
        }
        std::string rest = inner;
        if (const auto comma = InterpreterPrivate::destinationComma(inner); comma != std::string::npos) {
            const std::string name = upperAscii(trim(inner.substr(0, comma)));
            // WRITE to PRN is the printer's, whatever a variable of that name.
            if (write && name == "PRN") return;
            const SymbolEntry* file = decoder.find(name);
            if (!file || file->Kind != SymbolKind::File) return; // an error to report
            t.target = Transfer::Target::File;
            t.file = file->Index;
            rest = inner.substr(comma + 1);
            if (write) rest = trim(rest);
        }
        if (write) {
            auto value = decoder.scalarOperand(rest);
            if (!value) return;
            t.value = std::move(*value);
        } else {
            const SymbolEntry* target = decoder.find(upperAscii(trim(rest)));
            if (!target || !holdsValue(target->Kind)) return;
            t.kind = target->Kind;
            t.slot = target->Index;
        }
        d.fast = true;
        return;
    }
    case Statement::For: {
        // ForStatement's reading of the heading: the start value runs from ":=" to the first
        // space, the limit from "TO " to "DO"; DOWNTO anywhere counts down.
        const std::string heading = upperAscii(argument);
        const auto assign = heading.find(":=");
        if (assign == std::string::npos) return;
        const SymbolEntry* counter = decoder.find(trim(heading.substr(0, assign)));
        if (!counter || counter->Kind != SymbolKind::Integer) return;
        const std::string rest = heading.substr(assign + 2);
        const auto to = rest.find("TO");
        if (to == std::string::npos) return;
        std::string limit = trim(to + 3 <= rest.size() ? rest.substr(to + 3) : std::string());
        if (!endsWith(limit, "DO")) return;
        auto first = decoder.integerValue(trim(rest.substr(0, rest.find(' '))));
        auto last = decoder.integerValue(trim(limit.substr(0, limit.size() - 2)));
        if (!first || !last) return;
        d.heading.counter = counter->Index;
        d.heading.start = std::move(*first);
        d.heading.limit = std::move(*last);
        d.heading.step = rest.find("DOWNTO") != std::string::npos ? -1 : 1;
        d.fast = true;
        return;
    }
    default:
        return;
    }
}

} // namespace zef
