// The assignment statement: target := expression. The dispatcher falls back on it for
// every line whose first word is no statement keyword, so it also reports unknown
// statements.
#include "interpreter_p.h"

#include "text.h"

namespace zef {

void InterpreterPrivate::AssignStatement(const std::string& line) {
    const auto assign = line.find(":=");
    if (assign == std::string::npos) {
        if (line.find('=') != std::string::npos) return fail(Message::BadAssignment);
        return fail(Message::UnknownStatement);
    }
    const std::string target = upperAscii(trim(line.substr(0, assign)));
    std::string name = target;
    std::int64_t offset = 0;
    if (const auto open = target.find('['); open != std::string::npos) {
        const auto close = target.find(']', open + 1);
        if (close == std::string::npos) return fail(Message::SyntaxError);
        offset = Indice(target.substr(open + 1, close - open - 1));
        if (runStatus_ > 0) return;
        name = target.substr(0, open + 1);
    }
    const SymbolEntry* entry = findSymbol(name);
    if (!entry) {
        runStatus_ = StatusStop; // an unknown target stops the run without a message
        return;
    }
    if (offset < 0 || offset >= entry->Count) return fail(Message::BadIndex);
    const SymbolKind kind = entry->Kind;
    const std::int32_t index = entry->Index;

    std::string value = trim(cut255(line.substr(assign + 2)));
    switch (kind) {
    case SymbolKind::Char:
    case SymbolKind::String: StringExpression(value); break;
    case SymbolKind::Integer: IntegerExpression(value); break;
    case SymbolKind::Real: RealExpression(value); break;
    default: return; // files, labels and procedures take no value
    }
    if (runStatus_ == StatusOk) StoreValue(value, kind, static_cast<std::int32_t>(index + offset));
}

} // namespace zef
