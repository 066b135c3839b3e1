// The live Variables view's logic: every variable of the program with its French type
// and its value, arrays with their elements, and which values changed since the last
// stop. Read only when a run stops, never while it runs.
#pragma once

#include "interpreter.h"

#include <string>
#include <vector>

namespace zef::debugging {

struct VariableRow {
    std::string name;                // as declared, upper case, without the "[" of an array
    std::string type;                // "Entier", "Réel", "Caractère", "Chaîne", "Fichier" (UTF-8)
    bool array = false;
    std::vector<std::string> values; // one per element (one for a plain variable), 8-bit
    std::vector<bool> changed;       // per element: differs from the previous stop
    bool anyChanged() const;
};

class VariablesSnapshot {
public:
    // Reads the interpreter's tables as they are now and marks every value that differs
    // from the one read at the previous refresh (a variable that was not there then is
    // new, not changed).
    void refresh(const Interpreter& interpreter);
    // A fresh run starts: its first stop compares with nothing, so that a value that run
    // has not changed is not shown as changed (whatever the last run left there).
    void startOver() { rows_.clear(); }
    const std::vector<VariableRow>& rows() const { return rows_; }
    // Whether the rows have the names, types and sizes of the previous refresh, so that a
    // view can update its values in place.
    bool sameShape() const { return sameShape_; }
    // How many times the tables were read: the view's whole cost.
    int refreshCount() const { return refreshCount_; }

private:
    std::vector<VariableRow> rows_;
    bool sameShape_ = false;
    int refreshCount_ = 0;
};

} // namespace zef::debugging
