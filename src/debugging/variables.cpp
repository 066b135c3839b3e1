#include "variables.h"

#include "inspection.h"

#include <algorithm>
#include <unordered_map>

namespace zef::debugging {
namespace {

const char* frenchType(SymbolKind kind) {
    switch (kind) {
    case SymbolKind::Integer: return "Entier";
    case SymbolKind::Real: return "Réel";
    case SymbolKind::Char: return "Caractère";
    case SymbolKind::String: return "Chaîne";
    case SymbolKind::File: return "Fichier";
    default: return nullptr; // labels, procedures: not variables
    }
}

} // namespace

bool VariableRow::anyChanged() const {
    return std::find(changed.begin(), changed.end(), true) != changed.end();
}

void VariablesSnapshot::refresh(const Interpreter& interpreter) {
    ++refreshCount_;
    std::unordered_map<std::string, const VariableRow*> previous;
    for (const VariableRow& row : rows_) previous.emplace(row.name, &row);

    std::vector<VariableRow> rows;
    for (const SymbolEntry& entry : interpreter.symbols()) {
        const char* type = frenchType(entry.Kind);
        if (!type) continue;
        VariableRow row;
        row.array = !entry.Name.empty() && entry.Name.back() == '[';
        row.name = row.array ? entry.Name.substr(0, entry.Name.size() - 1) : entry.Name;
        row.type = type;
        const std::int32_t count = std::max<std::int32_t>(entry.Count, 1);
        row.values.reserve(static_cast<std::size_t>(count));
        for (std::int32_t i = 0; i < count; ++i) {
            // A file shows what the examine window shows for it: its name.
            std::string value = entry.Kind == SymbolKind::File ? row.name
                                                  : ValueText(interpreter, entry.Index + i, entry.Kind);
            // A CHAR that was never given a value holds byte 0, which a font draws as a
            // box: the view shows it empty.
            if (entry.Kind == SymbolKind::Char && value == std::string(1, '\0')) value.clear();
            row.values.push_back(std::move(value));
        }
        row.changed.assign(row.values.size(), false);
        if (const auto it = previous.find(row.name); it != previous.end() && it->second->type == row.type &&
                                                     it->second->values.size() == row.values.size())
            for (std::size_t i = 0; i < row.values.size(); ++i) row.changed[i] = row.values[i] != it->second->values[i];
        rows.push_back(std::move(row));
    }
    sameShape_ = rows.size() == rows_.size() &&
                 std::equal(rows.begin(), rows.end(), rows_.begin(), [](const VariableRow& a, const VariableRow& b) {
                     return a.name == b.name && a.type == b.type && a.values.size() == b.values.size();
                 });
    rows_ = std::move(rows);
}

} // namespace zef::debugging
