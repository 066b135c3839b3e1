// Reading a statement whole, once: the classification of its line, then the parts of the
// statement it is, through the readers every path shares.
#include "linereading.h"

#include "numtext.h"
#include "text.h"

namespace zef {

IndexText readIndex(const std::string& text) { return {upperAscii(text), parseInteger(text)}; }

ReferenceReading readReferenceWhole(const std::string& text) {
    ReferenceReading r;
    r.reference = readReference(text);
    r.lookup = upperAscii(r.reference.name);
    // Without "]" the index is empty, which is no index.
    if (r.reference.element) r.index = readIndex(r.reference.index);
    return r;
}

ScalarText readScalar(const std::string& text) {
    ScalarText r;
    r.written = text;
    if (text.empty()) return r;
    if (isNumberStart(text[0])) {
        r.form = ScalarText::Form::Number;
        for (char c : text)
            if (!isNumberCharacter(c)) ++r.strays;
        return r;
    }
    r.reference = readReferenceWhole(trim(text));
    if (text[0] == '\'') {
        const auto value = quotedValue(text);
        r.form = value ? ScalarText::Form::Quoted : ScalarText::Form::Unterminated;
        if (value) r.value = *value;
        return r;
    }
    r.form = ScalarText::Form::Reference;
    return r;
}

StringOperandText readStringOperand(const std::string& text) {
    StringOperandText r;
    r.written = text;
    if (text.empty()) return r;
    if (text[0] == '\'') {
        // Doubled quotes are not reduced here.
        const auto value = quotedString(text);
        r.form = value ? StringOperandText::Form::Quoted : StringOperandText::Form::Unterminated;
        if (value) r.value = *value;
        return r;
    }
    r.form = StringOperandText::Form::Reference;
    r.reference = readReferenceWhole(text);
    return r;
}

ArgumentsText readArguments(Function function, const std::string& argument) {
    const std::vector<std::string> parts = builtinArguments(function, argument);
    ArgumentsText a;
    a.count = parts.size();
    switch (function) {
    case Function::Length:
    case Function::UpperCase:
    case Function::LowerCase: a.strings.push_back(readStringOperand(parts[0])); break;
    case Function::Pos:
        for (const std::string& part : parts) a.strings.push_back(readStringOperand(part));
        break;
    case Function::Copy:
        a.strings.push_back(readStringOperand(parts[0]));
        for (std::size_t i = 1; i < parts.size(); ++i) a.scalars.push_back(readScalar(parts[i]));
        break;
    case Function::ParamStr: a.parameter = parameterNumber(parts[0]); break;
    case Function::DateToStr:
    case Function::TimeToStr: a.date = isDateArgument(parts[0]); break;
    default: a.scalars.push_back(readScalar(parts[0])); break;
    }
    return a;
}

const SymbolEntry* findSymbol(const SymbolTable& symbols, const std::string& upperName) {
    for (const auto& entry : symbols)
        if (entry.Name == upperName) return &entry;
    return nullptr;
}

Statement classifyStatement(const SymbolTable& symbols, const std::string& upper, const std::string& text,
                            std::string& keyword, std::string& argument) {
    if (text.empty() || isLabelLine(upper) || isProgramHeading(upper) || isDeclaration(upper))
        return Statement::Nothing;
    if (runsAsBegin(upper)) return Statement::Begin;
    if (startsWith(upper, "NOP") || isComment(upper)) return Statement::Nothing;
    if (upper == "ENDSUB") return Statement::EndSub;
    // Any word beginning with END counts as END, even ENDING := 1.
    if (closesBlock(upper)) return Statement::End;
    if (isProcedureHeading(upper)) return Statement::Nothing;

    splitStatement(upper, text, keyword, argument);
    if (argument.empty()) {
        if (const SymbolEntry* entry = findSymbol(symbols, keyword); entry && entry->Kind == SymbolKind::Procedure) {
            argument = keyword;
            keyword = "CALL";
        }
    }
    return statementFor(keyword);
}

NumericOperandText readNumericOperand(const SymbolTable& symbols, const std::string& text, SymbolKind kind) {
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
    if (const SymbolEntry* entry = findSymbol(symbols, upper)) {
        r.kind = entry->Kind;
        r.slot = entry->Index;
        return r;
    }
    r.form = Form::Nullary;
    if (functionFor(upper) == (integer ? Function::ParamCount : Function::Random)) return r;
    r.form = Form::Call;
    if (const auto open = operand.find('('); open != std::string::npos) {
        r.function = functionFor(upper.substr(0, open));
        if (r.function) r.arguments = readArguments(*r.function, operand.substr(open + 1));
        return r;
    }
    r.form = Form::Element;
    if (operand.find('[') != std::string::npos) {
        r.element = readReferenceWhole(operand);
        return r;
    }
    r.form = Form::Unknown;
    return r;
}

NumericExpressionText readNumericExpression(const SymbolTable& symbols, const std::string& text, SymbolKind kind) {
    const OperatorSplit s = splitOperator(text);
    return {numericOpOf(s.op), readNumericOperand(symbols, s.left, kind), readNumericOperand(symbols, s.right, kind)};
}

namespace {

StringTermReading readTerm(const std::string& text) {
    StringTermReading t;
    t.term = readStringTerm(text);
    if (!t.term.call) t.operand = readStringOperand(t.term.operand);
    else if (t.term.function) t.arguments = readArguments(*t.term.function, t.term.argument);
    return t;
}

} // namespace

ConditionReading readConditionWhole(const std::string& text) {
    ConditionReading c;
    c.present = true;
    c.condition = readCondition(text);
    if (c.condition.form == ConditionText::Form::Comparison) {
        c.left = readScalar(c.condition.left);
        c.right = readScalar(c.condition.right);
    }
    return c;
}

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

LineReading readLine(const SymbolTable& symbols, const std::string& statement) {
    LineReading r;
    r.text = trim(tabsToSpaces(statement));
    const std::string upper = upperAscii(r.text);
    std::string keyword, argument;
    r.statement = classifyStatement(symbols, upper, r.text, keyword, argument);
    switch (r.statement) {
    case Statement::Assignment: {
        AssignmentReading a;
        a.text = readAssignment(dropTrailing(r.text, ';'));
        if (a.text.assigns) {
            a.target = readReferenceWhole(a.text.target);
            if (const SymbolEntry* entry = findSymbol(symbols, a.target.reference.name)) a.kind = entry->Kind;
            if (a.kind == SymbolKind::Integer || a.kind == SymbolKind::Real)
                a.expression = readNumericExpression(symbols, a.text.value, a.kind);
            else if (a.kind == SymbolKind::String || a.kind == SymbolKind::Char)
                a.expression = readStringExpression(a.text.value);
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
        r.parts = condition ? readConditionWhole(*condition) : ConditionReading{};
        break;
    }
    case Statement::Write:
    case Statement::Writeln:
    case Statement::Read:
    case Statement::Readln:
    {
        const bool write = r.statement == Statement::Write || r.statement == Statement::Writeln;
        TransferReading t{readTransfer(argument, write), {}};
        if (write && !t.transfer.empty) t.operand = readScalar(t.transfer.operand);
        r.parts = std::move(t);
        break;
    }
    case Statement::For: {
        ForReading f;
        f.heading = readForHeading(argument);
        f.start = readScalar(f.heading.start);
        f.limit = readScalar(f.heading.limit);
        r.parts = std::move(f);
        break;
    }
    case Statement::AssignFile: {
        AssignFileReading a{readAssignFile(argument), {}};
        a.name = readStringOperand(a.assignment.name);
        r.parts = std::move(a);
        break;
    }
    case Statement::Gotoxy: {
        const GotoxyText g = readGotoxy(argument);
        r.parts = GotoxyReading{g.hasComma, readIndex(g.row), readIndex(g.column)};
        break;
    }
    case Statement::Call: r.parts = procedureName(argument); break;
    case Statement::Goto: r.parts = labelName(argument); break;
    case Statement::Reset:
    case Statement::Rewrite:
    case Statement::Close: r.parts = fileName(argument); break;
    case Statement::ShowMessage:
    case Statement::DeleteFile:
    case Statement::ChDir:
    case Statement::RmDir:
    case Statement::MkDir: r.parts = readStringOperand(trim(argument)); break;
    default: break;
    }
    return r;
}

} // namespace zef
