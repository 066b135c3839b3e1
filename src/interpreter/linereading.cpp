// Reading a statement whole, once: the classification of its line, then the parts of the
// statement it is, through the readers every path shares.
#include "interpreter_p.h"
#include "linereading.h"

#include "text.h"

namespace zef {

Statement InterpreterPrivate::classifyStatement(const std::string& upper, const std::string& text,
                                                std::string& keyword, std::string& argument) const {
    if (text.empty() || isLabelLine(upper) || startsWith(upper, "PROGRAM") ||
        startsWith(upper, "VAR"))
        return Statement::Nothing;
    if (startsWith(upper, "BEGIN")) return Statement::Begin;
    if (startsWith(upper, "NOP") || startsWith(upper, "{")) return Statement::Nothing;
    if (upper == "ENDSUB") return Statement::EndSub;
    // Any word beginning with END counts as END, even ENDING := 1.
    if (startsWith(upper, "END")) return Statement::End;
    // Procedure bodies are entered only by calls.
    if (startsWith(upper, "PROCEDURE")) return Statement::Nothing;

    splitStatement(upper, text, keyword, argument);
    if (argument.empty()) {
        if (const SymbolEntry* entry = findSymbol(keyword); entry && entry->Kind == SymbolKind::Procedure) {
            argument = keyword;
            keyword = "CALL";
        }
    }
    return statementFor(keyword);
}

NumericOperandText InterpreterPrivate::readNumericOperand(const std::string& text, SymbolKind kind) const {
    NumericOperandText r;
    using Form = NumericOperandText::Form;
    r.operand = trim(text);
    const std::string& operand = r.operand;
    if (operand.empty()) return r;
    const bool integer = kind == SymbolKind::Integer;
    r.form = Form::Number;
    if (inSet(operand[0], integer ? "0123456789+-" : "0123456789+-.")) return r;
    const std::string upper = upperAscii(operand);
    r.form = Form::Variable;
    if (const SymbolEntry* entry = findSymbol(upper)) {
        r.kind = entry->Kind;
        r.slot = entry->Index;
        return r;
    }
    r.form = Form::Nullary;
    if (functionFor(upper) == (integer ? Function::ParamCount : Function::Random)) return r;
    r.form = Form::Call;
    if (const auto open = operand.find('('); open != std::string::npos) {
        r.function = functionFor(upper.substr(0, open));
        r.argument = operand.substr(open + 1);
        if (r.function) r.arguments = builtinArguments(*r.function, r.argument);
        return r;
    }
    r.form = Form::Element;
    if ((r.open = operand.find('[')) != std::string::npos) return r;
    r.form = Form::Unknown;
    return r;
}

NumericExpressionText InterpreterPrivate::readNumericExpression(const std::string& text, SymbolKind kind) const {
    const Split s = SplitOperator(text);
    return {numericOpOf(s.op), readNumericOperand(s.left, kind), readNumericOperand(s.right, kind)};
}

namespace {

StringTermReading readTerm(const std::string& text) {
    StringTermReading t{readStringTerm(text), {}};
    if (t.term.call && t.term.function) t.arguments = builtinArguments(*t.term.function, t.term.argument);
    return t;
}

} // namespace

StringExpressionText readStringExpression(const std::string& text) {
    StringExpressionText e;
    const std::size_t plus = stringPlus(text);
    if (plus == std::string::npos) {
        e.first = readTerm(text);
        return e;
    }
    e.joined = true;
    e.first = readTerm(text.substr(0, plus));
    e.second = readTerm(cut255(text.substr(plus + 1)));
    return e;
}

LineReading InterpreterPrivate::readLine(const std::string& statement) const {
    LineReading r;
    r.text = trim(tabsToSpaces(statement));
    const std::string upper = upperAscii(r.text);
    r.statement = classifyStatement(upper, r.text, r.keyword, r.argument);
    const std::string& argument = r.argument;
    switch (r.statement) {
    case Statement::Assignment: {
        AssignmentReading a;
        a.text = readAssignment(dropTrailing(r.text, ';'));
        if (a.text.assigns) {
            a.target = readReference(a.text.target);
            if (const SymbolEntry* entry = findSymbol(a.target.name)) a.kind = entry->Kind;
            if (a.kind == SymbolKind::Integer || a.kind == SymbolKind::Real)
                a.numeric = readNumericExpression(a.text.value, a.kind);
            else if (a.kind == SymbolKind::String || a.kind == SymbolKind::Char)
                a.string = readStringExpression(a.text.value);
        }
        r.parts = std::move(a);
        break;
    }
    case Statement::If:
    case Statement::While:
    case Statement::Until: {
        const auto condition = r.statement == Statement::If      ? ifCondition(argument)
                               : r.statement == Statement::While ? whileCondition(argument)
                                                                 : std::optional(argument);
        ConditionReading c;
        c.present = condition.has_value();
        if (condition) c.condition = readCondition(*condition);
        r.parts = std::move(c);
        break;
    }
    case Statement::Write:
    case Statement::Writeln:
    case Statement::Read:
    case Statement::Readln:
        r.parts = readTransfer(argument, r.statement == Statement::Write || r.statement == Statement::Writeln);
        break;
    case Statement::For: r.parts = readForHeading(argument); break;
    case Statement::AssignFile: r.parts = readAssignFile(argument); break;
    case Statement::Gotoxy: r.parts = readGotoxy(argument); break;
    case Statement::Call: r.parts = procedureName(argument); break;
    case Statement::Goto: r.parts = labelName(argument); break;
    case Statement::Reset:
    case Statement::Rewrite:
    case Statement::Close: r.parts = fileName(argument); break;
    case Statement::ShowMessage:
    case Statement::DeleteFile:
    case Statement::ChDir:
    case Statement::RmDir:
    case Statement::MkDir: r.parts = trim(argument); break;
    default: break;
    }
    return r;
}

} // namespace zef
