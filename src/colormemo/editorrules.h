// The colour rules of the program editor: line comments and brace comments in grey,
// statements and built-ins in blue, declarations and block words in maroon.
#pragma once

#include "colorrules.h"

namespace zef {

// Replaces the rules of the collection by the editor's four rules.
void SetEditorColorRules(TDrawRules& rules);

// The 58 words of the language's vocabulary (statements, types, built-ins, "End." and
// "End;"), each in the case in which it is inserted into a program.
const std::vector<std::string>& EditorVocabulary();

} // namespace zef
