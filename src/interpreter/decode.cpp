// Decoding the program's lines once per run: each line's reading (readLine), its operands
// resolved from that reading against the symbol table, and the block structure around it.
// The general forms run from the same reading; where it would fail, or where its result
// depends on more than the line and the symbols, no fast form is made.
#include "decode.h"

#include "numtext.h"
#include "real48.h"
#include "text.h"

#include <algorithm>

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

} // namespace

DecodedLine DecodedProgram::fromText(const std::string& raw) const {
    DecodedLine d;
    d.raw = raw;
    d.marked = hasBreakpointMarker(raw);
    d.text = withoutMarker(raw);
    d.prepared = preparedLine(d.text);
    // Decoded when the driver's loop first comes to it, without leaving the loop.
    d.inLoop = DecodedLine::InLoop::Handler;
    d.handler = firstVisit_;
    return d;
}

void DecodedProgram::clear() {
    lines_.clear();
    // Decoded again against the next symbols: a procedure may be named like a closing word.
    for (const Closing closing : {Closing::Next, Closing::Wend, Closing::Until, Closing::EndSub})
        closings_[static_cast<std::size_t>(closing)] = fromText(std::string(closingWord(closing)));
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

const std::string& DecodedProgram::prepared(std::int32_t index) const {
    if (index < 0 || index >= count()) return kNoText;
    return lines_[static_cast<std::size_t>(index)].prepared;
}

std::optional<std::int32_t> DecodedProgram::bodyEnd(std::int32_t heading) const {
    return scanBodyEnd(heading, count(), [this](std::int32_t i) -> const std::string& { return prepared(i); });
}

} // namespace zef

// ---- Decoding one line ----

namespace zef {
namespace {

class Decoder {
  public:
    explicit Decoder(const InterpreterPrivate& in) : in_(in), separator_(in.regional().decimalSeparator) {}

    // A variable reference, a name or name[index], as resolveReference reads it. The index is
    // an integer variable or a number; a number outside the declared size gets no form.
    std::optional<Operand> reference(const ReferenceReading& r) const {
        Operand o;
        const bool element = r.reference.element;
        if (element) {
            const auto index = indexOperand(r.index);
            if (!index) return std::nullopt;
            if (index->kind == Operand::Kind::Scalar) {
                o.indexByVariable = true;
                o.index = index->slot;
            } else {
                o.index = static_cast<std::int32_t>(std::int64_t{index->i} - 1);
                if (std::int64_t{index->i} - 1 < 0) return std::nullopt;
            }
        }
        const SymbolEntry* entry = in_.findSymbol(r.lookup);
        if (!entry || !holdsValue(entry->Kind) || entry->Index < 1) return std::nullopt;
        o.kind = element ? Operand::Kind::Element : Operand::Kind::Scalar;
        o.type = entry->Kind;
        o.slot = entry->Index;
        o.count = entry->Count;
        if (o.kind == Operand::Kind::Scalar && o.count < 1) return std::nullopt;
        if (o.kind == Operand::Kind::Element && !o.indexByVariable && o.index >= o.count)
            return std::nullopt;
        return o;
    }

    // What Indice reads: an integer variable, or else an integer as written; the number
    // itself, not the index it gives.
    std::optional<Operand> indexOperand(const IndexText& index) const {
        Operand o;
        if (const SymbolEntry* entry = in_.findSymbol(index.name)) {
            if (entry->Kind != SymbolKind::Integer || entry->Index < 1) return std::nullopt;
            o.kind = Operand::Kind::Scalar;
            o.type = SymbolKind::Integer;
            o.slot = entry->Index;
            return o;
        }
        if (!index.number) return std::nullopt;
        o.kind = Operand::Kind::Integer;
        o.type = SymbolKind::Integer;
        o.i = *index.number;
        return o;
    }

