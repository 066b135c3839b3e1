// Values and variable access: operands become value texts, value texts go into the typed
// stores. Every evaluator passes values around as text.
#include "interpreter_p.h"
#include "reading.h"

#include "numtext.h"
#include "text.h"

#include <charconv>

namespace zef {

std::int64_t InterpreterPrivate::Indice(const IndexText& index) {
    // An index is read afresh: it leaves the run status clear unless it is wrong itself.
    runStatus_ = StatusOk;
    if (const SymbolEntry* entry = findSymbol(index.name)) {
        if (entry->Kind == SymbolKind::Integer && slotInStore(SymbolKind::Integer, entry->Index)) return std::int64_t{intStore_[entry->Index]} - 1;
        fail(Message::IndexNotInteger);
        return 0;
    }
    if (index.number) return std::int64_t{*index.number} - 1;
    fail(Message::IndexUnreadable);
    return 0;
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
                                          SymbolKind& kind, std::int32_t& slot, bool& found) {
    found = false;
    std::int64_t offset = 0;
    if (reference.reference.element) {
        offset = Indice(reference.index);
        if (runStatus_ > 0) return false;
    }
    lookupName = reference.lookup;
    const SymbolEntry* entry = findSymbol(lookupName);
    // Unknown, the reference stops the statement (its caller says why); found, it leaves
    // the status clear, whatever an earlier item of the statement left there.
    runStatus_ = entry ? StatusOk : StatusStop;
    if (!entry) return false;
    found = true;
    kind = entry->Kind;
    const std::int32_t index = entry->Index;
    if (offset < 0 || offset >= entry->Count) {
        fail(Message::BadIndex);
        return false;
    }
    slot = static_cast<std::int32_t>(index + offset);
    return true;
}

std::string InterpreterPrivate::ScalarValue(const ScalarText& operand) {
    switch (operand.form) {
    case ScalarText::Form::Empty: fail(Message::BadExpression); return operand.written;
    case ScalarText::Form::Quoted: return operand.value;
    case ScalarText::Form::Unterminated: fail(Message::UnterminatedString); return operand.written;
    case ScalarText::Form::Number:
        // A number stays as written (007 stays 007); each stray character is reported.
        for (int i = 0; i < operand.strays; ++i) fail(Message::BadExpression);
        return operand.written;
    case ScalarText::Form::Reference: break;
    }
    std::string name;
    SymbolKind kind = SymbolKind::None;
    std::int32_t slot = 0;
    bool found = false;
    if (!resolveReference(operand.reference, name, kind, slot, found)) {
        if (!found && runStatus_ > 0 && !name.empty()) fail(Message::UnknownIdentifier, name);
        return operand.written;
    }
    if (!holdsValue(kind)) return operand.written;
    std::string text;
    appendValueText(kind, slot, text);
    return text;
}

std::string InterpreterPrivate::StringValue(const StringOperandText& operand) {
    switch (operand.form) {
    case StringOperandText::Form::Empty: fail(Message::BadExpression); return operand.written;
    case StringOperandText::Form::Quoted: return operand.value;
    case StringOperandText::Form::Unterminated: fail(Message::UnterminatedString); return operand.written;
    case StringOperandText::Form::Reference: break;
    }
    std::string name;
    SymbolKind kind = SymbolKind::None;
    std::int32_t slot = 0;
    bool found = false;
    if (!resolveReference(operand.reference, name, kind, slot, found)) {
        // The name as written, with its "[" for an element.
        if (!found && runStatus_ > 0 && !name.empty())
            fail(Message::UnknownStringVariable, operand.reference.reference.name);
        return operand.written;
    }
    if (kind != SymbolKind::String) {
        fail(Message::NotAString);
        return operand.written;
    }
    return stringStore_[static_cast<std::size_t>(slot)];
}

} // namespace zef
