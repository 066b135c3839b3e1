// The assignment statement: target := expression. The dispatcher falls back on it for
// every line whose first word is no statement keyword, so it also reports unknown
// statements.
#include "interpreter_p.h"
#include "reading.h"

#include "text.h"

namespace zef {

void InterpreterPrivate::AssignStatement(const AssignmentReading& assignment, const std::string& line) {
    if (!assignment.text.assigns) fail(line.find('=') != std::string::npos ? Message::BadAssignment : Message::UnknownStatement);
    const ReferenceText& target = assignment.target.reference;
    if (target.element && !target.closed) fail(Message::SyntaxError);
    std::string lookup;
    SymbolKind kind = SymbolKind::None;
    std::int32_t slot = 0;
    // A name that is no variable's stops the run without a message of its own.
    if (!resolveReference(assignment.target, lookup, kind, slot)) stopWithout(StopReason::UnknownTarget, target.name);

    std::string value = assignment.text.value;
    switch (kind) {
    case SymbolKind::Char:
    case SymbolKind::String: StringExpression(std::get<StringExpressionText>(assignment.expression), value); break;
    case SymbolKind::Integer: IntegerExpression(std::get<NumericExpressionText>(assignment.expression), value); break;
    case SymbolKind::Real: RealExpression(std::get<NumericExpressionText>(assignment.expression), value); break;
    default: return; // files, labels and procedures take no value
    }
    StoreValue(value, kind, slot);
}

} // namespace zef
