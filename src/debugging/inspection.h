// What the symbol listing, the examine window and the parameters window read from and
// give to the interpreter, without any window. All texts are 8-bit Windows-1252.
#pragma once

#include "interpreter.h"

#include <string>
#include <vector>

namespace zef::debugging {

// The rows of the symbol listing: one per symbol in table order ("I , I , 1"), a blank
// row, a rule, then the counts per kind and the number of values on the value stack. An
// array is one symbol, however many elements it has.
std::vector<std::string> SymbolListing(const Interpreter& interpreter);

// The text of one value as the examine window shows it: a decimal integer, a real in the
// general format with the regional separator, the character, the string.
std::string ValueText(const Interpreter& interpreter, std::int32_t slot, SymbolKind kind);

// Examines what the user typed: a name (any letter case) or an element, T[3] or T[I]. Gives
// the text of the result field: the value, "Erreur de syntaxe" for an element without "]",
// "Variable inconnue" for a name that is not in the table. For a label, a procedure or a
// file the result is the text examined itself. An element index the interpreter cannot
// read reports its own error in a message box and gives an empty result; an element
// outside the array gives "Indice incorrect" rather than a neighbouring variable's value.
// `found` tells whether a symbol was read (the window then selects the typed text).
std::string ExamineVariable(Interpreter& interpreter, const std::string& typed, bool* found = nullptr);

// The parameters window has closed: an accepted text becomes the run parameters, and the
// parameter words are computed again from the parameters (cut at every single space).
void ApplyParameters(Interpreter& interpreter, bool accepted, const std::string& text);

} // namespace zef::debugging