    // StringValue: a quoted literal (doubled quotes kept) or a string variable.
    std::optional<Operand> stringOperand(const StringOperandText& r) const {
        using Form = StringOperandText::Form;
        if (r.form == Form::Quoted) {
            Operand o;
            o.kind = Operand::Kind::Text;
            o.text = r.value;
            return o;
        }
        if (r.form != Form::Reference) return std::nullopt;
        auto o = reference(r.reference);
        if (!o || o->type != SymbolKind::String) return std::nullopt;
        return o;
    }

    // IntegerOperand and RealOperand: a number, a variable, a built-in of its arguments, an
    // element. RANDOM and PARAMCOUNT read the generator and the run parameters.
    std::optional<Operand> numericOperand(const NumericOperandText& r, SymbolKind kind) const {
        using Form = NumericOperandText::Form;
        const bool integer = kind == SymbolKind::Integer;
        Operand o;
        o.kind = integer ? Operand::Kind::Integer : Operand::Kind::Real;
        switch (r.form) {
        case Form::Empty: return o;
        case Form::Number: {
            if (integer) {
                const auto v = parseInteger(r.operand);
                if (!v) return std::nullopt;
                o.i = *v;
                return o;
            }
            const auto d = parseReal(r.operand, separator_);
            const auto v = d ? roundToReal48(*d) : std::nullopt;
            if (!v) return std::nullopt;
            o.r = *v;
            return o;
        }
        case Form::Variable: return scalar(r.kind, r.slot, kind);
        case Form::Call: {
            if (!r.function) return std::nullopt;
            o.kind = Operand::Kind::Builtin;
            o.function = *r.function;
            const ArgumentsText& arguments = r.arguments;
            switch (*r.function) {
            case Function::Length:
                if (!integer) return std::nullopt;
                return withArguments(o, {stringOperand(arguments.strings[0])});
            case Function::Pos:
                if (!integer || arguments.count < 2) return std::nullopt;
                return withArguments(o, {stringOperand(arguments.strings[0]), stringOperand(arguments.strings[1])});
            case Function::Abs: return valueBuiltin(o, arguments.scalars[0], integer);
            case Function::Int:
            case Function::Ord:
            case Function::Val:
                if (!integer) return std::nullopt;
                return valueBuiltin(o, arguments.scalars[0], integer);
            case Function::Sqrt:
            case Function::Sin:
            case Function::Cos:
            case Function::Ln:
            case Function::Exp:
                if (integer) return std::nullopt;
                return valueBuiltin(o, arguments.scalars[0], integer);
            default: return std::nullopt;
            }
        }
        case Form::Element: {
            auto e = reference(r.element);
            if (!e || e->type != kind) return std::nullopt;
            return e;
        }
        case Form::Nullary:
            o.kind = Operand::Kind::Builtin;
            o.function = integer ? Function::ParamCount : Function::Random;
            return o;
        case Form::Unknown: return std::nullopt;
        }
        return std::nullopt;
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
    // variable's value decides.
    std::optional<Operand> variableArgument(const ScalarText& argument) const {
        auto o = scalarOperand(argument);
        if (!o || o->kind == Operand::Kind::Text) return std::nullopt;
        return o;
    }
    // A literal argument's value text, which the line alone decides: a quoted literal's
    // value, or a number as written.
    static std::optional<std::string> literalValue(const ScalarText& argument) {
        if (argument.form == ScalarText::Form::Quoted) return argument.value;
        if (argument.form == ScalarText::Form::Number && argument.strays == 0) return argument.written;
        return std::nullopt;
    }
    // A built-in of a value in a numeric expression: of a variable, worked out at each
    // turn; of a literal, worked out here once, as the number it gives (none where the
    // general form reports the literal).
    std::optional<Operand> valueBuiltin(Operand o, const ScalarText& argument, bool integer) const {
        const auto literal = literalValue(argument);
        if (!literal) return withArguments(o, {variableArgument(argument)});
        o.kind = integer ? Operand::Kind::Integer : Operand::Kind::Real;
        if (integer) {
            const auto i = integerOfValue(o.function, *literal, separator_);
            if (!i) return std::nullopt;
            o.i = *i;
        } else {
            const auto r = realOfValue(o.function, *literal, separator_);
            if (!r) return std::nullopt;
            o.r = *r;
        }
        return o;
    }

    // ScalarValue's reading of an operand: a quoted literal (its first doubled quote made
    // one), a number as written, or a variable reference. A number holding a character no
    // number has gets no form.
    std::optional<Operand> scalarOperand(const ScalarText& r) const {
        using Form = ScalarText::Form;
        Operand o;
        o.kind = Operand::Kind::Text;
        switch (r.form) {
        case Form::Quoted: o.text = r.value; return o;
        case Form::Number:
            if (r.strays > 0) return std::nullopt;
            o.text = r.written;
            return o;
        case Form::Reference: return reference(r.reference);
        default: return std::nullopt;
        }
    }

    // A variable of the given type, by its slot.
    static std::optional<Operand> scalar(SymbolKind kind, std::int32_t slot, SymbolKind type) {
        if (kind != type || slot < 1) return std::nullopt;
        Operand o;
        o.kind = Operand::Kind::Scalar;
        o.type = type;
        o.slot = slot;
        return o;
    }

    // ScalarValue followed by a reading as an integer: a number or an integer variable.
    std::optional<Operand> integerValue(const ScalarText& r) const {
        if (r.form == ScalarText::Form::Number) {
            if (r.strays > 0) return std::nullopt;
            const auto v = parseInteger(r.written);
            if (!v) return std::nullopt;
            Operand o;
            o.kind = Operand::Kind::Integer;
            o.i = *v;
            return o;
        }
        if (r.form != ScalarText::Form::Reference) return std::nullopt;
        auto o = reference(r.reference);
        if (!o || o->type != SymbolKind::Integer) return std::nullopt;
        return o;
    }

    // An operand of a comparison, as ScalarValue gives its text and the comparison reads
    // its number. A literal's reading is worked out here once; a real variable's text reads
    // back only to within its 15 digits, so its comparisons near a tie go to the general form.
    std::optional<Operand> conditionOperand(const ScalarText& operand, bool& numeric) const {
        numeric = false;
        auto o = scalarOperand(operand);
        if (!o) return std::nullopt;
        if (o->kind == Operand::Kind::Text) {
            if (operand.form == ScalarText::Form::Quoted) return o;
            const std::string& text = operand.written;
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

    Condition condition(const ConditionReading& whole) const {
        Condition c;
        const ConditionText& reading = whole.condition;
        switch (reading.form) {
        case ConditionText::Form::NoOperator: return c;
        case ConditionText::Form::EndOfFile:
        case ConditionText::Form::NotEndOfFile: {
            const SymbolEntry* entry = in_.findSymbol(reading.file);
            if (!entry || entry->Kind != SymbolKind::File) return c;
            c.endOfFile = true;
            c.negated = reading.form == ConditionText::Form::NotEndOfFile;
            c.file = entry->Index;
            c.valid = true;
            return c;
        }
        case ConditionText::Form::Comparison: break;
        }
        bool leftNumeric = false, rightNumeric = false;
        auto left = conditionOperand(whole.left, leftNumeric);
        auto right = conditionOperand(whole.right, rightNumeric);
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
        c.op = reading.op;
        c.valid = true;
        return c;
    }

    // StringTerm: a string operand, or a string built-in of its arguments.
    std::optional<StringTerm> stringTerm(const StringTermReading& reading) const {
        const StringTermText& term = reading.term;
        StringTerm t;
        if (!term.call) {
            auto o = stringOperand(reading.operand);
            if (!o) return std::nullopt;
            t.source = std::move(*o);
            return t;
        }
        t.function = term.function;
        if (!t.function) return std::nullopt;
        const ArgumentsText& arguments = reading.arguments;
        std::optional<Operand> source;
        switch (*t.function) {
        case Function::Copy: {
            if (arguments.count < 3) return std::nullopt;
            source = stringOperand(arguments.strings[0]);
            auto from = integerValue(arguments.scalars[0]);
            auto count = integerValue(arguments.scalars[1]);
            if (!from || !count) return std::nullopt;
            t.from = std::move(*from);
            t.count = std::move(*count);
            break;
        }
        case Function::IntToStr:
        case Function::Chr:
        case Function::IntToHex:
            if (const auto literal = literalValue(arguments.scalars[0])) {
                // Of a literal: the text, worked out once, stands as a literal term.
                auto text = textOfValue(*t.function, *literal, separator_);
                if (!text) return std::nullopt;
                t.function.reset();
                t.source.kind = Operand::Kind::Text;
                t.source.text = std::move(*text);
                return t;
            }
            // The value text of a variable, read as a number.
            source = variableArgument(arguments.scalars[0]);
            break;
        case Function::UpperCase:
        case Function::LowerCase:
            source = stringOperand(arguments.strings[0]);
            break;
        case Function::ParamStr: {
            // The parameter's number, as an integer literal.
            const auto n = arguments.parameter;
            if (!n) return std::nullopt;
            t.from.kind = Operand::Kind::Integer;
            t.from.i = *n;
            return t;
        }
        case Function::DateToStr:
        case Function::TimeToStr:
            if (!arguments.date) return std::nullopt;
            return t;
        default:
            return std::nullopt;
        }
        if (!source) return std::nullopt;
        t.source = std::move(*source);
        return t;
    }

    // AssignStatement: the target, then the expression of the target's type.
    bool assignment(const AssignmentReading& a, DecodedLine& d) const {
        if (!a.text.assigns) return false;
        auto target = reference(a.target);
        if (!target) return false;
        d.destination = std::move(*target);
        if (const auto* numeric = std::get_if<NumericExpressionText>(&a.expression)) {
            d.op = numeric->op;
            if (d.op == NumericOp::Power) return false;
            auto l = numericOperand(numeric->left, d.destination.type);
            auto r = numericOperand(numeric->right, d.destination.type);
            if (!l || !r) return false;
            // RANDOM moves the generator on, so its form is made only where nothing after it
            // can hand the statement back: the forms find the target (an element's index
            // checked) before they read the operands, and RANDOM stands alone or with +, - or *
            // and a literal, a variable or RANDOM (a value below 1 added to a real, or
            // multiplying it, cannot leave the 6-byte format).
            auto random = [](const Operand& o) {
                return o.kind == Operand::Kind::Builtin && o.function == Function::Random;
            };
            auto certain = [&](const Operand& o) {
                return o.kind == Operand::Kind::Real || o.kind == Operand::Kind::Scalar || random(o);
            };
            if ((random(*l) || random(*r)) &&
                (!certain(*l) || !certain(*r) ||
                 (d.op != NumericOp::None && d.op != NumericOp::Add && d.op != NumericOp::Sub &&
                  d.op != NumericOp::Mul)))
                return false;
            d.left = std::move(*l);
            d.right = std::move(*r);
            return true;
        }
        const auto* string = std::get_if<StringExpressionText>(&a.expression);
        if (!string) return false;
        auto first = stringTerm(string->first);
        if (!first) return false;
        d.terms.push_back(std::move(*first));
        if (string->joined) {
            auto second = stringTerm(string->second);
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

void decodeStatement(const InterpreterPrivate& interpreter, DecodedLine& d) {
    const Decoder decoder(interpreter);
    d.decoded = true;
    d.fast = true;
    d.reading = interpreter.readLine(d.text);
    const LineReading& r = d.reading;
    d.statement = r.statement;
    // The lines that do nothing, BEGIN, ENDSUB and END have their fast forms as they are.
    if (d.statement == Statement::Nothing || d.statement == Statement::Begin ||
        d.statement == Statement::EndSub || d.statement == Statement::End)
        return;

    d.fast = false;
    switch (d.statement) {
    case Statement::Call:
    case Statement::Goto: {
        const bool jump = d.statement == Statement::Goto;
        const SymbolEntry* entry = interpreter.findSymbol(r.name());
        d.fast = entry && entry->Kind == (jump ? SymbolKind::Label : SymbolKind::Procedure);
        if (d.fast) d.target = entry->Index;
        return;
    }
    case Statement::If:
    case Statement::While:
    case Statement::Until: {
        const ConditionReading& condition = r.part<ConditionReading>();
        if (!condition.present) return;
        d.condition = decoder.condition(condition);
        d.fast = d.condition.valid;
        return;
    }
    case Statement::Else:
    case Statement::Next:
    case Statement::Wend:
    case Statement::Repeat:
    case Statement::Exit:
    case Statement::Break:
    case Statement::Clrscr:
    case Statement::Randomize:
    case Statement::AssignPrn:
        d.fast = true;
        return;
    case Statement::Gotoxy: {
        const GotoxyReading& g = r.part<GotoxyReading>();
        if (!g.hasComma) return;
        auto row = decoder.indexOperand(g.row), column = decoder.indexOperand(g.column);
        if (!row || !column) return;
        d.left = std::move(*row);
        d.right = std::move(*column);
        d.fast = true;
        return;
    }
    case Statement::Assignment:
        d.fast = decoder.assignment(r.part<AssignmentReading>(), d);
        return;
    case Statement::Write:
    case Statement::Writeln:
    case Statement::Read:
    case Statement::Readln: {
        const bool write = d.statement == Statement::Write || d.statement == Statement::Writeln;
        Transfer& t = d.transfer;
        const TransferReading& transfer = r.part<TransferReading>();
        const TransferText& reading = transfer.transfer;
        if (reading.empty) {
            t.target = Transfer::Target::LineOnly;
            d.fast = true;
            return;
        }
        if (reading.toDestination) {
            // WRITE to PRN is the printer's, whatever a variable of that name.
            if (write && reading.destination == "PRN") return;
            const SymbolEntry* file = interpreter.findSymbol(reading.destination);
            if (!file || file->Kind != SymbolKind::File) return; // an error to report
            t.target = Transfer::Target::File;
            t.file = file->Index;
        }
        if (write) {
            auto value = decoder.scalarOperand(transfer.operand);
            if (!value) return;
            t.value = std::move(*value);
        } else {
            const SymbolEntry* target = interpreter.findSymbol(reading.operand);
            if (!target || !holdsValue(target->Kind)) return;
            t.kind = target->Kind;
            t.slot = target->Index;
        }
        d.fast = true;
        return;
    }
    case Statement::AssignFile:
    case Statement::Reset:
    case Statement::Rewrite:
    case Statement::Close: {
        Transfer& t = d.transfer;
        std::string name;
        if (d.statement == Statement::AssignFile) {
            const AssignFileReading& reading = r.part<AssignFileReading>();
            const AssignFileText& assignment = reading.assignment;
            if (!assignment.hasComma) return;
            auto value = decoder.stringOperand(reading.name);
            if (!value) return;
            t.value = std::move(*value);
            name = assignment.file;
        } else {
            name = r.name();
            if (d.statement == Statement::Rewrite && name == "PRN") return; // the printer's
        }
        const SymbolEntry* file = interpreter.findSymbol(name);
        if (!file || file->Kind != SymbolKind::File) return;
        t.target = Transfer::Target::File;
        t.file = file->Index;
        d.fast = true;
        return;
    }
    case Statement::For: {
        const ForReading& reading = r.part<ForReading>();
        const ForHeadingText& heading = reading.heading;
        if (!heading.assigns || !heading.hasTo || !heading.endsWithDo) return;
        const SymbolEntry* counter = interpreter.findSymbol(heading.counter);
        if (!counter || counter->Kind != SymbolKind::Integer) return;
        auto first = decoder.integerValue(reading.start);
        auto last = decoder.integerValue(reading.limit);
        if (!first || !last) return;
        d.heading.counter = counter->Index;
        d.heading.start = std::move(*first);
        d.heading.limit = std::move(*last);
        d.heading.step = heading.downto ? -1 : 1;
        d.fast = true;
        return;
    }
    default:
        return;
    }
}

} // namespace zef
