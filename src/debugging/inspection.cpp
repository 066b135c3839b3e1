#include "inspection.h"

#include "numtext.h"
#include "text.h"

#include <algorithm>
#include <array>

namespace zef::debugging {

std::vector<std::string> SymbolListing(const Interpreter& interpreter) {
    // The counters in the order of the rows below; an entry of an unknown kind counts
    // nowhere.
    constexpr std::array<SymbolKind, 7> kinds{SymbolKind::Procedure, SymbolKind::Label, SymbolKind::String,
                                              SymbolKind::Char,      SymbolKind::Integer, SymbolKind::Real,
                                              SymbolKind::File};
    std::array<int, kinds.size()> counts{};
    std::vector<std::string> rows;
    for (const SymbolEntry& entry : interpreter.symbols()) {
        std::string row = entry.Name + " , ";
        if (entry.Kind != SymbolKind::None) row += kindLetter(entry.Kind);
        rows.push_back(row + " , " + formatInteger(entry.Index));
        if (const auto k = std::find(kinds.begin(), kinds.end(), entry.Kind); k != kinds.end())
            ++counts[static_cast<std::size_t>(k - kinds.begin())];
    }
    rows.push_back(" ");
    rows.push_back(std::string(79, '-'));
    const std::array<const char*, kinds.size()> captions{"Procedures : ", "Etiquettes : ", "Var String : ",
                                                         "Var Char : ",   "Var Int : ",    "Var Real : ",
                                                         "Var File : "};
    for (std::size_t i = 0; i < kinds.size(); ++i) rows.push_back(captions[i] + formatInteger(counts[i]));
    rows.push_back(utf8ToCp1252("Eléments en pile : ") + formatInteger(interpreter.valueTop()));
    return rows;
}

std::string ValueText(const Interpreter& interpreter, std::int32_t slot, SymbolKind kind) {
    return interpreter.ValueText(slot, kind);
}

std::string ExamineVariable(Interpreter& interpreter, const std::string& typed, bool* found) {
    if (found) *found = false;
    std::string name = typed;
    std::string element;
    std::int64_t offset = 0;
    if (const auto open = typed.find('['); open != std::string::npos) {
        name = typed.substr(0, open + 1);
        const auto close = typed.find(']', open + 1);
        if (close == std::string::npos) return "Erreur de syntaxe";
        element = typed.substr(open + 1, close - open - 1);
        offset = interpreter.Indice(element);
        if (interpreter.runStatus() > 0) return {}; // the index's own message has been shown
    }
    SymbolKind kind = SymbolKind::None;
    std::int32_t index = 0;
    interpreter.ChercheEtiq(name, kind, index);
    if (interpreter.runStatus() > 0) return "Variable inconnue";
    if (found) *found = true;
    if (!holdsValue(kind)) return element.empty() ? typed : element;
    const auto entry = std::find_if(interpreter.symbols().begin(), interpreter.symbols().end(),
                                    [&](const SymbolEntry& e) { return e.Name == name; });
    if (offset < 0 || offset >= entry->Count) return "Indice incorrect";
    return ValueText(interpreter, static_cast<std::int32_t>(index + offset), kind);
}

void ApplyParameters(Interpreter& interpreter, bool accepted, const std::string& text) {
    if (accepted) interpreter.setRunArguments(text);
    interpreter.splitArguments();
}

} // namespace zef::debugging
