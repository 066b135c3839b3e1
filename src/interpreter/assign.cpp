// The assignment statement: target := expression. The dispatcher falls back on it for
// every line whose first word is no statement keyword, so it also reports unknown
// statements.
#include "interpreter_p.h"
#include "reading.h"

#include "text.h"

namespace zef {

void InterpreterPrivate::AssignStatement(const AssignmentReading& assignment, const std::string& line) {
    if (!assignment.text.assigns) {
        if (line.find('=') != std::string::npos) return fail(Message::BadAssignment);
        return fail(Message::UnknownStatement);
    }
    const ReferenceText& target = assignment.target.reference;
    std::int64_t offset = 0;
    if (target.element) {
        if (!target.closed) return fail(Message::SyntaxError);
        offset = Indice(assignment.target.index);
        if (runStatus_ > 0) return;
    }
    const std::string& name = target.name;
    const SymbolEntry* entry = findSymbol(name);
    if (!entry) return stopWithout(StopReason::UnknownTarget, name); // no message of its own
    if (offset < 0 || offset >= entry->Count) return fail(Message::BadIndex);
    const SymbolKind kind = entry->Kind;
    const std::int32_t index = entry->Index;

    std::string value = assignment.text.value;
    switch (kind) {
    case SymbolKind::Char:
    case SymbolKind::String: StringExpression(std::get<StringExpressionText>(assignment.expression), value); break;
    case SymbolKind::Integer: IntegerExpression(std::get<NumericExpressionText>(assignment.expression), value); break;
    case SymbolKind::Real: RealExpression(std::get<NumericExpressionText>(assignment.expression), value); break;
    default: return; // files, labels and procedures take no value
    }
    if (runStatus_ == StatusOk) StoreValue(value, kind, static_cast<std::int32_t>(index + offset));
}

} // namespace zef
