// Values and variable access: operands become value texts, value texts go into the typed
// stores. Every evaluator passes values around as text.
#include "interpreter_p.h"
#include "reading.h"

#include "numtext.h"
#include "text.h"

#include <charconv>

namespace zef {

std::int64_t InterpreterPrivate::Indice(const IndexText& index) {
    if (const SymbolEntry* entry = findSymbol(index.name)) {
        if (entry->Kind == SymbolKind::Integer && slotInStore(SymbolKind::Integer, entry->Index)) return std::int64_t{intStore_[entry->Index]} - 1;
        fail(Message::IndexNotInteger);
    }
    if (index.number) return std::int64_t{*index.number} - 1;
    fail(Message::IndexUnreadable);
}

SlotValue InterpreterPrivate::LitValeur(std::int32_t slot, SymbolKind kind) const {
    SlotValue v;
    if (!slotInStore(kind, slot)) return v;
    v.kind = kind;
    switch (kind) {
    case SymbolKind::Char: v.c = charStore_[slot]; break;
    case SymbolKind::Integer: v.i = intStore_[slot]; break;
    case SymbolKind::Real: v.r = realStore_[slot]; break;
    case SymbolKind::String: v.s = stringStore_[static_cast<std::size_t>(slot)]; break;
    default: v.kind = SymbolKind::None;
    }
    return v;
}

void InterpreterPrivate::appendValueText(SymbolKind kind, std::int64_t slot, std::string& out) const {
    if (!slotInStore(kind, slot)) return;
    const auto at = static_cast<std::size_t>(slot);
    switch (kind) {
    case SymbolKind::Char: out += charStore_[at]; return;
    case SymbolKind::Integer: {
        char digits[16];
        out.append(digits, std::to_chars(digits, digits + sizeof digits, intStore_[at]).ptr);
        return;
    }
    case SymbolKind::Real: out += formatReal(realStore_[at].toDouble(), platform_.regional.decimalSeparator); return;
    case SymbolKind::String: out += stringStore_[at]; return;
    default: return;
    }
}

void InterpreterPrivate::abandonMemory() {
    runStatus_ = StatusStop;
    throw RunAbandoned(messageFor(Message::OutOfMemory));
}

void InterpreterPrivate::StoreValue(const std::string& value, SymbolKind kind, std::int32_t slot) {
    if (!holdsValue(kind)) return;
    if (!slotInStore(kind, slot)) return fail(Message::BadIndex);
    switch (kind) {
    case SymbolKind::Char:
        if (value.empty()) return fail(Message::ConversionError);
        charStore_[slot] = value[0];
        return;
    case SymbolKind::Integer:
        if (const auto i = parseInteger(value)) intStore_[slot] = *i;
        else fail(Message::ConversionError);
        return;
    case SymbolKind::Real: {
        const auto d = parseReal(value, platform_.regional.decimalSeparator);
        const auto r = d ? Real48::fromDouble(*d) : std::nullopt;
        if (r) realStore_[slot] = *r;
        else fail(Message::ConversionError);
        return;
    }
    case SymbolKind::String: {
        std::string& stored = stringStore_[static_cast<std::size_t>(slot)];
        const std::size_t total = stringBytes_ - stored.size() + value.size();
        if (!stringFits(value.size(), total)) abandonMemory();
        stored = value;
        stringBytes_ = total;
        return;
    }
    default: return;
    }
}

// Resolves a variable reference, a name or name[index]: the name as looked up (upper case,
// with its "[" for an element), the symbol's kind and the slot of the value. An element
// number outside the declared size is refused: it would reach a neighbouring variable.
bool InterpreterPrivate::resolveReference(const ReferenceReading& reference, std::string& lookupName,
                                          SymbolKind& kind, std::int32_t& slot) {
    // The index is read first: a wrong index is reported before an unknown name.
    const std::int64_t offset = reference.reference.element ? Indice(reference.index) : 0;
    lookupName = reference.lookup;
    const SymbolEntry* entry = findSymbol(lookupName);
    if (!entry) return false;
    kind = entry->Kind;
    if (offset < 0 || offset >= entry->Count) fail(Message::BadIndex);
    slot = static_cast<std::int32_t>(entry->Index + offset);
    return true;
}

std::string InterpreterPrivate::ScalarValue(const ScalarText& operand) {
    switch (operand.form) {
    case ScalarText::Form::Empty: fail(Message::BadExpression);
    case ScalarText::Form::Quoted: return operand.value;
    case ScalarText::Form::Unterminated: fail(Message::UnterminatedString);
    case ScalarText::Form::Number:
        // A number stays as written (007 stays 007); each stray character is reported.
        if (operand.strays == 0) return operand.written;
        for (int i = 1; i < operand.strays; ++i) report(Message::BadExpression);
        fail(Message::BadExpression);
    case ScalarText::Form::Reference: break;
    }
    std::string name;
    SymbolKind kind = SymbolKind::None;
    std::int32_t slot = 0;
    if (!resolveReference(operand.reference, name, kind, slot)) {
        if (!name.empty()) fail(Message::UnknownIdentifier, name);
        leave();
    }
    if (!holdsValue(kind)) return operand.written;
    std::string text;
    appendValueText(kind, slot, text);
    return text;
}

std::string InterpreterPrivate::valueOrWritten(const ScalarText& operand, bool& failed) {
    try {
        return ScalarValue(operand);
    } catch (const StatementStopped&) {
        failed = true;
        return operand.written;
    }
}

std::string InterpreterPrivate::StringValue(const StringOperandText& operand) {
    switch (operand.form) {
    case StringOperandText::Form::Empty: fail(Message::BadExpression);
    case StringOperandText::Form::Quoted: return operand.value;
    case StringOperandText::Form::Unterminated: fail(Message::UnterminatedString);
    case StringOperandText::Form::Reference: break;
    }
    std::string name;
    SymbolKind kind = SymbolKind::None;
    std::int32_t slot = 0;
    if (!resolveReference(operand.reference, name, kind, slot)) {
        // The name as written, with its "[" for an element.
        if (!name.empty()) fail(Message::UnknownStringVariable, operand.reference.reference.name);
        leave();
    }
    if (kind != SymbolKind::String) fail(Message::NotAString);
    return stringStore_[static_cast<std::size_t>(slot)];
}

} // namespace zef
